#!/usr/bin/env bash
# Benchmarks of the clock against its peers, in one headless Xvfb + openbox
# + PulseAudio (null sink) session:
#   - one window of BENCH_CPU_SECONDS (300) in which side by side run: the
#     clock resting between stage phases, the clock while a character poses,
#     `xclock -update 1`, `oclock` and a bare frameless Qt window
#     (bench/bare_window). The window is cut into BENCH_CPU_SLICES (10)
#     slices; CPU time and wake-ups (context switches of all threads) are the
#     median slice, scaled to the window, so a burst of other work on the
#     machine moves one slice, not the result. Then peak memory (VmHWM) of
#     each, and the wake-ups of each thread of the clocks.
#   - exec to the first painted frame, median of BENCH_RUNS (20), against the
#     bare Qt window, the two started in turns
#   - Google Benchmark: UpdateClockDisplay with nothing to draw, DrawStageFrame,
#     the call-out's DrawFace, and the program's own work around the clips of
#     one SpeakTime (the real sound layer on an output that plays at once)
#   - over BENCH_LAG_SECONDS (600), half resting, half posing: the time from
#     each change of the second to the face on the screen showing it
#   - the walk's step interval on the screen, over BENCH_WALKS (6) walk-ins
#   - the spoken time at the sink, over BENCH_CLICKS (20) clicks: the gap
#     between consecutive words and the time from the click to the first
#     sample (the session keeps the sink running, as a desktop's sound
#     server does while anything plays)
#   - while a countdown's line plays: the face on a bare stage and while a
#     character poses; the work of one pass of the call-out's talking face
#
# The clocks run under libfaketime (Debian package faketime) at fixed
# minutes, so that each measure sees the stage in the phase it is about.
#
# usage: bench/run.sh [BUILD_DIR]      (default: build/default)
# Builds the targets it needs, prints a table, and exits 1 if a target is
# missed. With BENCH_MARKDOWN=FILE the table also goes into FILE, between
# the lines <!-- bench:begin --> and <!-- bench:end --> (appended if FILE
# has none); the rest of FILE stays as it is.
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=$(cd "${1:-$ROOT/build/default}" && pwd)
CPU_S=${BENCH_CPU_SECONDS:-${BENCH_IDLE_SECONDS:-300}}
SLICES=${BENCH_CPU_SLICES:-10}
LAG_S=${BENCH_LAG_SECONDS:-600}
RUNS=${BENCH_RUNS:-20}
WALKS=${BENCH_WALKS:-6}
CLICKS=${BENCH_CLICKS:-20}
MARKDOWN=${BENCH_MARKDOWN:-}
SESSION="$ROOT/tests/harness/session.sh"
# shellcheck source=bench/lib.sh
source "$ROOT/bench/lib.sh"

cmake --build "$BUILD" --target tessuri bare_window bench_launch bench_update_clock bench_stage bench_draw \
    bench_live bench_callout >/dev/null
TESSURI="$BUILD/dist/tessuri"
BARE="$BUILD/bench/bare_window"
LAUNCH="$BUILD/bench/bench_launch"
MICRO="$BUILD/bench/bench_update_clock"
STAGE="$BUILD/bench/bench_stage"
DRAW="$BUILD/bench/bench_draw"
LIVE="$BUILD/bench/bench_live"
CALLOUT="$BUILD/bench/bench_callout"
for tool in xclock oclock; do
    command -v "$tool" >/dev/null || { echo "$tool missing (Debian package x11-apps)" >&2; exit 2; }
done
FAKETIME_LIB=
for f in /usr/lib/*/faketime/libfaketime.so.1 /usr/lib/faketime/libfaketime.so.1; do
    [[ -e $f ]] && { FAKETIME_LIB=$f; break; }
done
[[ -n $FAKETIME_LIB ]] || { echo "libfaketime missing (Debian package faketime)" >&2; exit 2; }

WORK=$(mktemp -d "${TMPDIR:-/tmp}/tessuri-bench.XXXXXX")
PIDS=()
stop_started() {
    local pid
    for pid in "${PIDS[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${PIDS[@]}"; do wait "$pid" 2>/dev/null || true; done
    PIDS=()
}
cleanup() {
    stop_started
    bash "$SESSION" stop "$WORK/session"
    rm -rf "$WORK"
}
trap cleanup EXIT

load_before=$(cut -d' ' -f1-3 /proc/loadavg)
bash "$SESSION" start "$WORK/session" --pulse >/dev/null
while IFS='=' read -r key value; do export "$key=$value"; done < "$WORK/session/env"
export TESSURI_SESSION_ENV="$WORK/session/env"

# make_prog DIR LEFT: a program folder of its own (its settings file lives
# there, with the 60-minute cycle) and a private runtime folder, so that
# clocks can run side by side.
make_prog() {
    mkdir -p "$1/runtime"
    chmod 700 "$1/runtime"
    cp "$TESSURI" "$1/tessuri"
    if [[ -d $BUILD/dist/wav ]]; then ln -s "$BUILD/dist/wav" "$1/wav"; fi
    printf '[Setting]\nLeft=%s\nTop=0\nEvent=3\n' "$2" > "$1/Tessuri.ini"
}
make_prog "$WORK/prog" 0
make_prog "$WORK/pose" 300
make_prog "$WORK/lag" 0
# fake_clock DIR 'YYYY-MM-DD hh:mm:ss': the clock of DIR, starting at that
# time. Run it in the background: it replaces the subshell, so $! is its PID.
fake_clock() {
    XDG_RUNTIME_DIR="$1/runtime" TZ=UTC LD_PRELOAD="$FAKETIME_LIB" FAKETIME="@$2" exec "$1/tessuri"
}

wait_window() {  # wait_window XDOTOOL-SEARCH-ARGS...: until such a window shows
    for _ in $(seq 200); do
        xdotool search --onlyvisible "$@" >/dev/null 2>&1 && return 0
        sleep 0.05
    done
    echo "no window for: $*" >&2
    return 1
}

# ------------------------------------------------ CPU, wake-ups and memory
echo "Measuring CPU and wake-ups for ${CPU_S} s in ${SLICES} slices: clock resting, clock posing, xclock, oclock, bare Qt window..." >&2
# Minute 5 of the hourly cycle: the walk-in at start-up, then nothing moves
# on the stage until minute 15. Minute 16: the first soak, a pose a second,
# until minute 30.
fake_clock "$WORK/prog" "2026-12-10 10:05:00" >"$WORK/clock.log" 2>&1 & idle_pid=$!; PIDS+=("$idle_pid")
fake_clock "$WORK/pose" "2026-12-10 10:16:00" >"$WORK/pose.log" 2>&1 & pose_pid=$!; PIDS+=("$pose_pid")
xclock -update 1 -geometry +600+0 >"$WORK/xclock.log" 2>&1 & xclock_pid=$!; PIDS+=("$xclock_pid")
oclock -geometry +800+0 >"$WORK/oclock.log" 2>&1 & oclock_pid=$!; PIDS+=("$oclock_pid")
"$BARE" >"$WORK/bare.log" 2>&1 & bare_pid=$!; PIDS+=("$bare_pid")
wait_window --pid "$idle_pid"
wait_window --pid "$pose_pid"
wait_window --class '^XClock$'
wait_window --class '^Clock$'
wait_window --pid "$bare_pid"
sleep 5  # past start-up, the walk-in and the greetings
NAMES=(idle pose xclock oclock bare)
declare -A PID_OF=([idle]=$idle_pid [pose]=$pose_pid [xclock]=$xclock_pid [oclock]=$oclock_pid [bare]=$bare_pid)
mkdir -p "$WORK/snap"
slice_s=$(calc "$CPU_S / $SLICES" 3)
for (( k = 0; k <= SLICES; k++ )); do
    (( k == 0 )) || sleep "$slice_s"
    for n in "${NAMES[@]}"; do snap "${PID_OF[$n]}" "$WORK/snap/$n.$k"; done
done
declare -A CPU_S_OF WAKE_OF HWM_OF
for n in "${NAMES[@]}"; do
    : > "$WORK/$n.slices"
    for (( k = 1; k <= SLICES; k++ )); do snap_delta "$WORK/snap/$n.$(( k - 1 ))" "$WORK/snap/$n.$k" >> "$WORK/$n.slices"; done
    # The median slice, scaled to the whole window.
    CPU_S_OF[$n]=$(awk '{ print $1 }' "$WORK/$n.slices" | median | awk -v k="$SLICES" '{ printf "%.3f", $1 * k / 1e9 }')
    WAKE_OF[$n]=$(awk '{ print $2 }' "$WORK/$n.slices" | median | awk -v s="$slice_s" '{ printf "%.1f", $1 / s }')
    HWM_OF[$n]=$(calc "$(hwm_kb "${PID_OF[$n]}") / 1024" 1)
    thread_table "$WORK/snap/$n.0" "$WORK/snap/$n.$SLICES" "$CPU_S" > "$WORK/$n.threads"
done
stop_started

# ----------------------------------------------------------- first paint
echo "Measuring exec to first paint, ${RUNS} runs each, in turns..." >&2
: > "$WORK/paint.clock"; : > "$WORK/paint.bare"
for (( done_runs = 0; done_runs < RUNS; done_runs += 5 )); do
    block=$(( RUNS - done_runs < 5 ? RUNS - done_runs : 5 ))
    "$LAUNCH" "$block" "$WORK/prog/tessuri" | awk '$1 == "run" { print $3 }' >> "$WORK/paint.clock"
    "$LAUNCH" "$block" "$BARE" | awk '$1 == "run" { print $3 }' >> "$WORK/paint.bare"
done
clock_paint=$(median < "$WORK/paint.clock")
bare_paint=$(median < "$WORK/paint.bare")

# ------------------------------------------------------- Google Benchmark
echo "Measuring UpdateClockDisplay, DrawStageFrame, DrawFace and SpeakTime..." >&2
# On the X server of the session, and on Qt's offscreen platform (the
# program's own drawing without handing pictures to a display server).
gb_args=(--benchmark_repetitions=20 --benchmark_report_aggregates_only=true)
micro_x=$(cd "$WORK" && "$MICRO" 2>/dev/null)
stage_x=$(cd "$WORK" && "$STAGE" "${gb_args[@]}" 2>/dev/null)
stage_off=$(cd "$WORK" && QT_QPA_PLATFORM=offscreen "$STAGE" "${gb_args[@]}" 2>/dev/null)
draw_x=$(cd "$WORK" && "$DRAW" "${gb_args[@]}" 2>/dev/null)

# ------------------------------------------------------ second to the face
echo "Measuring the face's lag behind the second for ${LAG_S} s..." >&2
# Faked by a whole number of seconds, so the clock's seconds change when the
# wall clock's do; the first half rests, the second half poses (from minute 15).
pose_starts=$(TZ=UTC date -d "2026-12-10 10:15:00" +%s)
lag_offset=$(( pose_starts - $(date +%s) - LAG_S / 2 - 4 ))
( XDG_RUNTIME_DIR="$WORK/lag/runtime" TZ=UTC LD_PRELOAD="$FAKETIME_LIB" FAKETIME="$(printf '%+d' "$lag_offset")" \
    exec "$WORK/lag/tessuri" >"$WORK/lag.log" 2>&1 ) & lag_pid=$!; PIDS+=("$lag_pid")
wait_window --pid "$lag_pid"
sleep 3  # past the walk-in
lag=$("$LIVE" lag "$LAG_S" 0 0)
stop_started
# lag_of rest|pose|all: the lags of seconds in that part of the window.
lag_of() {
    awk -v o="$lag_offset" -v p="$pose_starts" -v part="$1" '$1 == "lag" {
        posing = $2 + o >= p
        if (part == "all" || (part == "pose") == posing) print $3 }' <<<"$lag"
}

# ------------------------------------------------------- live, at the sink
echo "Measuring the walk's steps over ${WALKS} walk-ins..." >&2
walk=$("$LIVE" walk "$WALKS")
echo "Measuring the spoken time over ${CLICKS} clicks..." >&2
voice=$("$LIVE" voice "$CLICKS")
echo "Measuring the face during a countdown's line, and the talking face..." >&2
line_bare=$("$CALLOUT" line)
line_pose=$(TZ=UTC LD_PRELOAD="$FAKETIME_LIB" FAKETIME="@2026-12-10 10:16:00" "$CALLOUT" line pose)
mouth=$("$CALLOUT" mouth 100)
load_after=$(cut -d' ' -f1-3 /proc/loadavg)

# ---------------------------------------------------------------- the table
x=${CPU_S_OF[xclock]} o=${CPU_S_OF[oclock]}
idle_ratio=$(ratio "${CPU_S_OF[idle]}" "$x")
pose_pct=$(calc "${CPU_S_OF[pose]} / $CPU_S * 100" 3)
peers="xclock $x s, oclock $o s"
row "CPU over ${CPU_S} s, stage resting" "${CPU_S_OF[idle]} s" "$peers" "$idle_ratio" "<= 1.5 x" "$(at_most "$idle_ratio" 1.5)"
row "CPU over ${CPU_S} s, stage posing" "${CPU_S_OF[pose]} s ($pose_pct %)" "$peers" "$(ratio "${CPU_S_OF[pose]}" "$x")" \
    "< 0.5 % of a core" "$(below "$pose_pct" 0.5)"
wpeers="xclock ${WAKE_OF[xclock]}, oclock ${WAKE_OF[oclock]}, bare Qt ${WAKE_OF[bare]}"
row "wake-ups/s, stage resting" "${WAKE_OF[idle]}" "$wpeers" "$(ratio "${WAKE_OF[idle]}" "${WAKE_OF[xclock]}")" "report" ""
row "wake-ups/s, stage posing" "${WAKE_OF[pose]}" "$wpeers" "$(ratio "${WAKE_OF[pose]}" "${WAKE_OF[xclock]}")" "report" ""
hwm_limit=$(calc "${HWM_OF[bare]} + 8" 1)
row "peak memory (VmHWM), resting" "${HWM_OF[idle]} MB" "bare Qt ${HWM_OF[bare]} MB, xclock ${HWM_OF[xclock]} MB" \
    "$(ratio "${HWM_OF[idle]}" "${HWM_OF[bare]}")" "<= bare + 8 MB" "$(at_most "${HWM_OF[idle]}" "$hwm_limit")"
row "peak memory (VmHWM), posing" "${HWM_OF[pose]} MB" "bare Qt ${HWM_OF[bare]} MB" "$(ratio "${HWM_OF[pose]}" "${HWM_OF[bare]}")" \
    "<= bare + 8 MB" "$(at_most "${HWM_OF[pose]}" "$hwm_limit")"
paint_ratio=$(ratio "$clock_paint" "$bare_paint")
row "exec to first paint (median of $RUNS)" "$clock_paint ms" "bare Qt $bare_paint ms" "$paint_ratio" "<= 1.3 x" \
    "$(at_most "$paint_ratio" 1.3)"
unchanged=$(gbench UpdateClockDisplay/unchanged 2 "$draw_x")
row "UpdateClockDisplay, nothing to draw" "$unchanged ns" "" "" "< 1 us" "$(below "$unchanged" 1000)"
redraw=$(calc "$(field redraw-ns "$micro_x") / 1000" 1)
row "UpdateClockDisplay, redraw (X11 wall)" "$redraw us" "" "" "< 50 us" "$(below "$redraw" 50)"
hidden=$(gbench DrawStageFrame/hidden/xcb 2 "$stage_x")
row "DrawStageFrame, composition" "$hidden us" "" "" "< 10 us" "$(below "$hidden" 10)"
walk_step=$(gbench DrawStageFrame/walk/xcb 2 "$stage_x")
row "DrawStageFrame, walk step shown (X11 wall)" "$walk_step us" "" "" "< 50 us" "$(below "$walk_step" 50)"
row "DrawStageFrame, walk step (X11 CPU)" "$(gbench DrawStageFrame/walk/xcb 4 "$stage_x") us" "" "" "report" ""
row "DrawStageFrame, walk step (offscreen)" "$(gbench DrawStageFrame/walk/offscreen 2 "$stage_off") us" "" "" "report" ""
row "DrawFace of the call-out (X11 wall)" "$(gbench DrawFace/xcb 2 "$draw_x") us" "" "" "report" ""
row "DrawFace of the call-out (X11 CPU)" "$(gbench DrawFace/xcb 4 "$draw_x") us" "" "" "report" ""
row "SpeakTime, own work around 4 clips" "$(gbench SpeakTime/overhead 2 "$draw_x") us" "" "" "report" ""
lag_n=$(lag_of all | wc -l)
lag_p99=$(lag_of all | pct 99)
row "second to face p50 ($lag_n s)" "$(lag_of all | pct 50) ms" "" "" "report" ""
row "second to face p99" "$lag_p99 ms" "" "" "< 20 ms" "$(below "$lag_p99" 20)"
row "second to face p50 / p99, resting" "$(lag_of rest | pct 50) / $(lag_of rest | pct 99) ms" "" "" "report" ""
row "second to face p50 / p99, posing" "$(lag_of pose | pct 50) / $(lag_of pose | pct 99) ms" "" "" "report" ""
step_p50=$(values step-ms "$walk" | pct 50)
row "walk step interval p50 ($(values step-ms "$walk" | wc -l) steps)" "$step_p50 ms" "" "" "50..51 ms" "$(between "$step_p50" 50 51)"
row "walk step interval p99" "$(values step-ms "$walk" | pct 99) ms" "" "" "report" ""
gap_p99=$(values gap-ms "$voice" | pct 99)
row "gap between words p50 ($(values gap-ms "$voice" | wc -l) gaps)" "$(values gap-ms "$voice" | pct 50) ms" "" "" "report" ""
row "gap between words p99" "$gap_p99 ms" "" "" "< 20 ms" "$(below "$gap_p99" 20)"
click_p50=$(values click-ms "$voice" | pct 50)
row "click to first sample p50 ($(values click-ms "$voice" | wc -l))" "$click_p50 ms" "" "" "< 80 ms" "$(below "$click_p50" 80)"
row "click to first sample p99" "$(values click-ms "$voice" | pct 99) ms" "" "" "report" ""
voice_wrong=$(values wrong "$voice")
row "clicks not answered as expected" "${voice_wrong:-nan} of $CLICKS" "" "" "0" "$(at_most "${voice_wrong:-nan}" 0)"
row "words with dropouts" "$(values broken "$voice")" "" "" "0" "$(at_most "$(values broken "$voice")" 0)"
line_bare_max=$(values lag-ms "$line_bare" | pct 100)
line_pose_max=$(values lag-ms "$line_pose" | pct 100)
row "countdown line: second to face, bare, max" "$line_bare_max ms" "" "" "< 150 ms" "$(below "$line_bare_max" 150)"
row "countdown line: second to face, posing, max" "$line_pose_max ms" "" "" "< 150 ms" "$(below "$line_pose_max" 150)"
mouth_p99=$(values work-ms "$mouth" | pct 99)
row "talking face: work per pass p50" "$(values work-ms "$mouth" | pct 50) ms" "" "" "report" ""
row "talking face: work per pass p99" "$mouth_p99 ms" "" "" "< 5 ms" "$(below "$mouth_p99" 5)"

machine="$(nproc) CPUs, $(awk -F': ' '/^model name/ { print $2; exit }' /proc/cpuinfo); load average $load_before before, $load_after after"
threads() {  # threads NAME: the per-thread lines of one process, as table rows
    awk '{ printf "| %s | %d | %s | %s | %s | %s |\n", $1, $2, $3, $4, $5, $6 }' "$WORK/$1.threads"
}
notes() {
    cat <<EOF
CPU and wake-ups: the median of $SLICES slices of $slice_s s, scaled to ${CPU_S} s; wake-ups are
context switches (voluntary and involuntary) of all threads, from /proc/PID/task/*/status.
The bare Qt window is bench/bare_window (frameless, 230 x 170, one colour). Google Benchmark
figures are medians of 20 repetitions; 'wall' includes waiting for the X server, 'CPU' is
the calling thread's own time; 'composition' is DrawStageFrame with the window hidden.
SpeakTime's own work: the real sound layer reading and decoding four 0.6 s WAV files and
starting each, on an output that has played a clip as soon as it is started.
Second to face: the digit area read from the X server every 0.5 ms from each change of the
wall clock's second; the clock's time is faked by whole seconds, resting (minutes 10-14) for the
first half and posing (minute 15 on) for the second.
Words: test tones at the null sink's monitor; times there are early by at most the sink's
latency (~8 ms). The session keeps the sink running with a silent stream.
EOF
}

echo
print_table
echo
echo "Threads, over the ${CPU_S} s window (name, count, switches/s, voluntary/s, involuntary/s, CPU ms):"
for n in idle pose xclock oclock bare; do
    echo "  $n:"; sed 's/^/    /' "$WORK/$n.threads"
done
echo
notes
echo "machine: $machine"

if [[ -n $MARKDOWN ]]; then
    {
        echo
        echo "Measured $(date -u '+%Y-%m-%d %H:%M UTC') with \`BENCH_CPU_SECONDS=$CPU_S BENCH_LAG_SECONDS=$LAG_S BENCH_RUNS=$RUNS BENCH_CLICKS=$CLICKS bench/run.sh\`"
        echo "on $machine."
        if (( CPU_S < 300 || LAG_S < 600 || RUNS < 20 )); then
            echo
            echo "**A trial run, shorter than the defaults: the figures are indicative only.**"
        fi
        echo
        markdown_table
        echo
        echo "Wake-ups and CPU of each thread over the ${CPU_S} s window:"
        echo
        echo "| Thread | Count | Switches/s | Voluntary/s | Involuntary/s | CPU ms |"
        echo "|---|---|---|---|---|---|"
        for n in idle pose xclock; do
            case $n in idle) label="clock, stage resting" ;; pose) label="clock, stage posing" ;; *) label=$n ;; esac
            echo "| **$label** | | | | | |"
            threads "$n"
        done
        echo
        notes
        echo
    } > "$WORK/block.md"
    put_markdown "$MARKDOWN" "$WORK/block.md"
fi

! printf '%s\n' "${ROWS[@]}" | grep -q '|MISSED$'
