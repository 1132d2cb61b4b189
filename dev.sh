#!/usr/bin/env bash
# Installs what is missing from Debian's packages, builds, then:
#   run            opens the window (built in build-app/, as a user builds it)
#   test           runs the whole test suite: Linux, Windows under Wine, the browser edition
#                  under Node.js and Chromium, then Linux again built with ASan and UBSan; every
#                  suite runs even when one fails, and the failing ones are named at the end;
#                  STAKORA_SUITES="linux web" ./dev.sh test runs only the suites named
#   sanitize       only the ASan and UBSan build and its tests
#   fuzz [SECONDS] fuzzes the calculation for SECONDS in all (60 by default)
#   package        builds the .deb package in build/ and the Windows packages in build-windows/
#   release        builds every artefact into dist/, with their SHA256SUMS
#   windows        cross-builds the Windows edition, build-windows/app/stakora.exe, with its
#                  installer and portable zip
#   web            builds the browser edition, build-web/site/, and serves it on 127.0.0.1:8000
# Used as is by newcomers and by CI.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"

# Every artefact carries the last commit's time, so the same commit always gives the same bytes.
if [ -z "${SOURCE_DATE_EPOCH:-}" ] && git rev-parse --git-dir >/dev/null 2>&1; then
    SOURCE_DATE_EPOCH=$(git log -1 --format=%ct)
    export SOURCE_DATE_EPOCH
fi

BUILD_PACKAGES=(g++ cmake ninja-build qt6-base-dev qt6-translations-l10n fonts-open-sans)
TEST_PACKAGES=(libgtest-dev libgmock-dev libbenchmark-dev xvfb xauth xdotool python3-xlib openbox
    hyperfine time desktop-file-utils appstream binutils-mingw-w64-x86-64 dpkg-dev file lintian
    devscripts)
FUZZ_PACKAGES=(clang libclang-rt-14-dev)
WINDOWS_PACKAGES=(g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 googletest nsis cmake python3
    ninja-build)
WINE_TEST_PACKAGES=(wine64 xvfb xauth xdotool openbox python3-xlib)
WEB_PACKAGES=(emscripten googletest cmake ninja-build python3)
WEB_TEST_PACKAGES=(chromium chromium-driver python3-selenium)

install_missing() {
    local missing=()
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'ok installed' ||
            missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    local sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    echo "Installing: ${missing[*]}"
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends \
        "${missing[@]}" >/dev/null
}

# Configures and builds one of the presets of CMakePresets.json: app, linux, sanitize, windows
# or web. The suites below chain their steps with && themselves: they run where a failure must
# not stop the script, and there bash's errexit does not apply.
build() {
    cmake --preset "$1" >/dev/null && cmake --build --preset "$1"
}

linux_tests() {
    build linux && ctest --preset linux
}

sanitized_tests() {
    # Leaks are checked too; only the toolkit's own are suppressed, each with its reason
    # (tests/lsan.supp). intercept_tls_get_addr=0: on some machines this toolchain's
    # LeakSanitizer records a bogus dynamic TLS block through that hook and crashes at exit;
    # static TLS is still scanned.
    build sanitize && ctest --preset sanitize
}

# The Windows edition's suites under Wine, each run in a fresh prefix (tests/wine_run.sh).
windows_tests() {
    build windows && ctest --preset windows
}

# The browser edition's suites under Node.js, and its page in headless Chromium with the audit
# tool that tests/package-lock.json pins.
web_tests() {
    build web && (cd tests && npm ci --no-audit --no-fund --loglevel=error) && ctest --preset web
}

# The same sources built again in another folder give the same bytes as the builds above.
reproducible_tests() {
    tests/reproducible_test.sh .
}

# Runs each named suite whatever the others did, then names those that failed.
run_suites() {
    local failed=()
    for suite in "$@"; do
        echo "== suite: $suite"
        "${suite}_tests" || failed+=("$suite")
    done
    if [ ${#failed[@]} -gt 0 ]; then
        echo "Failed suites: ${failed[*]} (of: $*)"
        return 1
    fi
    echo "Every suite passed: $*"
}

case "${1:-}" in
run)
    install_missing "${BUILD_PACKAGES[@]}"
    build app
    exec build-app/app/stakora
    ;;
test)
    install_missing "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}" "${WINDOWS_PACKAGES[@]}" \
        "${WINE_TEST_PACKAGES[@]}" "${WEB_PACKAGES[@]}" "${WEB_TEST_PACKAGES[@]}"
    command -v npm >/dev/null || install_missing npm
    run_suites ${STAKORA_SUITES:-linux windows web reproducible sanitized}
    ;;
sanitize)
    install_missing "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}"
    run_suites sanitized
    ;;
fuzz)
    seconds=${2:-60}
    install_missing "${BUILD_PACKAGES[@]}" "${FUZZ_PACKAGES[@]}"
    cmake -S . -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DSTAKORA_FUZZ=ON >/dev/null
    cmake --build build-fuzz
    targets=(to_single format_amount schedule)
    each=$((seconds / ${#targets[@]}))
    [ "$each" -ge 1 ] || each=1
    mkdir -p build-fuzz/artifacts
    for target in "${targets[@]}"; do
        corpus=fuzz/corpus/$target
        found=$(mktemp -d)
        echo "== fuzz_$target for ${each}s"
        build-fuzz/fuzz/fuzz_$target -max_total_time="$each" -max_len=512 -print_final_stats=1 \
            -artifact_prefix=build-fuzz/artifacts/ "$found" "$corpus" 2>&1 | tail -n 12
        # Keep only the new inputs that reach new code; they join the committed corpus.
        build-fuzz/fuzz/fuzz_$target -merge=1 "$corpus" "$found" 2>&1 | tail -n 1
        rm -rf "$found"
    done
    ;;
package)
    install_missing "${BUILD_PACKAGES[@]}" dpkg-dev file "${WINDOWS_PACKAGES[@]}"
    build linux
    (cd build && cpack -G DEB)
    build windows
    ls -l build/stakora_*.deb build-windows/stakora-*-setup.exe build-windows/stakora-*-win64.zip
    ;;
web)
    install_missing "${WEB_PACKAGES[@]}"
    build web
    echo "Stakora in the browser: http://127.0.0.1:8000/ (Ctrl+C stops the server)"
    exec python3 -m http.server 8000 --bind 127.0.0.1 --directory build-web/site
    ;;
release)
    install_missing "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}" "${WINDOWS_PACKAGES[@]}" \
        "${WEB_PACKAGES[@]}"
    build linux
    (cd build && cpack -G DEB >/dev/null)
    build windows
    build web
    version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/CMakeCache.txt)
    rm -rf dist
    mkdir dist
    cp build/stakora_"${version}"_amd64.deb build-windows/stakora-"${version}"-setup.exe \
        build-windows/stakora-"${version}"-win64.zip dist/
    cp build-windows/app/stakora.exe dist/stakora-"${version}"-win64.exe
    # The site as a tarball with fixed times, owners and order, so it too is the same each time.
    tar --sort=name --mtime="@${SOURCE_DATE_EPOCH:-0}" --owner=0 --group=0 --numeric-owner \
        --mode=go-w -C build-web -cf - site | gzip -9n >dist/stakora-"${version}"-web.tar.gz
    (cd dist && sha256sum -- * >SHA256SUMS && sha256sum -c --quiet SHA256SUMS)
    ls -l dist
    ;;
windows)
    install_missing "${WINDOWS_PACKAGES[@]}"
    build windows
    ls -l build-windows/app/stakora.exe build-windows/stakora-*-setup.exe \
        build-windows/stakora-*-win64.zip
    ;;
*)
    awk 'NR > 1 && !/^#/ { exit } NR > 1' "$0" >&2
    exit 2
    ;;
esac
