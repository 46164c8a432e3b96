#!/usr/bin/env bash
# ctest's emulator for cross-built programs: wine-run.sh STATE_DIR program.exe [args...]
# Runs the program in the private environment that winenv.sh started. Wine's stderr, with the
# winmm trace (every PlaySound call) and the MIDI sequencer's, goes to
# STATE_DIR/trace/<program>.log, which the program finds through TAPPOLO_TRACE.
set -u
dir=$1
shift
if [ ! -f "$dir/env.sh" ]; then
    echo "wine-run: no Wine environment in $dir (start it: cmake/winenv.sh start $dir)" >&2
    exit 2
fi
. "$dir/env.sh"
name=$(basename "$1" .exe)
mkdir -p "$dir/trace"
export TAPPOLO_TRACE="$dir/trace/$name.log"
: >"$TAPPOLO_TRACE"
wine "$@" 2>>"$TAPPOLO_TRACE"
rc=$?
if [ "$rc" -ne 0 ]; then
    echo "wine-run: $name exited with $rc; Wine's last messages:"
    grep -v '^[0-9a-f]*:trace:' "$TAPPOLO_TRACE" | tail -n 20
fi
exit "$rc"
