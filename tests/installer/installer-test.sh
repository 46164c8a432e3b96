#!/usr/bin/env bash
# The installer as a user gets it: Tappolo.zip unpacked into a folder of the test prefix as the
# tree the installation must equal, a folder nobody may write to, a small file system (a tmpfs,
# when this user may mount one), then installer_test.exe runs the installer against them.
#   installer-test.sh STATE_DIR SETUP_EXE ZIP TEST_EXE
set -eu
dir=$1 setup=$2 zip=$3 exe=$4
here=$(cd "$(dirname "$0")" && pwd)
. "$dir/env.sh"
name="tappolo-setup-$$-$(date +%s%N)"
work="$WINEPREFIX/drive_c/$name"
readonly_dir="$work/readonly"
small_dir="$work/small"
cleanup() {
    chattr -i "$readonly_dir" 2>/dev/null || chmod u+w "$readonly_dir" 2>/dev/null || true
    mountpoint -q "$small_dir" && { umount "$small_dir" || umount -l "$small_dir"; }
    # Folders a test made append-only (to make a rename fail) and did not get back to.
    for temp in "$WINEPREFIX"/drive_c/users/*/Temp; do
        find "$temp" -maxdepth 4 -type d -name Fight -path '*~setup-old*' \
            -exec chattr -a {} + 2>/dev/null || true
    done
    rm -rf "$work"
}
trap cleanup EXIT
# What a run that was killed left: a small file system still mounted, and a read-only folder
# that would stay in the prefix for good.
for old in "$WINEPREFIX"/drive_c/tappolo-setup-*/small; do
    mountpoint -q "$old" && umount -l "$old"
done
for old in "$WINEPREFIX"/drive_c/tappolo-setup-*/readonly; do
    [ -d "$old" ] && { chattr -i "$old" 2>/dev/null || chmod u+w "$old"; }
    rm -rf "$(dirname "$old")"
done
mkdir -p "$work/zip" "$readonly_dir" "$small_dir"
(cd "$work/zip" && cmake -E tar xf "$zip")
# The administrator may write anywhere, unless the folder is immutable.
if [ "$(id -u)" -eq 0 ]; then
    chattr +i "$readonly_dir" 2>/dev/null || true
else
    chmod a-w "$readonly_dir"
fi
if touch "$readonly_dir/probe" 2>/dev/null; then
    rm -f "$readonly_dir/probe"
    echo "installer-test: cannot make a folder read-only here (chattr +i failed)" >&2
    export TAPPOLO_READONLY_DIR=""
else
    export TAPPOLO_READONLY_DIR="C:\\$name\\readonly"
fi
if mount -t tmpfs -o size=8m tmpfs "$small_dir" 2>/dev/null; then
    export TAPPOLO_SMALL_DIR="C:\\$name\\small"
else
    echo "installer-test: cannot mount a small file system here" >&2
    export TAPPOLO_SMALL_DIR=""
fi
export TAPPOLO_SETUP="$setup"
export TAPPOLO_PACKAGE_DIR="C:\\$name\\zip\\Tappolo\\"
"$here/../../cmake/run-gtest.sh" "$here/../../cmake/wine-run.sh" "$dir" "$exe"
