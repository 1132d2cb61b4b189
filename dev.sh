#!/usr/bin/env bash
# Installs what is missing from Debian's packages, builds, then:
#   run            opens the window
#   test           runs the whole test suite, then again built with ASan and UBSan
#   sanitize       only the ASan and UBSan build and its tests
#   fuzz [SECONDS] fuzzes the calculation for SECONDS in all (60 by default)
#   package        builds the .deb package in build/
# Used as is by newcomers and by CI.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"

BUILD_PACKAGES=(g++ cmake ninja-build qt6-base-dev qt6-translations-l10n fonts-open-sans)
TEST_PACKAGES=(libgtest-dev libgmock-dev libbenchmark-dev xvfb xauth xdotool python3-xlib openbox
    hyperfine time desktop-file-utils appstream binutils-mingw-w64-x86-64 dpkg-dev file)
FUZZ_PACKAGES=(clang libclang-rt-14-dev)

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

build() {
    local dir=$1
    shift
    cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
    cmake --build "$dir"
}

sanitized_tests() {
    build build-asan -DSTAKORA_SANITIZE=ON -DSTAKORA_WARNINGS_AS_ERRORS=ON
    # Leaks are checked too; only the toolkit's own are suppressed, each with its reason.
    # intercept_tls_get_addr=0: on some machines this toolchain's LeakSanitizer records a bogus
    # dynamic TLS block through that hook and crashes at exit; static TLS is still scanned.
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:intercept_tls_get_addr=0 \
        LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp:print_suppressions=0 \
        UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
        ctest --test-dir build-asan --output-on-failure -j2 --label-exclude 'bench|packaging'
}

case "${1:-}" in
run)
    install_missing "${BUILD_PACKAGES[@]}"
    build build
    exec build/app/stakora
    ;;
test)
    install_missing "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}"
    build build -DSTAKORA_WARNINGS_AS_ERRORS=ON
    ctest --test-dir build --output-on-failure -j2
    sanitized_tests
    ;;
sanitize)
    install_missing "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}"
    sanitized_tests
    ;;
fuzz)
    seconds=${2:-60}
    install_missing "${BUILD_PACKAGES[@]}" "${FUZZ_PACKAGES[@]}"
    build build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DSTAKORA_FUZZ=ON -DSTAKORA_BUILD_TESTS=ON
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
    install_missing "${BUILD_PACKAGES[@]}" dpkg-dev file
    build build
    (cd build && cpack -G DEB)
    ;;
*)
    sed -n '2,8p' "$0" >&2
    exit 2
    ;;
esac
