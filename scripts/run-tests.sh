#!/usr/bin/env bash
# Runs the tests of each build folder given and ends with one summary line.
set -u
failed=()
for build in "$@"; do
    echo "=== tests in $build"
    if ! ctest --test-dir "$build" --output-on-failure -j2; then
        failed+=("$build")
    fi
done
if [ ${#failed[@]} -eq 0 ]; then
    echo "make test: PASSED (all tests in $*)"
else
    echo "make test: FAILED (tests failed in ${failed[*]})"
    exit 1
fi
