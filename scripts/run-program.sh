#!/usr/bin/env bash
# Starts the Windows build of the program under Wine.
set -euo pipefail
build=$1
exe="$build/bin/tbook.exe"
if [ ! -f "$exe" ]; then
    echo "tbook.exe is not built yet: the program's window is still to come. For now the build"
    echo "holds the data core and tbkutil; try: wine $build/bin/tbkutil.exe check FILE"
    exit 0
fi
