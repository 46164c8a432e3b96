#!/usr/bin/env bash
# Sets up and runs every test: the portable core natively (AddressSanitizer + UBSan), the
# fuzz targets (record reader, wave reader, sound decoders, pack import, zip reader) for a
# bounded time each, the i686 compile check, and every Win32 test under Wine (which also runs
# the core tests as Windows programs).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash tools/setup.sh
jobs=$(nproc)
fuzz_seconds=${TAPPOLO_FUZZ_SECONDS:-40}

step() { printf '\n=== %s\n' "$*"; }

step "native core tests (ASan + UBSan)"
cmake --preset native >/dev/null
cmake --build --preset native -j "$jobs"
ctest --preset native -j "$jobs"

if [ -f tests/fuzz/CMakeLists.txt ]; then
    step "fuzzing the readers of outside bytes for ${fuzz_seconds}s each"
    cmake --preset fuzz >/dev/null
    cmake --build --preset fuzz -j "$jobs"
    for fuzzer in build/fuzz/tests/fuzz/*_fuzz; do
        corpus="build/fuzz/corpus/$(basename "$fuzzer")"
        log="build/fuzz/$(basename "$fuzzer").log"
        mkdir -p "$corpus"
        if ! "$fuzzer" -max_total_time="$fuzz_seconds" -print_final_stats=1 -artifact_prefix=build/fuzz/ "$corpus" \
            tests/fuzz/seeds >"$log" 2>&1; then
            tail -n 40 "$log"
            echo "fuzzer $fuzzer found a fault (inputs in $corpus, crash file in the log)"
            exit 1
        fi
        grep -E 'stat::(number_of_executed_units|average_exec_per_sec)' "$log"
    done
fi

step "i686 cross build (compile check)"
cmake --preset win32 >/dev/null
cmake --build --preset win32 -j "$jobs"

step "x64 cross build and Win32 tests under Wine"
cmake --preset win64 >/dev/null
cmake --build --preset win64 -j "$jobs"
ctest --preset win64
