#!/usr/bin/env bash
# Builds Quillbox and every test with AddressSanitizer and UndefinedBehaviorSanitizer in build-asan and runs the
# whole test suite there; any sanitizer report fails the run.
#   scripts/sanitize.sh            build and run all tests
#   scripts/sanitize.sh -R store   extra arguments go to ctest
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${QUILLBOX_ASAN_BUILD:-$root/build-asan}"
source "$root/scripts/packages.sh"

ensure_packages "${run_packages[@]}" "${test_packages[@]}"

# -O1 keeps the stacks readable and the instrumented tests quick enough.
cmake -S "$root" -B "$build" "${strict_build[@]}" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-g -O1" \
    -DQUILLBOX_SANITIZE=ON -DQUILLBOX_TESTS=ON >/dev/null
cmake --build "$build"

# Leaks are checked; only those inside the system's Qt, font and graphics libraries are suppressed (lsan.supp).
# verify_asan_link_order=0: the fault tests preload libfiu in front of the sanitizer runtime, which works but
# would otherwise be refused.
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:strict_string_checks=1:detect_stack_use_after_return=1:verify_asan_link_order=0"
export LSAN_OPTIONS="suppressions=$root/scripts/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
ctest --test-dir "$build" --output-on-failure -j2 "$@"
