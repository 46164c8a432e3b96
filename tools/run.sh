#!/usr/bin/env bash
# Sets up, builds and runs Tappolo under Wine.
#   With a display ($DISPLAY answers): starts Tappolo in it, in a private Wine prefix, and
#   waits until you choose "Exit" from its tray menu.
#   Without one: starts it headless (Xvfb, Wine's virtual desktop, a private PulseAudio null
#   sink), types a short sentence through the keyboard hook, opens the tray menu, the Scheme Set
#   dialog, the HotKey Setup, About and Sound Options dialogs and the installer's first page,
#   and leaves
#   screenshots and a WAV recording of the typing in build/run/. Every process it started ends
#   with it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash tools/setup.sh
cmake --preset win64 >/dev/null
cmake --build --preset win64 -j "$(nproc)"

run="$root/build/run"
program="$run/Tappolo"
mkdir -p "$run"
# The program directory holds the settings file; a copy keeps the build output pristine.
rm -rf "$program"
cp -r build/win64/out "$program"
# In this copy the system scheme's Q has a sound of its own, so that the Scheme Set screenshot
# shows a marked key (no Q is typed below). The key sounds file in tagged values: format 1, no
# key type takes, one key (scan code 0x10) pressed with function.wav.
{
    printf '\x02\x01'
    for _ in $(seq 32); do printf '\x02\x00'; done
    printf '\x02\x01\x02\x10\x02\x01\x06\x0cfunction.wav\x02\x00'
} >"$program/schemes/Fight.tsk"

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    export WINEPREFIX="$run/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
    [ -f "$WINEPREFIX/system.reg" ] || { wineboot -i >/dev/null 2>&1; wineserver -w; }
    echo "run: Tappolo is in the notification area; choose Exit from its menu to end it."
    wine "$program/Tappolo.exe"
    wineserver -w
    exit 0
fi

env_dir="$run/winenv"
cleanup() { bash cmake/winenv.sh stop "$env_dir" >/dev/null 2>&1 || true; }
trap cleanup EXIT
bash cmake/winenv.sh start "$env_dir"
. "$env_dir/env.sh"
export WINEDEBUG=-all
# A subshell, so the shell does not report the program's end when the environment stops.
(wine "$program/Tappolo.exe" &)
# The tray icon appears within a second or two (more on a busy machine); the balloon greets
# the user.
sleep 6
start=$(stat -c %s "$env_dir/record.raw")
xdotool type --delay 180 "Hello Tappolo"
xdotool key Return
sleep 1
tail -c +"$((start + 1))" "$env_dir/record.raw" >"$run/typing.raw"
sox -q -t raw -r 44100 -e signed -b 16 -c 1 "$run/typing.raw" "$run/typing.wav"
rm -f "$run/typing.raw"
# The icon sits at the right end of the virtual desktop's taskbar; a left click opens the menu.
xdotool mousemove 1012 757 click 1
sleep 1
import -window root "$run/tray-menu.png"
xdotool key Escape
sleep 0.5
# The Scheme Set dialog ("S&cheme Set" in the menu), with the letter keys chosen in its key type
# list (Alt+K, then "l" picks "Letter Keys"); the shot is cut to the dialog in the screen's
# middle, where it opens.
xdotool mousemove 1012 757 click 1
sleep 1
xdotool key c
sleep 2
xdotool key alt+k
sleep 0.3
xdotool key l
sleep 0.7
import -window root "$run/scheme-set-screen.png"
convert "$run/scheme-set-screen.png" -crop 700x500+162+134 +repage -trim +repage \
    "$run/scheme-set.png"
rm -f "$run/scheme-set-screen.png"
xdotool key alt+c
sleep 0.5
# The HotKey Setup dialog, centred on the screen, and the About dialog at its own place. After a
# dialog has closed, keys typed on this display no longer reach the menu under Wine (keys sent
# from inside Wine still do): the items are clicked where the menu shows them. Esc cancels the
# first dialog; the second is closed by its close box, which writes nothing.
xdotool mousemove 1012 757 click 1
sleep 1
xdotool mousemove 937 646 click 1
sleep 1.5
import -window root -crop 270x186+377+291 +repage "$run/hotkey.png"
xdotool key Escape
sleep 0.5
xdotool mousemove 1012 757 click 1
sleep 1
xdotool mousemove 939 706 click 1
sleep 1.5
import -window root -crop 333x198+337+234 +repage "$run/about.png"
xdotool key alt+F4
sleep 0.5
# The Sound Options dialog, centred on the screen; Esc cancels it.
xdotool mousemove 1012 757 click 1
sleep 1
xdotool mousemove 937 663 click 1
sleep 1.5
import -window root -crop 423x490+300+138 +repage "$run/sound-options.png"
xdotool key Escape
sleep 0.5
# The installer's first page, the folder page, cut to the window in the screen's middle; Esc
# cancels it before it has written anything.
setup=$(ls -t build/win64/Tappolo-Setup-*.exe | head -n 1)
(wine "$setup" &)
sleep 3
import -window root "$run/setup-screen.png"
convert "$run/setup-screen.png" -crop 760x600+132+60 +repage -trim +repage "$run/setup.png"
rm -f "$run/setup-screen.png"
xdotool key Escape
echo "run: typing recorded in $run/typing.wav ($(soxi -D "$run/typing.wav") s)"
echo "run: tray menu screenshot in $run/tray-menu.png"
echo "run: Scheme Set screenshot in $run/scheme-set.png"
echo "run: HotKey Setup and About screenshots in $run/hotkey.png and $run/about.png"
echo "run: Sound Options screenshot in $run/sound-options.png"
echo "run: the installer's first page in $run/setup.png"
