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

desktop=$work/prefix/share/applications/org.stakora.Stakora.desktop
desktop-file-validate "$desktop"
grep -q '^Keywords\[it\]=.*puntata' "$desktop" || fail "no Italian keywords"
echo "ok: desktop-file-validate, with Italian keywords"
# As strict as the stores' reviewers: any remark fails, but for two this AppStream (0.16) makes
# of what newer ones and Flathub ask for: <developer id> is 1.0's, and a reverse-DNS id keeps
# the capital of its last part, as Flathub's do.
metainfo=$work/prefix/share/metainfo/org.stakora.Stakora.metainfo.xml
remarks=$(appstreamcli validate --pedantic --no-net "$metainfo" 2>&1) ||
    fail "appstreamcli: $remarks"
unexpected=$(grep -E '^[EWIP]: ' <<<"$remarks" |
    grep -v -E ' (unknown-tag developer|cid-contains-uppercase-letter org\.stakora\.Stakora)$' ||
    true)
[ -z "$unexpected" ] || fail "appstreamcli --pedantic: $unexpected"
python3 - "$metainfo" <<'PY' || fail "the listing"
import sys, xml.etree.ElementTree as ET
root = ET.parse(sys.argv[1]).getroot()
lang = "{http://www.w3.org/XML/1998/namespace}lang"
summaries = [s.text for s in root.findall("summary")]
assert all(len(s) <= 35 for s in summaries), summaries
assert root.find("url[@type='homepage']").text.startswith("https://")
assert root.find("developer").get("id") and root.find("developer/name").text
shots = root.findall("screenshots/screenshot")
assert shots and all(s.find("caption").text and s.find("image").text.startswith("https://")
                     for s in shots), "screenshots with captions"
assert any("Italian" in (p.text or "") for p in root.findall("description/p")
           if p.get(lang) is None), "no word of the Italian interface"
assert root.find("releases/release/description/ul/li") is not None, "no release notes"
PY
echo "ok: appstreamcli validate --pedantic: a listing with its pictures, links and notes"

(cd "$work" && cpack -G DEB --config "$build/CPackConfig.cmake" >/dev/null)
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
deb=$work/stakora_${version}_amd64.deb
dpkg-deb --field "$deb" Depends | grep -q libqt6widgets6 || fail "no Qt dependency"
# Native on a Wayland desktop, not through XWayland.
dpkg-deb --field "$deb" Recommends | grep -q qt6-wayland || fail "qt6-wayland not recommended"
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
python3 - "$work/stakora.res" "$version" <<'PY' || fail "version resource"
import sys
res = open(sys.argv[1], "rb").read()
for text in ("041004B0", "FileVersion", sys.argv[2], "MIT License"):
    assert text.encode("utf-16-le") in res, text
major, minor = map(int, sys.argv[2].split("."))
assert ((major << 16) | minor).to_bytes(4, "little") in res  # FILEVERSION major,minor
assert bytes([0x10, 0x04, 0xB0, 0x04]) in res  # Translation 0x0410, 1200
PY
echo "ok: the Windows resource compiles with file and product version $version, Italian"
