#!/usr/bin/env bash
# The version is typed once, in CMakeLists.txt (and recorded in the Debian changelog): no other
# file of the sources repeats it, in any form an artefact writes it in, so a new version cannot
# be missed in one of them.
#   tests/version_test.sh SOURCE_DIR VERSION QUAD   (QUAD: the Windows form, four numbers)
set -euo pipefail
source=${1:?usage: version_test.sh SOURCE_DIR VERSION QUAD} version=${2:?} quad=${3:?}
cd "$source"
forms=("$version" "$quad" "${quad//./,}")
pattern="(^|[^0-9.,])($(printf '%s|' "${forms[@]//./\\.}" | sed 's/|$//'))([^0-9]|$)"
# The files git tracks; in a tree downloaded without git, every file but the builds'.
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    files() { git ls-files -z; }
else
    files() { find . -path './build*' -prune -o -name node_modules -prune -o -type f -print0; }
fi
found=$(files | grep -z -v -E '^(\./)?(CMakeLists\.txt|packaging/debian/changelog|fuzz/corpus/.*)$' |
    xargs -0 grep -I -n -E "$pattern" -- || true)
if [ -n "$found" ]; then
    echo "FAIL: the version written again outside CMakeLists.txt:"
    echo "$found"
    exit 1
fi
grep -q -E "project\(stakora VERSION $version " CMakeLists.txt || { echo "FAIL: not $version"; exit 1; }
echo "ok: ${forms[*]} written only in CMakeLists.txt and the changelog"
