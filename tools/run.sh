#!/usr/bin/env bash
# Sets up, builds everything and runs Tappolo under Wine.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash tools/setup.sh
cmake --preset win64 >/dev/null
cmake --build --preset win64 -j "$(nproc)"
exe=build/win64/out/Tappolo.exe
if [ ! -f "$exe" ]; then
    echo "run: built everything; the program itself (Tappolo.exe) is not part of the build yet."
    exit 0
fi
exec wine "$exe"
