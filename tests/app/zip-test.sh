#!/usr/bin/env bash
# The package as a user gets it: Tappolo.zip unpacked into a fresh folder of the test prefix,
# then zip_test.exe starts the program from there.
#   zip-test.sh STATE_DIR ZIP TEST_EXE
set -eu
dir=$1 zip=$2 exe=$3
here=$(cd "$(dirname "$0")" && pwd)
. "$dir/env.sh"
name="tappolo-zip-$$-$(date +%s%N)"
target="$WINEPREFIX/drive_c/$name"
mkdir -p "$target"
(cd "$target" && cmake -E tar xf "$zip")
export TAPPOLO_PROGRAM_DIR="C:\\$name\\Tappolo\\"
status=0
"$here/../../cmake/run-gtest.sh" "$here/../../cmake/wine-run.sh" "$dir" "$exe" || status=$?
rm -rf "$target"
exit "$status"
