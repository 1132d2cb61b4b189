#!/usr/bin/env bash
# The Windows installer under Wine, as an administrator deploys it: a silent install without
# elevation puts the program, its Start menu shortcut and its Apps & features entry in place;
# the installed program opens its window; installing again leaves one entry; the silent
# uninstall takes away all it made, and nothing the user put in the folder.
#   tests/windows_installer_test.sh SETUP.exe
set -euo pipefail
setup=${1:?usage: windows_installer_test.sh SETUP.exe}
source "$(dirname "${BASH_SOURCE[0]}")/wine_session.sh"
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Stakora'
fail() { echo "FAIL: $*"; exit 1; }

install() {
    "$WINE" "$setup" /S
    "$WINESERVER" -w  # until every process of the prefix has ended
}
"$WINE" wineboot -i >/dev/null 2>&1
install
folder=$(find "$WINEPREFIX/drive_c/users" -path '*/AppData/Local/Programs/Stakora' -type d)
[ -n "$folder" ] || fail "no folder under the user's Programs"
[ -f "$folder/stakora.exe" ] && [ -f "$folder/uninstall.exe" ] && [ -f "$folder/LICENSE.txt" ] ||
    fail "files missing in $folder"
shortcut=$(find "$WINEPREFIX/drive_c/users" -path '*/Start Menu/Programs/Stakora.lnk')
[ -n "$shortcut" ] || fail "no Start menu shortcut"
find "$WINEPREFIX/drive_c/users" -path '*/Desktop/Stakora.lnk' | grep -q . &&
    fail "a desktop shortcut nobody asked for"
echo "ok: installed without elevation in ${folder#"$WINEPREFIX"/}, with a Start menu shortcut"

values=$("$WINE" reg query "$key" | tr -d '\r')
version=$(basename "$setup" | sed -E 's/^stakora-(.*)-setup\.exe$/\1/')
for expected in 'DisplayName.*REG_SZ.*Stakora$' "DisplayVersion.*REG_SZ.*${version//./\\.}$" \
    'Publisher.*REG_SZ' 'URLInfoAbout.*REG_SZ.*https://' 'HelpLink.*REG_SZ.*https://' \
    'DisplayIcon.*REG_SZ.*stakora\.exe,0$' 'InstallLocation.*REG_SZ.*Programs\\Stakora$' \
    'UninstallString.*REG_SZ.*uninstall\.exe"$' 'QuietUninstallString.*REG_SZ.*uninstall\.exe" /S$' \
    'NoModify.*REG_DWORD.*0x1$' 'NoRepair.*REG_DWORD.*0x1$' 'EstimatedSize.*REG_DWORD.*0x[0-9a-f]*[1-9a-f]'; do
    grep -Eq "$expected" <<<"$values" || fail "Uninstall key lacks $expected:"$'\n'"$values"
done
# One publisher: the entry's, and the installed program's own version resource.
publisher=$(sed -n -E 's/^ *Publisher +REG_SZ +(.*)$/\1/p' <<<"$values")
python3 - "$folder/stakora.exe" "$publisher" <<'PY' || fail "the program's publisher is not $publisher"
import sys
exe, publisher = open(sys.argv[1], "rb").read(), sys.argv[2]
at = exe.find("CompanyName\0".encode("utf-16-le"))
assert at > 0 and (publisher + "\0").encode("utf-16-le") in exe[at:at + 32 + 2 * len(publisher)]
PY
echo "ok: the Apps & features entry has every value, its links and the program's publisher"

"$WINE" "$folder/stakora.exe" &
timeout 120 xdotool search --sync --onlyvisible --name '^  STAKORA DI GIOCO$' >/dev/null ||
    fail "the installed program showed no window"
"$WINESERVER" -k
"$WINESERVER" -w
echo "ok: the installed program opens its window"

install
entries=$("$WINE" reg query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall' | tr -d '\r' |
    grep -c 'Uninstall\\Stakora$')
[ "$entries" -eq 1 ] || fail "$entries entries after installing twice"
echo "ok: installing over it leaves one entry"

echo "mine" >"$folder/note.txt"
"$WINE" "$folder/uninstall.exe" /S
"$WINESERVER" -w
[ ! -e "$folder/stakora.exe" ] && [ ! -e "$folder/uninstall.exe" ] && [ ! -e "$folder/LICENSE.txt" ] ||
    fail "files left behind"
[ ! -e "$shortcut" ] || fail "the shortcut is left"
"$WINE" reg query "$key" >/dev/null 2>&1 && fail "the Uninstall key is left"
[ "$(cat "$folder/note.txt")" = mine ] || fail "the user's file is gone"
echo "ok: uninstalled every file, shortcut and key it made; the user's file stays"
