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
    # The whole output of a failed test can be too long to be read where it was printed: its
    # failures come again here, at the end, where a cut log still shows them.
    for build in "${failed[@]}"; do
        echo "=== failures in $build"
        awk '/^\[  FAILED  \]/ { print; n = 0; next } /: Failure\r?$/ { n = 12 } n > 0 { print; --n }' "$build/Testing/Temporary/LastTest.log" | head -n 120
    done
    echo "make test: FAILED (tests failed in ${failed[*]})"
    exit 1
fi
