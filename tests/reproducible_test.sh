#!/usr/bin/env bash
# The same sources built again in another folder give, byte for byte, what the test command's
# own builds gave: the Linux program and its .deb, the Windows exe, setup and zip, and every file
# of the site. Run by `./dev.sh test` once those builds are made.
#   tests/reproducible_test.sh SOURCE_DIR
set -euo pipefail
source=$(realpath "${1:?usage: reproducible_test.sh SOURCE_DIR}")
cd "$source"
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}
again=$(mktemp -d /tmp/stakora-again.XXXXXX)
trap 'rm -rf "$again"' EXIT

# The files of the work tree that git does not ignore, into a folder of another name.
git ls-files -z --cached --others --exclude-standard | while IFS= read -r -d '' file; do
    [ -e "$file" ] && printf '%s\0' "$file"
done | xargs -0 cp --parents -t "$again"

# CPack builds only what it packs (no install-all dependency), so the second build is short.
(cd build && cpack -G DEB >/dev/null)
(
    cd "$again"
    for preset in linux windows web; do
        cmake --preset $preset -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON >/dev/null
    done
    cmake --build --preset linux --target stakora debian_documentation >/dev/null
    (cd build && cpack -G DEB >/dev/null)
    cmake --build --preset windows --target stakora windows_packages >/dev/null
    cmake --build --preset web --target web_site >/dev/null
)

artefacts=(build/app/stakora build/stakora_1.00_amd64.deb build-windows/app/stakora.exe
    build-windows/stakora-1.00-setup.exe build-windows/stakora-1.00-win64.zip)
mapfile -t site < <(cd build-web/site && find . -type f | sort)
[ ${#site[@]} -gt 5 ] || { echo "FAIL: no site in build-web/site"; exit 1; }
artefacts+=("${site[@]/#./build-web/site}")
different=0
for artefact in "${artefacts[@]}"; do
    if cmp -s "$artefact" "$again/$artefact"; then
        echo "ok: the same bytes: $artefact"
    else
        echo "FAIL: built twice, $artefact differs"
        if command -v diffoscope >/dev/null; then
            diffoscope "$artefact" "$again/$artefact" 2>&1 | head -n 40 || true
        fi
        different=1
    fi
done
exit $different
