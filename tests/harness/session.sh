#!/usr/bin/env bash
# Headless desktop session for tests and benchmarks: Xvfb + openbox, and
# optionally a PulseAudio server with a null sink.
#
#   session.sh start DIR [--pulse] [--no-wm] [--owner PID]
#                                               start a session, state in DIR;
#                                               with --owner it stops by itself
#                                               once process PID has ended
#   session.sh stop DIR                         stop what `start DIR` started
#   session.sh run [--pulse] [--no-wm] -- CMD [ARGS...]
#                                               run CMD inside a fresh session,
#                                               stop it afterwards, exit with
#                                               CMD's exit code
#   session.sh shot DIR OUT.png                 screenshot of the whole screen
#
# DIR/env holds KEY=VALUE lines (DISPLAY, XDG_RUNTIME_DIR, and with --pulse
# PULSE_SERVER); DIR/pids holds "name pid" lines of every process started.
# Processes are stopped by those PIDs only, after checking the PID still
# belongs to the program that was started.
set -euo pipefail

readonly SCREEN_GEOMETRY="${TESSURI_SESSION_SCREEN:-1024x768x24}"
readonly READY_TIMEOUT_S=15

die() { echo "session.sh: $*" >&2; exit 1; }

# wait_for TIMEOUT_S COMMAND...: poll every 50 ms until COMMAND succeeds.
wait_for() {
    local timeout_s=$1; shift
    local deadline=$(( $(date +%s%N) + timeout_s * 1000000000 ))
    until "$@" >/dev/null 2>&1; do
        (( $(date +%s%N) < deadline )) || return 1
        sleep 0.05
    done
}

alive_as() {  # alive_as PID NAME: PID runs and its command line starts with NAME
    local pid=$1 name=$2 cmd
    [[ -r /proc/$pid/cmdline ]] || return 1
    cmd=$(tr '\0' ' ' < "/proc/$pid/cmdline" 2>/dev/null) || return 1
    [[ $(basename -- "${cmd%% *}") == "$name" ]]
}

record_pid() { echo "$1 $2" >> "$DIR/pids"; }

start_xvfb() {
    local dpy_file="$DIR/xvfb.display"
    : > "$dpy_file"
    # -displayfd lets the server pick a free display and tells us when it is
    # ready to accept connections.
    setsid Xvfb -displayfd 3 -screen 0 "$SCREEN_GEOMETRY" -nolisten tcp -noreset \
        3>"$dpy_file" </dev/null >"$DIR/xvfb.log" 2>&1 &
    local pid=$!
    record_pid Xvfb "$pid"
    wait_for "$READY_TIMEOUT_S" grep -q '[0-9]' "$dpy_file" \
        || die "Xvfb did not come up (see $DIR/xvfb.log)"
    DISPLAY=":$(tr -dc '0-9' < "$dpy_file")"
    export DISPLAY
    echo "DISPLAY=$DISPLAY" >> "$DIR/env"
}

wm_ready() { xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id'; }

start_openbox() {
    setsid openbox --sm-disable </dev/null >"$DIR/openbox.log" 2>&1 &
    record_pid openbox $!
    wait_for "$READY_TIMEOUT_S" wm_ready || die "openbox did not come up (see $DIR/openbox.log)"
}

start_pulse() {
    local runtime="$DIR/runtime"
    setsid env XDG_RUNTIME_DIR="$runtime" HOME="$DIR" \
        pulseaudio --daemonize=no --exit-idle-time=-1 -n \
        --load="module-null-sink sink_name=test_sink" \
        --load=module-native-protocol-unix \
        </dev/null >"$DIR/pulse.log" 2>&1 &
    record_pid pulseaudio $!
    wait_for "$READY_TIMEOUT_S" env XDG_RUNTIME_DIR="$runtime" pactl info \
        || die "pulseaudio did not come up (see $DIR/pulse.log)"
    # A silent stream in the sink's own format keeps the sink running at a
    # short latency. Without one the idle null sink renders in blocks of
    # about 2 s: a recorder then waits that long for its first data, and
    # the monitor's timeline can reorder sounds played a second apart.
    setsid env XDG_RUNTIME_DIR="$runtime" HOME="$DIR" \
        pacat --playback --latency-msec=30 --device=test_sink --format=s16le --rate=44100 --channels=2 \
        </dev/zero >"$DIR/pacat.log" 2>&1 &
    record_pid pacat $!
    wait_for "$READY_TIMEOUT_S" sink_running "$runtime" \
        || die "the silent stream did not start (see $DIR/pacat.log)"
    # The first recorder after the server starts gets its first data only
    # after about 2 s; later ones within some 50 ms. Pay that once here.
    monitor_delivers "$runtime" || die "the sink's monitor delivers nothing"
    echo "PULSE_SERVER=unix:$runtime/pulse/native" >> "$DIR/env"
}

monitor_delivers() {  # monitor_delivers RUNTIME: a recorder gets its first bytes
    local bytes
    bytes=$( (env XDG_RUNTIME_DIR="$1" HOME="$DIR" timeout "$READY_TIMEOUT_S" \
                  parec --device=test_sink.monitor --latency-msec=20 2>/dev/null || true) | head -c 4 | wc -c)
    (( bytes == 4 ))
}

sink_running() { env XDG_RUNTIME_DIR="$1" pactl list short sinks | grep -q 'test_sink.*RUNNING'; }

# Stops the session once the owner process is gone, however it ended.
start_watchdog() {
    local owner=$1 self
    self=$(readlink -f "$0")
    setsid bash -c 'while kill -0 "$1" 2>/dev/null && [[ -s $2/pids ]]; do sleep 0.5; done
                    bash "$3" stop "$2"' watchdog "$owner" "$DIR" "$self" \
        </dev/null >/dev/null 2>&1 &
}

cmd_start() {
    DIR=$1; shift
    local pulse=0 wm=1 owner=
    while (( $# )); do
        case $1 in
            --pulse) pulse=1 ;;
            --no-wm) wm=0 ;;
            --owner) owner=${2:?--owner needs a PID}; shift ;;
            *) die "unknown option $1" ;;
        esac
        shift
    done
    mkdir -p "$DIR"
    DIR=$(cd "$DIR" && pwd)
    # A session left behind in DIR (a run that was cut short) is ended first.
    cmd_stop "$DIR"
    : > "$DIR/pids"
    : > "$DIR/env"
    mkdir -p "$DIR/runtime"
    chmod 700 "$DIR/runtime"
    echo "XDG_RUNTIME_DIR=$DIR/runtime" >> "$DIR/env"
    export XDG_RUNTIME_DIR="$DIR/runtime"

    # Anything that fails below leaves nothing running.
    trap 'cmd_stop "$DIR"' EXIT
    start_xvfb
    if (( wm )); then start_openbox; fi
    if (( pulse )); then start_pulse; fi
    if [[ -n $owner ]]; then start_watchdog "$owner"; fi
    trap - EXIT
    cat "$DIR/env"
}

cmd_stop() {
    local dir=$1 name pid
    [[ -f $dir/pids ]] || return 0
    # Stop in reverse order of start: the sound server and the window manager
    # before the X server they talk to.
    tac "$dir/pids" | while read -r name pid; do
        alive_as "$pid" "$name" || continue
        kill -TERM "$pid" 2>/dev/null || true
        for _ in $(seq 100); do alive_as "$pid" "$name" || break; sleep 0.05; done
        if alive_as "$pid" "$name"; then kill -KILL "$pid" 2>/dev/null || true; fi
    done
    : > "$dir/pids"
}

cmd_run() {
    local opts=()
    while (( $# )) && [[ $1 != -- ]]; do opts+=("$1"); shift; done
    [[ ${1:-} == -- ]] || die "usage: session.sh run [--pulse] [--no-wm] -- CMD..."
    shift
    (( $# )) || die "run: no command given"
    local rc=0
    RUN_DIR=$(mktemp -d "${TMPDIR:-/tmp}/tessuri-session.XXXXXX")
    ( cmd_start "$RUN_DIR" "${opts[@]}" >/dev/null ) || { rm -rf "$RUN_DIR"; exit 1; }
    trap 'cmd_stop "$RUN_DIR"; rm -rf "$RUN_DIR"' EXIT
    (
        while IFS='=' read -r key value; do export "$key=$value"; done < "$RUN_DIR/env"
        export TESSURI_SESSION_ENV="$RUN_DIR/env"
        exec "$@"
    ) || rc=$?
    return "$rc"
}

cmd_shot() {
    local dir=$1 out=$2 key value
    while IFS='=' read -r key value; do export "$key=$value"; done < "$dir/env"
    import -window root "png:$out"
}

case ${1:-} in
    start) shift; (( $# >= 1 )) || die "usage: session.sh start DIR [--pulse] [--no-wm]"; cmd_start "$@" ;;
    stop)  shift; (( $# == 1 )) || die "usage: session.sh stop DIR"; cmd_stop "$1" ;;
    run)   shift; cmd_run "$@" ;;
    shot)  shift; (( $# == 2 )) || die "usage: session.sh shot DIR OUT.png"; cmd_shot "$@" ;;
    *) sed -n '2,15p' "$0" | sed 's/^# \{0,1\}//'; exit 2 ;;
esac
