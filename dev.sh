#!/usr/bin/env bash
# Installs what is missing from Debian's packages, builds, then opens the window (run) or runs
# the whole test suite (test). Used as is by newcomers and by CI.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"

BUILD_PACKAGES=(g++ cmake ninja-build qt6-base-dev fonts-open-sans)
TEST_PACKAGES=(libgtest-dev libgmock-dev libbenchmark-dev xvfb xauth x11-utils xdotool python3-xlib
    hyperfine time)

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
    cmake -S . -B build -G Ninja "$@" >/dev/null
    cmake --build build
}

case "${1:-}" in
run)
    install_missing "${BUILD_PACKAGES[@]}"
    build
    exec build/app/stakora
    ;;
test)
    install_missing "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}"
    build -DSTAKORA_WARNINGS_AS_ERRORS=ON
    ctest --test-dir build --output-on-failure -j2
    ;;
*)
    echo "usage: $0 run | test" >&2
    exit 2
    ;;
esac
