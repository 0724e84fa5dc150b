#!/usr/bin/env bash
# Builds Quillbox and runs it, or builds it and runs every test. Installs the Debian packages it misses first.
#   scripts/dev.sh run    build (Release) and start Quillbox
#   scripts/dev.sh test   build (with tests) and run the whole test suite
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
mode="${1:-}"

run_packages=(g++ cmake ninja-build qt6-base-dev fonts-liberation)
test_packages=(libgtest-dev poppler-utils fiu-utils faketime distro-info-data)

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# Installs the packages that are not installed yet; quick when all are there.
ensure_packages() {
    local missing=()
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
    done
    if [ "${#missing[@]}" -gt 0 ]; then
        echo "Installing: ${missing[*]}"
        as_root apt-get update -q
        as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q "${missing[@]}"
    fi
}

configure_and_build() {
    local dir="$1"; shift
    cmake -S "$root" -B "$dir" -G Ninja "$@" >/dev/null
    cmake --build "$dir"
}

case "$mode" in
run)
    ensure_packages "${run_packages[@]}"
    configure_and_build "$root/build-release" -DCMAKE_BUILD_TYPE=Release -DQUILLBOX_TESTS=OFF
    exec "$root/build-release/quillbox"
    ;;
test)
    ensure_packages "${run_packages[@]}" "${test_packages[@]}"
    configure_and_build "$root/build-test" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILLBOX_TESTS=ON
    ctest --test-dir "$root/build-test" --output-on-failure -j2
    ;;
*)
    echo "usage: scripts/dev.sh run|test" >&2
    exit 2
    ;;
esac
