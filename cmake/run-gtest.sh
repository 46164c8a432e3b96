#!/usr/bin/env bash
# Runs one GoogleTest program (possibly through an emulator given first) and passes only when
# it exits 0, prints the final PASSED line for at least one test and reports no failure:
# under Wine a crashed program can exit 0, so the exit code alone proves nothing.
set -u
out=$(mktemp)
trap 'rm -f "$out"' EXIT
"$@" 2>&1 | tee "$out"
rc=${PIPESTATUS[0]}
if [ "$rc" -ne 0 ]; then
    echo "run-gtest: exit code $rc"
    exit 1
fi
if ! grep -q '^\[  PASSED  \] [1-9]' "$out"; then
    echo "run-gtest: no PASSED line (crash or no test ran)"
    exit 1
fi
if grep -q '^\[  FAILED  \]' "$out"; then
    echo "run-gtest: failures reported"
    exit 1
fi
exit 0
