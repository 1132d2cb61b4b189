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
#   release        builds every artefact of the committed tree afresh into dist/, with their
#                  SHA256SUMS (signed as SHA256SUMS.asc with STAKORA_SIGNING_KEY=<gpg key id>);
#                  the Windows program, installer and uninstaller signed with Authenticode with
#                  STAKORA_WINDOWS_CERT=<file.p12> (password in STAKORA_WINDOWS_CERT_PASSWORD,
#                  an RFC 3161 timestamp from STAKORA_TIMESTAMP_URL if set);
#                  refuses a tree with changes, and runs every suite first unless a green
#                  `./dev.sh test` of the same commit is recorded
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
    devscripts cmark orca speech-dispatcher at-spi2-core dbus-x11 libglib2.0-bin sway wtype
    qt6-wayland python3-pyatspi)
FUZZ_PACKAGES=(clang libclang-rt-14-dev)
WINDOWS_PACKAGES=(g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 googletest nsis cmake python3
    ninja-build osslsigncode openssl ca-certificates)
WINE_TEST_PACKAGES=(wine64 xvfb xauth xdotool openbox python3-xlib)
WEB_PACKAGES=(emscripten googletest cmake ninja-build python3)
WEB_TEST_PACKAGES=(chromium chromium-driver python3-selenium firefox-esr webkit2gtk-driver
    python3-websocket poppler-utils xvfb xauth orca speech-dispatcher at-spi2-core dbus-x11
    libglib2.0-bin openbox xdotool)

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

# Everything the whole test suite needs.
install_for_tests() {
    install_missing "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}" "${WINDOWS_PACKAGES[@]}" \
        "${WINE_TEST_PACKAGES[@]}" "${WEB_PACKAGES[@]}" "${WEB_TEST_PACKAGES[@]}"
    command -v npm >/dev/null || install_missing npm
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

# The browser edition's suites under Node.js, and its page in Chromium, Firefox ESR and WebKitGTK,
# with the audit tool that tests/package-lock.json pins, and heard with Orca.
web_tests() {
    # The differential test plays the Linux build's Qt window as the page's reference.
    cmake --preset linux >/dev/null && cmake --build --preset linux --target qt_replay &&
        build web && (cd tests && npm ci --no-audit --no-fund --loglevel=error) &&
        ctest --preset web
}

# The same sources built again in another folder give the same bytes as the builds above.
reproducible_tests() {
    tests/reproducible_test.sh .
}

# A green run of every suite on a tree with no change of its own is recorded against its commit:
# a release of that commit needs one.
ALL_SUITES="linux windows web reproducible sanitized"
TESTED_RECORD=build/tested-commit

# Prints each change git sees (modified, staged, untracked), one a line; nothing when clean.
changes() {
    git status --porcelain --untracked-files=all
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

# The release: every artefact built afresh from a committed tree, in folders of its own with
# every option written out (the build type, hardening, no tests, warnings left as warnings), so
# nothing from a developer's own builds reaches it; then tested, checksummed and, with
# STAKORA_SIGNING_KEY set, signed. dist/ appears only once all of it has succeeded.
release() {
    local dirty
    dirty=$(changes)
    if [ -n "$dirty" ]; then
        echo "release: refused, the work tree differs from its last commit; commit or remove:" >&2
        echo "$dirty" >&2
        exit 1
    fi
    local commit
    commit=$(git rev-parse HEAD)
    rm -rf dist build-release
    trap 'echo "release: FAILED; dist/ was not made" >&2; rm -rf build-release/dist' ERR
    # The release is only of a commit whose whole test suite is green: the record of an earlier
    # `./dev.sh test` of this very commit, or a run now.
    if [ "$(cat "$TESTED_RECORD" 2>/dev/null)" != "$commit" ]; then
        echo "release: no green ./dev.sh test of $commit recorded; running every suite first"
        install_for_tests
        run_suites $ALL_SUITES
        echo "$commit" >"$TESTED_RECORD"
    fi
    install_missing "${BUILD_PACKAGES[@]}" "${WINDOWS_PACKAGES[@]}" "${WEB_PACKAGES[@]}" dpkg-dev \
        gpg
    local windows_cert=()
    if [ -n "${STAKORA_WINDOWS_CERT:-}" ]; then
        windows_cert=(-DSTAKORA_WINDOWS_CERT="$(realpath "$STAKORA_WINDOWS_CERT")")
    else
        echo "release: no STAKORA_WINDOWS_CERT: the Windows files are not signed"
    fi
    local options=(-G Ninja -DCMAKE_BUILD_TYPE=Release -DSTAKORA_HARDENING=ON
        -DSTAKORA_BUILD_TESTS=OFF -DSTAKORA_WARNINGS_AS_ERRORS=OFF -DSTAKORA_SANITIZE=OFF
        -DSTAKORA_FUZZ=OFF)
    cmake -S . -B build-release/linux "${options[@]}" >/dev/null
    cmake --build build-release/linux
    (cd build-release/linux && cpack -G DEB >/dev/null)
    cmake -S . -B build-release/windows "${options[@]}" \
        -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64-x86_64.cmake" "${windows_cert[@]}" >/dev/null
    cmake --build build-release/windows
    NODE_PATH=/usr/share/nodejs cmake -S . -B build-release/web "${options[@]}" \
        -DCMAKE_TOOLCHAIN_FILE=/usr/share/emscripten/cmake/Modules/Platform/Emscripten.cmake \
        -DCMAKE_CROSSCOMPILING_EMULATOR=/usr/bin/node >/dev/null
    NODE_PATH=/usr/share/nodejs cmake --build build-release/web
    local version dist=build-release/dist
    version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build-release/linux/CMakeCache.txt)
    mkdir "$dist"
    cp build-release/linux/stakora_"${version}"_amd64.deb \
        build-release/windows/stakora-"${version}"-setup.exe \
        build-release/windows/stakora-"${version}"-win64.zip \
        build-release/windows/stakora-"${version}"-win64.exe "$dist"/
    # The site as a tarball with fixed times, owners and order, so it too is the same each time.
    tar --sort=name --mtime="@${SOURCE_DATE_EPOCH:-0}" --owner=0 --group=0 --numeric-owner \
        --mode=go-w -C build-release/web -cf - site | gzip -9n >"$dist"/stakora-"${version}"-web.tar.gz
    (cd "$dist" && sha256sum -- * >SHA256SUMS && sha256sum -c --quiet SHA256SUMS)
    if [ -n "${STAKORA_SIGNING_KEY:-}" ]; then
        gpg --batch --yes --local-user "$STAKORA_SIGNING_KEY" --armor --detach-sign \
            --output "$dist"/SHA256SUMS.asc "$dist"/SHA256SUMS
        gpg --batch --verify "$dist"/SHA256SUMS.asc "$dist"/SHA256SUMS
    fi
    if [ -n "$(changes)" ]; then
        echo "release: the work tree changed while building:" >&2
        changes >&2
        false
    fi
    mv "$dist" dist
    trap - ERR
    echo "Released $commit:"
    ls -l dist
}

case "${1:-}" in
run)
    install_missing "${BUILD_PACKAGES[@]}"
    build app
    exec build-app/app/stakora
    ;;
test)
    install_for_tests
    suites=${STAKORA_SUITES:-$ALL_SUITES}
    clean_before=$(changes)
    run_suites $suites
    if [ "$suites" = "$ALL_SUITES" ] && [ -z "$clean_before" ] && [ -z "$(changes)" ]; then
        git rev-parse HEAD >"$TESTED_RECORD"
    fi
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
    release
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
