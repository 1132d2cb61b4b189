#!/usr/bin/env bash
# Installs what is missing from Debian's packages (apt-get, as root or through sudo), builds,
# then:
#   run            opens the window (built in build-app/, as a user builds it)
#   test           runs every suite: Linux (with the Wayland and screen-reader tests), Windows
#                  under Wine, the browser edition under Node.js and in Chromium, Firefox ESR
#                  and WebKitGTK, a second build compared byte for byte, and Linux again built
#                  with ASan and UBSan; every suite runs even when one fails, and the failing
#                  ones are named at the end; STAKORA_SUITES="linux web" ./dev.sh test runs
#                  only the suites named
#   sanitize       only the Linux suite built with ASan and UBSan
#   fuzz [SECONDS] fuzzes the calculation for SECONDS in all (60 by default)
#   package        builds the .deb package in build/ and the Windows packages in build-windows/
#   release        builds every artefact of the committed tree afresh into dist/ (docs/releasing.md)
#   windows        cross-builds the Windows edition, build-windows/app/stakora.exe, with its
#                  installer and portable zip
#   web            builds the browser edition, build-web/site/, and serves it on 127.0.0.1:8000
#   deps COMMAND   prints the Debian packages that COMMAND needs, and installs nothing
# Used as is by newcomers and by CI.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"

# Every artefact carries the last commit's time, so the same commit always gives the same bytes;
# a tree without git (an unpacked archive) carries its last release's, from the changelog.
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
    if git rev-parse --git-dir >/dev/null 2>&1; then
        SOURCE_DATE_EPOCH=$(git log -1 --format=%ct)
    else
        SOURCE_DATE_EPOCH=$(date -d "$(sed -n 's/^ -- .*  //p' packaging/debian/changelog |
            head -n 1)" +%s)
    fi
    export SOURCE_DATE_EPOCH
fi

# dpkg-dev: the hardening flags come from dpkg-buildflags (cmake/Hardening.cmake).
BUILD_PACKAGES=(g++ cmake ninja-build qt6-base-dev qt6-translations-l10n fonts-open-sans dpkg-dev)
# What the tests and benchmarks link: every build with them configured needs these.
TEST_LIBRARIES=(libgtest-dev libgmock-dev libbenchmark-dev)
TEST_PACKAGES=(xvfb xauth xdotool python3-xlib openbox hyperfine time desktop-file-utils appstream
    binutils-mingw-w64-x86-64 file lintian devscripts cmark orca speech-dispatcher at-spi2-core
    dbus-x11 libglib2.0-bin sway wtype qt6-wayland python3-pyatspi)
FUZZ_PACKAGES=(clang libclang-rt-14-dev)
WINDOWS_PACKAGES=(g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 googletest nsis cmake python3
    ninja-build osslsigncode openssl ca-certificates)
WINE_TEST_PACKAGES=(wine64 xvfb xauth xdotool openbox python3-xlib)
WEB_PACKAGES=(emscripten googletest cmake ninja-build python3)
WEB_TEST_PACKAGES=(chromium chromium-driver python3-selenium firefox-esr webkit2gtk-driver
    python3-websocket poppler-utils xvfb xauth orca speech-dispatcher at-spi2-core dbus-x11
    libglib2.0-bin openbox xdotool npm)

# The packages each command needs.
needs() {
    case "$1" in
    run) echo "${BUILD_PACKAGES[@]}" ;;
    test | release)
        echo "${BUILD_PACKAGES[@]}" "${TEST_LIBRARIES[@]}" "${TEST_PACKAGES[@]}" \
            "${WINDOWS_PACKAGES[@]}" "${WINE_TEST_PACKAGES[@]}" "${WEB_PACKAGES[@]}" \
            "${WEB_TEST_PACKAGES[@]}" gpg
        ;;
    sanitize) echo "${BUILD_PACKAGES[@]}" "${TEST_LIBRARIES[@]}" "${TEST_PACKAGES[@]}" ;;
    fuzz) echo "${BUILD_PACKAGES[@]}" "${TEST_LIBRARIES[@]}" "${FUZZ_PACKAGES[@]}" ;;
    package) echo "${BUILD_PACKAGES[@]}" "${TEST_LIBRARIES[@]}" file "${WINDOWS_PACKAGES[@]}" ;;
    windows) echo "${WINDOWS_PACKAGES[@]}" ;;
    web) echo "${WEB_PACKAGES[@]}" ;;
    *) return 1 ;;
    esac
}

# Installs the packages that COMMAND needs and the machine lacks: as root, or through sudo;
# with neither, says what to install and stops.
install_for() {
    local missing=()
    for package in $(needs "$1" | tr ' ' '\n' | sort -u); do
        # npm may come with a Node.js of the machine's own instead of Debian's.
        [ "$package" = npm ] && command -v npm >/dev/null && continue
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'ok installed' ||
            missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    local sudo=()
    if [ "$(id -u)" -ne 0 ]; then
        if ! command -v sudo >/dev/null; then
            echo "dev.sh: these packages are missing; install them as root, then run this again:" >&2
            echo "  apt-get install --no-install-recommends ${missing[*]}" >&2
            exit 2
        fi
        sudo=(sudo)
    fi
    echo "Installing: ${missing[*]}"
    "${sudo[@]}" apt-get update -qq
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq \
        --no-install-recommends "${missing[@]}" >/dev/null
}

# Run as root in a tree that is someone else's (sudo ./dev.sh test), the folders it builds are
# given to the tree's owner at the end, so a later run without root can build there again.
if [ "$(id -u)" -eq 0 ] && [ "$(stat -c %u .)" -ne 0 ]; then
    owner=$(stat -c %u:%g .)
    trap 'chown -R "$owner" build build-* dist tests/node_modules 2>/dev/null || true' EXIT
fi

# Configures and builds one of the presets of CMakePresets.json: app, linux, sanitize, windows
# or web. The suites below chain their steps with && themselves: they run where a failure must
# not stop the script, and there bash's errexit does not apply.
build() {
    configure --preset "$1" && cmake --build --preset "$1"
}

# CMake's configuring, its report shown only when it fails.
configure() {
    local report
    report=$(cmake "$@" 2>&1) || {
        echo "$report" >&2
        return 1
    }
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
    configure --preset linux && cmake --build --preset linux --target qt_replay &&
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
# STAKORA_SIGNING_KEY set, signed. dist/ is replaced only once all of it has succeeded.
release() {
    if ! git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
        echo "release: refused, this tree is not a git checkout: a release is of a commit" >&2
        exit 1
    fi
    local dirty
    dirty=$(changes)
    if [ -n "$dirty" ]; then
        echo "release: refused, the work tree differs from its last commit; commit or remove:" >&2
        echo "$dirty" >&2
        exit 1
    fi
    local commit
    commit=$(git rev-parse HEAD)
    rm -rf build-release
    trap 'echo "release: FAILED; dist/ was left as it was" >&2; rm -rf build-release/dist' ERR
    # The release is only of a commit whose whole test suite is green: the record of an earlier
    # `./dev.sh test` of this very commit, or a run now.
    if [ "$(cat "$TESTED_RECORD" 2>/dev/null)" != "$commit" ]; then
        echo "release: no green ./dev.sh test of $commit recorded; running every suite first"
        install_for test
        run_suites $ALL_SUITES
        echo "$commit" >"$TESTED_RECORD"
    fi
    install_for release
    local windows_cert=()
    if [ -n "${STAKORA_WINDOWS_CERT:-}" ]; then
        windows_cert=(-DSTAKORA_WINDOWS_CERT="$(realpath "$STAKORA_WINDOWS_CERT")")
    else
        echo "release: no STAKORA_WINDOWS_CERT: the Windows files are not signed"
    fi
    local options=(-G Ninja -DCMAKE_BUILD_TYPE=Release -DSTAKORA_HARDENING=ON
        -DSTAKORA_BUILD_TESTS=OFF -DSTAKORA_WARNINGS_AS_ERRORS=OFF -DSTAKORA_SANITIZE=OFF
        -DSTAKORA_FUZZ=OFF)
    configure -S . -B build-release/linux "${options[@]}"
    cmake --build build-release/linux
    (cd build-release/linux && cpack -G DEB >/dev/null)
    configure -S . -B build-release/windows "${options[@]}" \
        -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64-x86_64.cmake" "${windows_cert[@]}"
    cmake --build build-release/windows
    NODE_PATH=/usr/share/nodejs configure -S . -B build-release/web "${options[@]}" \
        -DCMAKE_TOOLCHAIN_FILE=/usr/share/emscripten/cmake/Modules/Platform/Emscripten.cmake \
        -DCMAKE_CROSSCOMPILING_EMULATOR=/usr/bin/node
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
    rm -rf dist
    mv "$dist" dist
    trap - ERR
    echo "Released $commit:"
    ls -l dist
}

case "${1:-}" in
run)
    install_for run
    build app
    build-app/app/stakora || exit  # (not exec: the folders may still be given back on exit)
    ;;
test)
    install_for test
    suites=${STAKORA_SUITES:-$ALL_SUITES}
    if ! git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
        echo "dev.sh: not a git checkout: this run is recorded for no commit (a release needs one)"
        run_suites $suites
        exit
    fi
    clean_before=$(changes)
    run_suites $suites
    if [ "$suites" = "$ALL_SUITES" ] && [ -z "$clean_before" ] && [ -z "$(changes)" ]; then
        git rev-parse HEAD >"$TESTED_RECORD"
    fi
    ;;
sanitize)
    install_for sanitize
    run_suites sanitized
    ;;
fuzz)
    seconds=${2:-60}
    install_for fuzz
    configure -S . -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DSTAKORA_FUZZ=ON
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
    install_for package
    build linux
    (cd build && cpack -G DEB)
    build windows
    ls -l build/stakora_*.deb build-windows/stakora-*-setup.exe build-windows/stakora-*-win64.zip
    ;;
web)
    install_for web
    build web
    echo "Stakora in the browser: http://127.0.0.1:8000/ (Ctrl+C stops the server)"
    python3 -m http.server 8000 --bind 127.0.0.1 --directory build-web/site
    ;;
release)
    release
    ;;
windows)
    install_for windows
    build windows
    ls -l build-windows/app/stakora.exe build-windows/stakora-*-setup.exe \
        build-windows/stakora-*-win64.zip
    ;;
deps)
    needs "${2:-}" || {
        echo "usage: ./dev.sh deps run|test|sanitize|fuzz|package|windows|web|release" >&2
        exit 2
    }
    ;;
*)
    awk 'NR > 1 && !/^#/ { exit } NR > 1' "$0" >&2
    exit 2
    ;;
esac
