#!/usr/bin/env bash
# Usage: run_at_scalings.sh BUILD_DIR TEST_PROGRAM.exe
#
# Runs the window scaling test of TEST_PROGRAM at 96, 120, 144 and 192 dpi, in a Wine environment
# of its own (Wine gives every program started the dpi of LogPixels at that moment) on a screen
# large enough for every window at 192 dpi. The 96-dpi run records where each control is; the
# others compare with it. Pictures of every window at every scaling stay in BUILD_DIR/scaling/pictures.
set -euo pipefail
scripts=$(cd "$(dirname "$0")/../../scripts" && pwd)
build=$(cd "$1" && pwd)
program=$2
env="$build/scaling"
pictures="$env/pictures"
mkdir -p "$pictures"
rm -f "$pictures"/*
export TBOOK_SCREEN=2048x1536
run() { "$scripts/wine-env.sh" exec "$env" "$@"; }
trap '"$scripts/wine-env.sh" teardown "$env" >/dev/null 2>&1 || true' EXIT
folder=$(run winepath -w "$pictures" 2>/dev/null | tr -d '\r')
status=0
for dpi in 96 120 144 192; do
    echo "--- $dpi dpi"
    run wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
    TBOOK_SCALING_FOLDER="$folder" run wine "$program" \
        --gtest_filter='MainWindowTest.EveryWindowAtTheScreensScaling*' || status=1
done
exit $status
