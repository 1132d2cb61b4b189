#!/usr/bin/env bash
# The same sources built again elsewhere give, byte for byte, what the test command's own builds
# gave: the Linux program and its .deb, the Windows exe, setup and zip, and every file of the
# site. The second build is made from a copy of the sources at another depth, into build folders
# outside that copy, under another umask; and no artefact of either build holds a path of either
# tree. Run by `./dev.sh test` once those builds are made.
#   tests/reproducible_test.sh SOURCE_DIR
set -euo pipefail
source=$(realpath "${1:?usage: reproducible_test.sh SOURCE_DIR}")
cd "$source"
: "${SOURCE_DATE_EPOCH:?set by ./dev.sh, which runs this test}"
again=$(mktemp -d /tmp/stakora-again.XXXXXX)
trap 'rm -rf "$again"' EXIT
copy=$again/a/copy/of/the/sources
out=$again/out
mkdir -p "$copy" "$out"

# The files of the tree but what .gitignore leaves out, in a checkout as in an unpacked archive.
find . \( -name .git -o -path './build*' -o -path ./.cache -o -path ./dist -o -name node_modules \
    -o -name __pycache__ -o -name compile_commands.json \) -prune -o -type f -print0 |
    xargs -0 cp --parents -t "$copy"

# CPack builds only what it packs (no install-all dependency), so the second build is short.
(cd build && cpack -G DEB >/dev/null)
(
    umask 077
    cd "$copy"
    for preset in linux windows web; do
        cmake --preset $preset -B "$out/$preset" -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON >/dev/null
    done
    cmake --build "$out/linux" --target stakora debian_documentation >/dev/null
    (cd "$out/linux" && cpack -G DEB >/dev/null)
    cmake --build "$out/windows" --target stakora windows_packages >/dev/null
    NODE_PATH=/usr/share/nodejs cmake --build "$out/web" --target web_site >/dev/null
)

# Each artefact as the test command's build folder names it, and where the second build put it.
declare -A folder=([build]=$out/linux [build-windows]=$out/windows [build-web]=$out/web)
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/CMakeCache.txt)
artefacts=(build/app/stakora "build/stakora_${version}_amd64.deb" build-windows/app/stakora.exe
    "build-windows/stakora-$version-setup.exe" "build-windows/stakora-$version-win64.zip")
mapfile -t site < <(cd build-web/site && find . -type f | sort)
[ ${#site[@]} -gt 5 ] || { echo "FAIL: no site in build-web/site"; exit 1; }
artefacts+=("${site[@]/#./build-web/site}")
failed=0
for artefact in "${artefacts[@]}"; do
    second=${folder[${artefact%%/*}]}/${artefact#*/}
    if cmp -s "$artefact" "$second"; then
        echo "ok: the same bytes: $artefact"
    else
        echo "FAIL: built twice, $artefact differs"
        if command -v diffoscope >/dev/null; then
            diffoscope "$artefact" "$second" 2>&1 | head -n 40 || true
        fi
        failed=1
    fi
done

# What the artefacts hold, unpacked where they are archives, searched for either tree's path.
unpacked=$again/unpacked
mkdir -p "$unpacked"
dpkg-deb -x "build/stakora_${version}_amd64.deb" "$unpacked/deb"
python3 -m zipfile -e "build-windows/stakora-$version-win64.zip" "$unpacked/zip"
leaks=$(grep -rlaF -e "$source" -e "$again" \
    build/app/stakora build-windows/app/stakora.exe build-web/site "$unpacked" || true)
if [ -n "$leaks" ]; then
    echo "FAIL: a build path is written into: $leaks"
    failed=1
else
    echo "ok: no artefact holds a path of either tree"
fi
exit $failed
