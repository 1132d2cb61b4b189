#!/usr/bin/env bash
# The Windows files as a maintainer with a code-signing certificate publishes them: built again
# with a throwaway certificate, the program, the exe in the zip, the installer and the
# uninstaller it installs each verify against that certificate; the signed program is the
# unsigned build plus its signature; the signed installer installs and uninstalls under Wine;
# and the unsigned build carries no signature.
#   tests/windows_signing_test.sh SOURCE_DIR UNSIGNED_BUILD_DIR
set -euo pipefail
source=$(realpath "${1:?usage: windows_signing_test.sh SOURCE_DIR UNSIGNED_BUILD_DIR}")
unsigned=$(realpath "$2")
source "$source/tests/wine_session.sh"  # its folder, $work, goes when the test ends
fail() { echo "FAIL: $*"; exit 1; }
verify() { osslsigncode verify -CAfile "$work/cert.pem" -in "$1" >"$work/verify.txt" 2>&1; }

openssl req -x509 -newkey rsa:3072 -nodes -days 2 -subj "/CN=Stakora test signer" \
    -keyout "$work/key.pem" -out "$work/cert.pem" 2>/dev/null
export STAKORA_WINDOWS_CERT_PASSWORD="not on any command line"
openssl pkcs12 -export -inkey "$work/key.pem" -in "$work/cert.pem" -out "$work/cert.p12" \
    -passout env:STAKORA_WINDOWS_CERT_PASSWORD
{ cmake --preset windows -S "$source" -B "$work/signed" -DSTAKORA_WINDOWS_CERT="$work/cert.p12" \
    -DSTAKORA_BUILD_TESTS=OFF && cmake --build "$work/signed" --target windows_packages; } \
    >"$work/build.txt" 2>&1 || fail "the signed build: $(tail -n 20 "$work/build.txt")"

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$work/signed/CMakeCache.txt")
exe=$work/signed/stakora-$version-win64.exe setup=$work/signed/stakora-$version-setup.exe
python3 -m zipfile -e "$work/signed/stakora-$version-win64.zip" "$work/zip"
for file in "$exe" "$work/zip/stakora.exe" "$setup"; do
    verify "$file" || fail "$(basename "$file") does not verify: $(cat "$work/verify.txt")"
    grep -q 'Stakora test signer' "$work/verify.txt" || fail "$(basename "$file"): not our signer"
done
osslsigncode remove-signature -in "$exe" -out "$work/stripped.exe" >/dev/null
cmp "$work/stripped.exe" "$unsigned/app/stakora.exe" || fail "the signed exe is not the build"
for file in "$unsigned/stakora-$version-"{win64,setup}.exe; do
    ! verify "$file" || fail "$(basename "$file") is signed without a certificate"
done
echo "ok: exe, zip and installer signed and verified; the exe is the unsigned build plus a signature"

"$WINE" wineboot -i >/dev/null 2>&1
"$WINE" "$setup" /S
"$WINESERVER" -w
folder=$(find "$WINEPREFIX/drive_c/users" -path '*/AppData/Local/Programs/Stakora' -type d)
[ -n "$folder" ] || fail "the signed installer installed nothing"
verify "$folder/uninstall.exe" || fail "the installed uninstaller: $(cat "$work/verify.txt")"
cmp "$folder/stakora.exe" "$exe" || fail "the installed program is not the signed one"
"$WINE" "$folder/uninstall.exe" /S
"$WINESERVER" -w
[ ! -e "$folder/stakora.exe" ] || fail "the signed uninstaller left the program"
echo "ok: the signed installer installs a signed uninstaller, which uninstalls"
