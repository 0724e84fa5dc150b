#!/usr/bin/env bash
# Builds Quillbox and runs it, or builds it and runs every test. Installs the Debian packages it misses first.
#   scripts/dev.sh run    build (Release) and start Quillbox
#   scripts/dev.sh test   build (with tests) and run the whole test suite
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
mode="${1:-}"

# shellcheck source=scripts/packages.sh
source "$root/scripts/packages.sh"

configure_and_build() {
    local dir="$1"; shift
    cmake -S "$root" -B "$dir" "$@" >/dev/null
    cmake --build "$dir"
}

case "$mode" in
run)
    ensure_packages "${run_packages[@]}"
    configure_and_build "$root/build-release" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUILLBOX_TESTS=OFF
    exec "$root/build-release/quillbox"
    ;;
test)
    ensure_packages "${run_packages[@]}" "${test_packages[@]}"
    configure_and_build "$root/build-test" "${strict_build[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILLBOX_TESTS=ON
    ctest --test-dir "$root/build-test" --output-on-failure -j2
    ;;
*)
    echo "usage: scripts/dev.sh run|test" >&2
    exit 2
    ;;
esac
