#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in build-fuzz, fuzzes each one for a bounded time starting from its seed
# corpus (fuzz/corpus/<target>/), then replays the seeds and every input the run added. Prints the executions per
# target; any crash, sanitizer report or broken property fails the run and leaves the input in build-fuzz/artifacts.
#   scripts/fuzz.sh                    every target, 30 seconds each
#   QUILLBOX_FUZZ_SECONDS=300 scripts/fuzz.sh reformat    one target, longer
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${QUILLBOX_FUZZ_BUILD:-$root/build-fuzz}"
seconds="${QUILLBOX_FUZZ_SECONDS:-30}"
source "$root/scripts/packages.sh"

ensure_packages "${run_packages[@]}" "${fuzz_packages[@]}"

targets=("$@")
[ "${#targets[@]}" -gt 0 ] || targets=(field_reader record_file settings import file_pattern reformat listing_names)

cmake -S "$root" -B "$build" "${strict_build[@]}" -DCMAKE_CXX_COMPILER=clang++-14 -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DQUILLBOX_FUZZ=ON -DQUILLBOX_TESTS=OFF >/dev/null
cmake --build "$build" --target fuzz_targets

# The import writes a record file per record, so its inputs are kept shorter; folder entries are at most 255 bytes,
# and an input of the listing's names holds a few.
max_len() {
    case "$1" in
    import) echo 1024 ;;
    listing_names) echo 1024 ;;
    *) echo 4096 ;;
    esac
}

export ASAN_OPTIONS="detect_leaks=1:strict_string_checks=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
mkdir -p "$build/artifacts" "$build/logs"
failed=()
summary=()
for target in "${targets[@]}"; do
    binary="$build/fuzz/fuzz_$target"
    seeds="$root/fuzz/corpus/$target"
    grown="$build/corpus/$target" # new inputs go here, so the seeds in the repository stay as they are
    log="$build/logs/$target.log"
    mkdir -p "$grown"
    echo "== fuzz_$target: ${seconds}s"
    if ! "$binary" -max_total_time="$seconds" -max_len="$(max_len "$target")" -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$build/artifacts/$target-" "$grown" "$seeds" >"$log" 2>&1; then
        tail -n 40 "$log"
        failed+=("$target")
        continue
    fi
    runs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")"
    if ! "$binary" -runs=0 -max_len="$(max_len "$target")" "$seeds" "$grown" >"$log.replay" 2>&1; then
        tail -n 40 "$log.replay"
        failed+=("$target (replay)")
        continue
    fi
    inputs="$(find "$seeds" "$grown" -type f | wc -l)"
    summary+=("$(printf '%-14s %10s executions  %5s corpus inputs replayed' "$target" "$runs" "$inputs")")
done

echo "== fuzzing summary"
printf '%s\n' "${summary[@]}"
if [ "${#failed[@]}" -gt 0 ]; then
    echo "FAILED: ${failed[*]} (logs in $build/logs, inputs in $build/artifacts)" >&2
    exit 1
fi
