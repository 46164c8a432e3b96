#!/usr/bin/env bash
# The private Wine environment of a test run:  winenv.sh start|stop|status STATE_DIR
#   start  Xvfb, a private WINEPREFIX (made once, reused while it is complete) with Wine's
#          virtual desktop and fonts, a private PulseAudio daemon with a null sink, a silent
#          keep-alive stream and a recording of the sink's monitor, and a persistent warmed
#          wineserver. Writes STATE_DIR/env.sh for wine-run.sh. Safe to run twice.
#   stop   ends every process that start began (and every Wine process of the prefix).
#   sink-down, sink-up   the output device lost and back: the null sink goes (with its
#          keep-alive stream and recording), then comes again and the recording goes on.
#   second-up, second-down   a second output device comes and goes (see add_second).
set -u
usage="usage: winenv.sh start|stop|status|sink-down|sink-up|second-up|second-down STATE_DIR"
cmd=${1:?$usage}
dir=$(realpath -m "${2:?$usage}")
pids="$dir/pids"

alive() { [ -f "$pids/$1" ] && kill -0 "$(cat "$pids/$1")" 2>/dev/null; }

base_env() {
    export WINEPREFIX="$dir/prefix"
    export WINEDEBUG=-all
    # No Mono or Gecko for a new prefix; no menu entries or icons in the Linux user's home for
    # the shortcuts that programs (the installer) make inside the prefix.
    export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
    export WINEARCH=win64
    export XDG_RUNTIME_DIR="$dir/xdg"
    export PULSE_SERVER="unix:$dir/pulse/native"
    export PULSE_RUNTIME_PATH="$dir/pulse"
    export PULSE_STATE_PATH="$dir/pulse"
    export PULSE_COOKIE="$dir/pulse/cookie"
    mkdir -p "$XDG_RUNTIME_DIR" "$dir/pulse"
    chmod 700 "$XDG_RUNTIME_DIR"
}

start_xvfb() {
    alive xvfb && return 0
    rm -f "$dir/display"
    setsid Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$dir/display" \
        >"$dir/xvfb.log" 2>&1 </dev/null 9>&- &
    echo $! >"$pids/xvfb"
    for _ in $(seq 100); do
        [ -s "$dir/display" ] && return 0
        sleep 0.05
    done
    echo "winenv: Xvfb did not start" >&2
    return 1
}

make_prefix() {
    [ -f "$WINEPREFIX/.tappolo-ready" ] && return 0
    rm -rf "$WINEPREFIX"
    wineboot -i >/dev/null 2>&1
    # Until the server that made the prefix has gone, COM object creation stalls for seconds.
    wineserver -w
    fonts="$WINEPREFIX/drive_c/windows/Fonts"
    mkdir -p "$fonts"
    cp /usr/share/wine/fonts/* "$fonts/" 2>/dev/null || true
    cp /usr/share/fonts/truetype/wqy/wqy-microhei.ttc "$fonts/" 2>/dev/null || true
    cp /usr/share/fonts/truetype/dejavu/*.ttf "$fonts/" 2>/dev/null || true
    wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v SimSun /d 'WenQuanYi Micro Hei' /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'Microsoft YaHei' /d 'WenQuanYi Micro Hei' /f >/dev/null 2>&1
    wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' /v Tahoma \
        /t REG_MULTI_SZ /d 'wqy-microhei.ttc,WenQuanYi Micro Hei' /f >/dev/null 2>&1
    wineserver -w
    touch "$WINEPREFIX/.tappolo-ready"
}

# Dialogs are laid out for Arial, which Wine lacks: Liberation Sans has the same metrics, so text
# takes the room it takes on Windows and clipping shows here as it would there.
metric_fonts() {
    [ -f "$WINEPREFIX/.tappolo-arial" ] && return 0
    cp /usr/share/fonts/truetype/liberation2/LiberationSans-*.ttf \
        "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || return 0
    wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v Arial /d 'Liberation Sans' /f >/dev/null 2>&1
    wineserver -w
    touch "$WINEPREFIX/.tappolo-arial"
}

# The sinks never rewind: a sink that rewinds renders a new stream's first milliseconds again
# over what it had rendered ahead, and its monitor, which had already passed that on, records
# the stream with its head cut off (a restarted stream's first 3 to 10 ms, mid-wave). Without
# rewinds the monitor records what the sink played, sample for sample.
add_sink() {
    pactl load-module module-null-sink sink_name=tappolo sink_properties=device.description=Tappolo \
        norewinds=1 >/dev/null || return 1
    pactl set-default-sink tappolo
    # A silent stream keeps the sink running, so the monitor never misses a sound's onset.
    setsid pacat --playback -d tappolo --raw --format=s16le --rate=44100 --channels=2 \
        </dev/zero >/dev/null 2>&1 9>&- &
    echo $! >"$pids/keepalive"
}

start_pulse() {
    alive pulse && return 0
    rm -f "$dir/pulse/native"
    cat >"$dir/pulse.pa" <<PA
load-module module-native-protocol-unix auth-anonymous=1 socket=$dir/pulse/native
PA
    setsid pulseaudio -n -F "$dir/pulse.pa" --daemonize=no --exit-idle-time=-1 --use-pid-file=no \
        --system=false >"$dir/pulse.log" 2>&1 </dev/null 9>&- &
    echo $! >"$pids/pulse"
    for _ in $(seq 100); do
        [ -S "$dir/pulse/native" ] && pactl info >/dev/null 2>&1 && break
        sleep 0.05
    done
    if ! pactl info >/dev/null 2>&1; then
        echo "winenv: PulseAudio did not start (see $dir/pulse.log)" >&2
        return 1
    fi
    add_sink
}

# The monitor recordings: 16-bit 44.1 kHz little-endian, mono in record.raw and stereo (left,
# right) in record-stereo.raw, read by tests through Z:, which hold places in them: once started
# they only grow. A recorder that attached before the sink settled can stay silent, so it must
# be seen to write.
record_monitor() { # pid name, file, channels[, monitor]
    alive "$1" && return 0
    [ -f "$dir/$2" ] || : >"$dir/$2"
    for _ in 1 2 3 4 5; do
        size=$(stat -c %s "$dir/$2")
        setsid parec -d "${4:-tappolo.monitor}" --raw --format=s16le --rate=44100 --channels="$3" \
            --latency-msec=10 >>"$dir/$2" 2>/dev/null </dev/null 9>&- &
        echo $! >"$pids/$1"
        for _ in $(seq 20); do
            sleep 0.05
            [ "$(stat -c %s "$dir/$2")" -gt "$size" ] && return 0
        done
        kill "$(cat "$pids/$1")" 2>/dev/null
        rm -f "$pids/$1"
    done
    echo "winenv: the sink's monitor cannot be recorded" >&2
    return 1
}

start_recorder() {
    record_monitor recorder record.raw 1 && record_monitor recorder2 record-stereo.raw 2
}

# A second output device, "TappoloSecond", kept running and recorded to record-second.raw
# (mono), for tests of the device choice; it comes and goes on its own.
add_second() {
    pactl list short modules | grep -q 'sink_name=second' ||
        pactl load-module module-null-sink sink_name=second \
            sink_properties=device.description=TappoloSecond norewinds=1 >/dev/null || return 1
    if ! alive keepalive2; then
        setsid pacat --playback -d second --raw --format=s16le --rate=44100 --channels=2 \
            </dev/zero >/dev/null 2>&1 9>&- &
        echo $! >"$pids/keepalive2"
    fi
    record_monitor recorder3 record-second.raw 1 second.monitor
}

remove_second() {
    for p in recorder3 keepalive2; do
        alive "$p" && kill "$(cat "$pids/$p")" 2>/dev/null
        rm -f "$pids/$p"
    done
    for module in $(pactl list short modules | awk '/sink_name=second/ {print $1}'); do
        pactl unload-module "$module"
    done
}

stop_sink() {
    for p in recorder recorder2 keepalive; do
        alive "$p" && kill "$(cat "$pids/$p")" 2>/dev/null
        rm -f "$pids/$p"
    done
    pactl unload-module module-null-sink
}

write_env() {
    cat >"$dir/env.sh.new" <<ENV
export WINEPREFIX='$WINEPREFIX'
export WINEDEBUG='-all,trace+winmm,trace+mcimidi'
export WINEDLLOVERRIDES='$WINEDLLOVERRIDES'
export WINEARCH=win64
export DISPLAY=':$(cat "$dir/display")'
export XDG_RUNTIME_DIR='$XDG_RUNTIME_DIR'
export PULSE_SERVER='$PULSE_SERVER'
export TAPPOLO_WINENV='$dir'
export TAPPOLO_WINENV_SCRIPT='$(realpath "$0")'
export TAPPOLO_RECORD='$dir/record.raw'
export TAPPOLO_RECORD_STEREO='$dir/record-stereo.raw'
export TAPPOLO_RECORD_SECOND='$dir/record-second.raw'
export TAPPOLO_SINK=tappolo
export LANG=C.UTF-8
export LC_ALL=C.UTF-8
ENV
    mv "$dir/env.sh.new" "$dir/env.sh"
}

case "$cmd" in
start)
    mkdir -p "$dir" "$pids"
    # The lock is for concurrent starts only: nothing started here may inherit it, or every
    # later start would wait for the environment to end.
    exec 9>"$dir/lock"
    flock 9
    base_env
    if [ -f "$dir/env.sh" ] && alive xvfb && alive pulse && alive server; then
        exit 0
    fi
    rm -f "$dir/env.sh"
    start_xvfb || exit 1
    export DISPLAY=":$(cat "$dir/display")"
    make_prefix
    metric_fonts
    start_pulse || exit 1
    if ! alive server; then
        setsid wineserver -p -f >/dev/null 2>&1 </dev/null 9>&- &
        echo $! >"$pids/server"
        sleep 0.2
    fi
    # Warm the server and start the virtual desktop once, so tests start in milliseconds.
    wine cmd /c exit >/dev/null 2>&1 </dev/null 9>&-
    : >"$dir/record.raw"
    start_recorder || exit 1
    write_env
    echo "winenv: up in $dir (DISPLAY=$DISPLAY)"
    ;;
stop)
    [ -d "$dir" ] || exit 0
    base_env
    WINEPREFIX="$dir/prefix" wineserver -k 2>/dev/null
    for p in recorder recorder2 recorder3 keepalive keepalive2 pulse server xvfb; do
        if alive "$p"; then
            kill "$(cat "$pids/$p")" 2>/dev/null
        fi
        rm -f "$pids/$p"
    done
    rm -f "$dir/env.sh"
    echo "winenv: stopped"
    ;;
sink-down)
    base_env
    stop_sink
    ;;
sink-up)
    base_env
    add_sink && start_recorder
    ;;
second-up)
    base_env
    add_second
    ;;
second-down)
    base_env
    remove_second
    ;;
status)
    for p in xvfb pulse keepalive recorder recorder2 server; do
        if alive "$p"; then echo "$p: running"; else echo "$p: not running"; fi
    done
    ;;
*)
    echo "$usage" >&2
    exit 2
    ;;
esac
