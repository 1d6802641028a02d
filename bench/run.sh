#!/bin/sh
# Usage: bench/run.sh [BUILD_DIR] [tbook_bench options...]
#
# Builds tbook_bench in BUILD_DIR (default build/bench; configured as Release when new), runs
# every benchmark with repetitions, keeps the JSON as BUILD_DIR/bench.json and prints each ratio
# against its reference with bench/report.py. Options go to tbook_bench, e.g.
# --benchmark_filter=load or --benchmark_repetitions=9.
set -e
cd "$(dirname "$0")/.."
build=build/bench
case "$1" in
"" | -*) ;;
*) build=$1; shift ;;
esac
if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release
fi
cmake --build "$build" -j2 --target tbook_bench
out="$build/bench.json"
# Repetitions run in random order, so that a burst of load on the shared machine falls on both
# sides of a ratio alike; the report takes the median of each.
"$build/bin/tbook_bench" \
    --benchmark_repetitions=5 \
    --benchmark_enable_random_interleaving=true \
    --benchmark_report_aggregates_only=true \
    --benchmark_out="$out" --benchmark_out_format=json \
    "$@"
python3 bench/report.py "$out"
