#!/usr/bin/env bash
# The package as a user gets it: Tappolo.zip unpacked into a fresh folder of the test prefix,
# then zip_test.exe starts the program from there.
#   zip-test.sh STATE_DIR ZIP TEST_EXE OBJDUMP
set -eu
dir=$1 zip=$2 exe=$3 objdump=$4
here=$(cd "$(dirname "$0")" && pwd)
. "$dir/env.sh"
name="tappolo-zip-$$-$(date +%s%N)"
target="$WINEPREFIX/drive_c/$name"
mkdir -p "$target"
(cd "$target" && cmake -E tar xf "$zip")
# The shipped binaries carry no debug information.
for f in Tappolo.exe KeyHook.dll; do
    if "$objdump" -h "$target/Tappolo/$f" | grep -q '\.debug'; then
        echo "zip-test: $f in the package has debug sections" >&2
        rm -rf "$target"
        exit 1
    fi
done
export TAPPOLO_PROGRAM_DIR="C:\\$name\\Tappolo\\"
status=0
"$here/../../cmake/run-gtest.sh" "$here/../../cmake/wine-run.sh" "$dir" "$exe" || status=$?
rm -rf "$target"
exit "$status"
