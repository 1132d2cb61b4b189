#!/usr/bin/env bash
# What a user of a Linux desktop gets: `cmake --install` puts the program, its .desktop entry,
# icon and AppStream data in the standard places, all valid; the .deb carries them with its
# library dependencies, lintian accepts it, and its program, hardened as Debian's are, opens
# the window. The Windows resource compiles.
#   tests/packaging_test.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$(realpath "${1:?usage: packaging_test.sh BUILD_DIR SOURCE_DIR}")
source=$(realpath "${2:?}")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
# Every tool below is installed by ./dev.sh test: a missing one is a failure, not a skip.
for tool in desktop-file-validate appstreamcli dpkg-shlibdeps lintian hardening-check \
    x86_64-w64-mingw32-windres; do
    command -v "$tool" >/dev/null || fail "$tool is missing"
done

cmake --install "$build" --prefix "$work/prefix" >/dev/null
for file in bin/stakora share/applications/org.stakora.Stakora.desktop \
    share/metainfo/org.stakora.Stakora.metainfo.xml \
    share/icons/hicolor/48x48/apps/org.stakora.Stakora.png; do
    [ -f "$work/prefix/$file" ] || fail "not installed: $file"
done
file "$work/prefix/share/icons/hicolor/48x48/apps/org.stakora.Stakora.png" | grep -q '48 x 48' ||
    fail "the icon is not 48 x 48"
echo "ok: installed to the standard places"

desktop-file-validate "$work/prefix/share/applications/org.stakora.Stakora.desktop"
echo "ok: desktop-file-validate"
appstreamcli validate --no-net --explain "$work/prefix/share/metainfo/org.stakora.Stakora.metainfo.xml"
echo "ok: appstreamcli validate"

(cd "$work" && cpack -G DEB --config "$build/CPackConfig.cmake" >/dev/null)
deb=$(ls "$work"/stakora_1.00*.deb)
dpkg-deb --field "$deb" Depends | grep -q libqt6widgets6 || fail "no Qt dependency"
dpkg-deb -x "$deb" "$work/deb"
[ -f "$work/deb/usr/share/applications/org.stakora.Stakora.desktop" ] || fail "no .desktop"
echo "ok: $(basename "$deb"): Depends: $(dpkg-deb --field "$deb" Depends)"
complaints=$(lintian --fail-on error,warning --tag-display-limit 0 "$deb" 2>&1) ||
    fail "lintian: $complaints"
echo "ok: lintian reports no error and no warning"
# Debian 12's own start files carry no CET property, so no program can show it there;
# that -fcf-protection took effect shows in the program's own functions instead.
hardening-check --nocfprotection "$work/deb/usr/bin/stakora"
objdump -d --no-show-raw-insn "$build/app/stakora" |
    grep -A1 -E '^[0-9a-f]+ <(main|_ZN7stakora10MainWindow14onElaboraClickEv)>:' |
    grep -c endbr64 | grep -qx 2 || fail "no endbr64 at the start of the program's functions"
echo "ok: hardened, and its functions start with endbr64"
/usr/bin/python3 "$source/tests/keyboard_window_test.py" "$work/deb/usr/bin/stakora"

x86_64-w64-mingw32-windres --preprocessor=cpp -i "$build/stakora.rc" -O res -o "$work/stakora.res"
python3 - "$work/stakora.res" <<'PY' || fail "version resource"
import sys
res = open(sys.argv[1], "rb").read()
for text in ("041004B0", "FileVersion", "1.00", "MIT License"):
    assert text.encode("utf-16-le") in res, text
assert (0x10000).to_bytes(4, "little") in res  # FILEVERSION 1,0
assert bytes([0x10, 0x04, 0xB0, 0x04]) in res  # Translation 0x0410, 1200
PY
echo "ok: the Windows resource compiles with file and product version 1.00, Italian"
