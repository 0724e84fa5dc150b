#!/usr/bin/env bash
# The format and lint gates: clang-format must find nothing to change in src, tests, bench and fuzz, and clang-tidy
# (the checks of .clang-tidy, each warning an error) must find nothing in the sources of the core, the windows,
# the tests and the benchmarks. Configures build-lint for its compile commands; compiles nothing.
#   scripts/lint.sh            both gates
#   scripts/lint.sh FILE...    clang-tidy on these files only (after the format gate)
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${QUILLBOX_LINT_BUILD:-$root/build-lint}"
cd "$root"
# shellcheck source=scripts/packages.sh
source scripts/packages.sh
ensure_packages "${run_packages[@]}" "${test_packages[@]}" "${lint_packages[@]}"

mapfile -t sources < <(git ls-files 'src/*.cpp' 'src/*.h' 'tests/*.cpp' 'tests/*.h' 'bench/*.cpp' 'bench/*.h' \
    'fuzz/*.cpp' 'fuzz/*.h')
clang-format --dry-run --Werror "${sources[@]}"
echo "clang-format: ${#sources[@]} files as formatted"

# Each layer's include path holds only its own headers and those below it, so a wrong-way include fails the build;
# a relative include would slip past that.
if git grep -nE '#include "\.\.?/' -- src tests bench fuzz; then
    echo "includes name headers from the top of their layer (\"store/record_file.h\"), never by a relative path" >&2
    exit 1
fi

# Configuring is enough for the compile commands; the Qt-generated headers the sources need come from moc, which
# the sources do not include directly.
cmake -S "$root" -B "$build" "${strict_build[@]}" -DQUILLBOX_TESTS=ON -DQUILLBOX_BENCH=ON >/dev/null
if [ "$#" -gt 0 ]; then
    tidied=("$@")
else
    # The fuzz targets build with clang's fuzzer flags only, so they have no compile commands here.
    mapfile -t tidied < <(git ls-files 'src/*.cpp' 'tests/*.cpp' 'bench/*.cpp')
fi
run-clang-tidy -p "$build" -j "$(nproc)" -quiet "${tidied[@]/#/$root/}" >"$build/clang-tidy.log" 2>&1 || {
    grep -E "error:|warning:" -A3 "$build/clang-tidy.log" | head -200
    echo "clang-tidy found problems (all of them in $build/clang-tidy.log)" >&2
    exit 1
}
echo "clang-tidy: ${#tidied[@]} files without findings"
