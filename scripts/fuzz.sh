#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in build-fuzz, fuzzes each one for a bounded time starting from its seed
# corpus (fuzz/corpus/<target>/), then replays the seeds and every input the run added. Prints the executions per
# target and per second; any crash, sanitizer report or broken property fails the run and leaves the input in
# build-fuzz/artifacts.
#   scripts/fuzz.sh                    every target, 30 seconds each
#   QUILLBOX_FUZZ_SECONDS=300 scripts/fuzz.sh reformat    one target, longer
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${QUILLBOX_FUZZ_BUILD:-$root/build-fuzz}"
seconds="${QUILLBOX_FUZZ_SECONDS:-30}"
source "$root/scripts/packages.sh"

ensure_packages "${run_packages[@]}" "${fuzz_packages[@]}"

targets=("$@")
[ "${#targets[@]}" -gt 0 ] ||
    targets=(field_reader record_file record_write settings dirlist import file_pattern reformat listing_names
        told_reminders may_match)

cmake -S "$root" -B "$build" "${strict_build[@]}" -DCMAKE_CXX_COMPILER=clang++-14 -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DQUILLBOX_FUZZ=ON -DQUILLBOX_TESTS=OFF >/dev/null
cmake --build "$build" --target fuzz_targets

# The longest input of each target. A record or a settings value is read by one or two field reads, so those inputs
# may be long. The parsers that go through every field of an input find nothing more in kilobytes than in a few
# hundred bytes that repeat the same cases: field reads in pieces of up to 64 bytes, a directory list (320 bytes hold
# more than its 256 entries), the import (several records of up to six fields), the reformat (lines break after 65
# characters); and a name in a folder is at most 255 bytes (an input of the listing's names holds a few). Shorter
# inputs keep them near 20,000 runs a second.
max_len() {
    case "$1" in
    reformat) echo 1024 ;;
    file_pattern) echo 640 ;;
    field_reader) echo 512 ;;
    dirlist | import) echo 320 ;;
    listing_names) echo 1024 ;;
    *) echo 4096 ;;
    esac
}

# The tokens the core compares against (it is built without comparison tracing), as libFuzzer options.
dictionary() {
    case "$1" in
    reformat) ;;
    file_pattern | listing_names) echo "$root/fuzz/dict/names.dict" ;;
    told_reminders) echo "$root/fuzz/dict/told.dict" ;;
    *) echo "$root/fuzz/dict/fields.dict" ;;
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
    options=(-max_len="$(max_len "$target")" -timeout=10 -rss_limit_mb=2048)
    dict="$(dictionary "$target")"
    [ -z "$dict" ] || options+=(-dict="$dict")
    if ! "$binary" -max_total_time="$seconds" "${options[@]}" -print_final_stats=1 \
        -artifact_prefix="$build/artifacts/$target-" "$grown" "$seeds" >"$log" 2>&1; then
        tail -n 40 "$log"
        failed+=("$target")
        continue
    fi
    runs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")"
    rate="$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")"
    if ! "$binary" -runs=0 -max_len="$(max_len "$target")" "$seeds" "$grown" >"$log.replay" 2>&1; then
        tail -n 40 "$log.replay"
        failed+=("$target (replay)")
        continue
    fi
    inputs="$(find "$seeds" "$grown" -type f | wc -l)"
    summary+=("$(printf '%-14s %10s executions %7s/s  %5s corpus inputs replayed' "$target" "$runs" "$rate" "$inputs")")
done

echo "== fuzzing summary"
printf '%s\n' "${summary[@]}"
if [ "${#failed[@]}" -gt 0 ]; then
    echo "FAILED: ${failed[*]} (logs in $build/logs, inputs in $build/artifacts)" >&2
    exit 1
fi
