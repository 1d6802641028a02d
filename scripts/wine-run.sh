#!/usr/bin/env bash
# Runs one Windows program under Wine in a build folder's test environment:
#   wine-run.sh BUILD_DIR PROGRAM.exe [ARGS...]
build=$1
shift
exec "$(dirname "$0")/wine-env.sh" exec "$build" wine "$@"
