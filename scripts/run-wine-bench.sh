#!/usr/bin/env bash
# Usage: scripts/run-wine-bench.sh BUILD_DIR
#
# Builds list_refill_bench, command_bench, startup_timer, sync_bench and tbook.exe in BUILD_DIR (a mingw-w64
# build folder; configured as Release when new) and runs the four benchmarks in that folder's private Wine
# environment, printing their tables. Each benchmark compares against a reference measured in
# the same run. Use a folder of its own: the start-up timer replaces the address book of that
# environment while it runs (and puts it back), and the windows share one desktop.
#
# WINE_BENCH_REPS (default 5) and WINE_BENCH_ROUNDS (default 5) set the repetitions of the
# refill and the start-up rounds (and of the sync benchmark, which starts the test servers for its
# run). The run takes a quarter of an hour or so: the plain way of
# filling the list, the reference, is that slow under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ $# -ne 1 ]; then
    echo "usage: $0 BUILD_DIR" >&2
    exit 2
fi
build=$1
reps=${WINE_BENCH_REPS:-5}
rounds=${WINE_BENCH_ROUNDS:-5}

if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
fi
if ! cmake --build "$build" -j2 --target list_refill_bench command_bench startup_timer sync_bench tbook; then
    echo "run-wine-bench: build failed; is $build a mingw-w64 build folder with bench/win added?" >&2
    exit 2
fi

# Ends the Wine environment afterwards only if this run started it.
started_env=no
if [ ! -f "$build/wine/env" ]; then
    started_env=yes
fi
cleanup() {
    tests/sync/dav_servers.py stop "$build/dav" >/dev/null 2>&1 || true
    if [ "$started_env" = yes ]; then
        scripts/wine-env.sh teardown "$build" || true
    fi
}
trap cleanup EXIT

run() { scripts/wine-run.sh "$build" "$@"; }

status=0
echo "=== list refill ($build)"
run "$build/bin/list_refill_bench.exe" --reps "$reps" || status=1
echo
echo "=== commands ($build)"
run "$build/bin/command_bench.exe" --reps "$reps" || status=1
echo
echo "=== start-up ($build)"
# The timer starts the program with CreateProcess, which wants the Windows form of the path.
exe=$(run winepath -w "$(cd "$build/bin" && pwd)/tbook.exe" | tr -d '\r')
run "$build/bin/startup_timer.exe" "$exe" --rounds "$rounds" || status=1
echo
echo "=== start-up at 192 dpi beside 96 ($build)"
run "$build/bin/startup_timer.exe" "$exe" --rounds "$rounds" --scaling || status=1
echo
echo "=== synchronisation ($build)"
if tests/sync/dav_servers.py start "$build/dav" >/dev/null; then
    run "$build/bin/sync_bench.exe" --servers "Z:$(cd "$build/dav" && pwd)/dav-servers.env" --reps "$rounds" || status=1
else
    echo "run-wine-bench: the test servers did not start" >&2
    status=1
fi
exit $status
