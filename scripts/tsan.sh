#!/usr/bin/env bash
# Builds the pure core and the tests of the readers and the search with ThreadSanitizer in build-tsan and runs them:
# the folder feed under the record walk reads ahead with threads, and any data race or thread leak there fails the
# run, in the feed's own tests (test_readers) as in the walk's. Only the core and these tests are built, so the run
# stays short.
#   scripts/tsan.sh                          build and run the readers' and the search's tests
#   scripts/tsan.sh --gtest_filter='Record*'  extra arguments go to each test binary
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${QUILLBOX_TSAN_BUILD:-$root/build-tsan}"
source "$root/scripts/packages.sh"

# Configuring looks for Qt even though nothing built here uses it.
ensure_packages "${run_packages[@]}" libgtest-dev

cmake -S "$root" -B "$build" "${strict_build[@]}" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-g -O1" \
    -DQUILLBOX_TSAN=ON -DQUILLBOX_TESTS=ON >/dev/null
cmake --build "$build" --target test_readers test_search

export TSAN_OPTIONS="halt_on_error=1:report_thread_leaks=1:second_deadlock_stack=1"
# ThreadSanitizer needs the address space laid out as it expects, which the kernel's randomisation may not give.
for tests in test_readers test_search; do
    setarch "$(uname -m)" -R "$build/tests/$tests" "$@"
done
