#!/usr/bin/env bash
# Builds the benchmarks in Release mode in build-bench and runs them. Arguments go to search_bench: --million for a
# folder of 1,000,000 records too, and a work folder to keep the record folders in between runs.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/packages.sh"
ensure_packages "${run_packages[@]}" "${bench_packages[@]}"
cmake -S "$root" -B "$root/build-bench" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUILLBOX_BENCH=ON -DQUILLBOX_TESTS=OFF
ninja -C "$root/build-bench" search_bench reformat_bench remind_bench finder_bench
status=0
"$root/build-bench/bench/search_bench" "$@" || status=1
"$root/build-bench/bench/reformat_bench" || status=1
"$root/build-bench/bench/remind_bench" || status=1
"$root/build-bench/bench/finder_bench" || status=1
exit $status
