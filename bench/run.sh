#!/usr/bin/env bash
# Benchmarks of the clock against simple references, in one headless
# Xvfb + openbox + PulseAudio (null sink) session:
#   - CPU time while idle between stage phases, over BENCH_IDLE_SECONDS
#     (120), against `xclock -update 1`
#   - beside it, CPU time while a character poses, over BENCH_POSE_SECONDS (60)
#   - peak memory (VmHWM) of the idle clock and xclock
#   - time from exec to the first painted frame, median of BENCH_RUNS (10),
#     against a bare frameless 230 x 170 Qt window (bench/bare_window)
#   - cost of one UpdateClockDisplay call, unchanged and redrawing
#   - cost of one DrawStageFrame call (Google Benchmark)
#   - the walk's step interval on the screen, over BENCH_WALKS (6) walk-ins
#   - the spoken time at the sink, over BENCH_CLICKS (20) clicks: the gap
#     between consecutive words and the time from the click to the first
#     sample
#   - while a countdown's line plays: the time from each change of the
#     second to the face showing it, on a bare stage and while a character
#     poses; and the work of one pass of the call-out's talking face
#
# The clocks run under libfaketime (Debian package faketime) at fixed
# minutes, so that each measure sees the stage in the phase it is about.
#
# usage: bench/run.sh [BUILD_DIR]      (default: build/default)
# Builds the targets it needs, prints a table, and exits 1 if a target is missed.
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=$(cd "${1:-$ROOT/build/default}" && pwd)
IDLE_S=${BENCH_IDLE_SECONDS:-120}
POSE_S=${BENCH_POSE_SECONDS:-60}
RUNS=${BENCH_RUNS:-10}
WALKS=${BENCH_WALKS:-6}
CLICKS=${BENCH_CLICKS:-20}
SESSION="$ROOT/tests/harness/session.sh"

cmake --build "$BUILD" --target tessuri bare_window bench_launch bench_update_clock bench_stage bench_live \
    bench_callout >/dev/null
TESSURI="$BUILD/dist/tessuri"
BARE="$BUILD/bench/bare_window"
LAUNCH="$BUILD/bench/bench_launch"
MICRO="$BUILD/bench/bench_update_clock"
STAGE="$BUILD/bench/bench_stage"
LIVE="$BUILD/bench/bench_live"
CALLOUT="$BUILD/bench/bench_callout"
command -v xclock >/dev/null || { echo "xclock missing (Debian package x11-apps)" >&2; exit 2; }
FAKETIME_LIB=
for f in /usr/lib/*/faketime/libfaketime.so.1 /usr/lib/faketime/libfaketime.so.1; do
    [[ -e $f ]] && { FAKETIME_LIB=$f; break; }
done
[[ -n $FAKETIME_LIB ]] || { echo "libfaketime missing (Debian package faketime)" >&2; exit 2; }

WORK=$(mktemp -d "${TMPDIR:-/tmp}/tessuri-bench.XXXXXX")
PIDS=()
cleanup() {
    local pid
    for pid in "${PIDS[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${PIDS[@]}"; do wait "$pid" 2>/dev/null || true; done
    bash "$SESSION" stop "$WORK/session"
    rm -rf "$WORK"
}
trap cleanup EXIT

bash "$SESSION" start "$WORK/session" --pulse >/dev/null
while IFS='=' read -r key value; do export "$key=$value"; done < "$WORK/session/env"
export TESSURI_SESSION_ENV="$WORK/session/env"

# make_prog DIR LEFT: a program folder of its own (its settings file lives
# there, with the 60-minute cycle) and a private runtime folder, so that two
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
# fake_clock DIR 'YYYY-MM-DD hh:mm:ss': the clock of DIR, starting at that
# time. Run it in the background: it replaces the subshell, so $! is its PID.
fake_clock() {
    XDG_RUNTIME_DIR="$1/runtime" TZ=UTC LD_PRELOAD="$FAKETIME_LIB" FAKETIME="@$2" exec "$1/tessuri"
}

wait_window() {  # wait_window XDOTOOL-SEARCH-ARGS...: until such a window shows
    local i
    for i in $(seq 200); do
        xdotool search --onlyvisible "$@" >/dev/null 2>&1 && return 0
        sleep 0.05
    done
    echo "no window for: $*" >&2
    return 1
}
# CPU seconds (utime + stime) from /proc/PID/stat; the fields after the
# command name, which is in parentheses and may hold blanks.
cpu_ticks() { local s; s=$(< "/proc/$1/stat"); s=${s##*) }; set -- $s; echo $(( ${12} + ${13} )); }
# Nanoseconds on the CPU, summed over the process's threads: far finer than ticks.
cpu_ns() { local f t=0 v; for f in /proc/$1/task/*/schedstat; do read -r v _ < "$f"; t=$(( t + v )); done; echo $t; }
hwm_kb() { awk '/^VmHWM:/ { print $2 }' "/proc/$1/status"; }
hz=$(getconf CLK_TCK)

echo "Measuring idle CPU for ${IDLE_S} s (clock and xclock side by side), posing CPU for ${POSE_S} s..." >&2
# Minute 5 of the hourly cycle: the walk-in at start-up, then nothing moves
# on the stage until minute 15. Minute 16: the first soak, a pose a second.
fake_clock "$WORK/prog" "2026-12-10 10:05:00" >"$WORK/clock.log" 2>&1 & clock_pid=$!; PIDS+=("$clock_pid")
fake_clock "$WORK/pose" "2026-12-10 10:16:00" >"$WORK/pose.log" 2>&1 & pose_pid=$!; PIDS+=("$pose_pid")
xclock -update 1 >"$WORK/xclock.log" 2>&1 & xclock_pid=$!; PIDS+=("$xclock_pid")
wait_window --pid "$clock_pid"
wait_window --pid "$pose_pid"
wait_window --class '^XClock$'
sleep 5  # past start-up, the walk-in and the greetings
c_t0=$(cpu_ticks "$clock_pid"); c_n0=$(cpu_ns "$clock_pid")
x_t0=$(cpu_ticks "$xclock_pid"); x_n0=$(cpu_ns "$xclock_pid")
p_n0=$(cpu_ns "$pose_pid")
if (( POSE_S <= IDLE_S )); then
    sleep "$POSE_S"; p_n1=$(cpu_ns "$pose_pid"); sleep $(( IDLE_S - POSE_S ))
else
    sleep "$IDLE_S"; c_t1=$(cpu_ticks "$clock_pid"); c_n1=$(cpu_ns "$clock_pid")
    sleep $(( POSE_S - IDLE_S )); p_n1=$(cpu_ns "$pose_pid")
fi
if (( POSE_S <= IDLE_S )); then c_t1=$(cpu_ticks "$clock_pid"); c_n1=$(cpu_ns "$clock_pid"); fi
x_t1=$(cpu_ticks "$xclock_pid"); x_n1=$(cpu_ns "$xclock_pid")
c_hwm=$(hwm_kb "$clock_pid"); x_hwm=$(hwm_kb "$xclock_pid")
kill "$clock_pid" "$pose_pid" "$xclock_pid"; wait "$clock_pid" "$pose_pid" "$xclock_pid" 2>/dev/null || true
PIDS=()

echo "Measuring exec to first paint, ${RUNS} runs each..." >&2
clock_paint=$("$LAUNCH" "$RUNS" "$WORK/prog/tessuri" | awk '/^median-ms/ { print $2 }')
bare_paint=$("$LAUNCH" "$RUNS" "$BARE" | awk '/^median-ms/ { print $2 }')

echo "Measuring UpdateClockDisplay..." >&2
# On the X server of the session, and on Qt's offscreen platform (the
# program's own drawing without handing pictures to a display server).
micro_x=$(cd "$WORK" && "$MICRO" 2>/dev/null)
micro_off=$(cd "$WORK" && QT_QPA_PLATFORM=offscreen "$MICRO" 2>/dev/null)
field() { awk -v k="$1" '$1 == k { print $2 }' <<<"$2"; }

echo "Measuring DrawStageFrame..." >&2
stage_args=(--benchmark_repetitions=20 --benchmark_report_aggregates_only=true)
stage_x=$(cd "$WORK" && "$STAGE" "${stage_args[@]}" 2>/dev/null)
stage_off=$(cd "$WORK" && QT_QPA_PLATFORM=offscreen "$STAGE" "${stage_args[@]}" 2>/dev/null)
# gbench NAME OUTPUT COLUMN: a median in microseconds (2 wall, 4 CPU).
gbench() { awk -v n="$1_median" -v c="$2" '$1 == n { print $c }' <<<"$3"; }

echo "Measuring the walk's steps over ${WALKS} walk-ins..." >&2
walk=$("$LIVE" walk "$WALKS")
echo "Measuring the spoken time over ${CLICKS} clicks..." >&2
voice=$("$LIVE" voice "$CLICKS")
# values KEY OUTPUT: the numbers of the line that starts with KEY.
values() { awk -v k="$1" '$1 == k { for (i = 2; i <= NF; i++) print $i }' <<<"$2"; }
# pct P: the P-th percentile (nearest rank) of the numbers on stdin.
pct() { sort -g | awk -v p="$1" '{ v[NR] = $1 } END { if (!NR) { print "nan"; exit }
        r = int(p / 100 * NR); if (r < p / 100 * NR) r++; if (r < 1) r = 1; printf "%.1f", v[r] }'; }
steps_n=$(values step-ms "$walk" | wc -l)
step_p50=$(values step-ms "$walk" | pct 50); step_p99=$(values step-ms "$walk" | pct 99)
gaps_n=$(values gap-ms "$voice" | wc -l)
gap_p50=$(values gap-ms "$voice" | pct 50); gap_p99=$(values gap-ms "$voice" | pct 99)
click_n=$(values click-ms "$voice" | wc -l)
click_p50=$(values click-ms "$voice" | pct 50); click_p99=$(values click-ms "$voice" | pct 99)
echo "Measuring the face during a countdown's line, and the talking face..." >&2
line_bare=$("$CALLOUT" line)
line_pose=$(TZ=UTC LD_PRELOAD="$FAKETIME_LIB" FAKETIME="@2026-12-10 10:16:00" "$CALLOUT" line pose)
mouth=$("$CALLOUT" mouth 100)
line_bare_max=$(values lag-ms "$line_bare" | pct 100)
line_pose_max=$(values lag-ms "$line_pose" | pct 100)
mouth_n=$(values work-ms "$mouth" | wc -l)
mouth_p50=$(values work-ms "$mouth" | pct 50); mouth_p99=$(values work-ms "$mouth" | pct 99)
voice_wrong=$(values wrong "$voice")
voice_broken=$(values broken "$voice")

# ---------------------------------------------------------------- the table
verdict() { awk -v v="$1" -v l="$2" 'BEGIN { print (v != "nan" && v + 0 <= l + 0 ? "ok" : "MISSED") }'; }
between() { awk -v v="$1" -v lo="$2" -v hi="$3" 'BEGIN { print (v != "nan" && v + 0 >= lo + 0 && v + 0 <= hi + 0 ? "ok" : "MISSED") }'; }
secs() { awk -v n="$1" -v d="$2" -v p="$3" 'BEGIN { printf "%." p "f", n / d }'; }
c_ns=$(( c_n1 - c_n0 )); x_ns=$(( x_n1 - x_n0 )); p_ns=$(( p_n1 - p_n0 ))
cpu_ratio=$(awk -v c="$c_ns" -v x="$x_ns" 'BEGIN { printf "%.2f", (x > 0 ? c / x : 999) }')
pose_pct=$(awk -v n="$p_ns" -v s="$POSE_S" 'BEGIN { printf "%.3f", n / (s * 1e9) * 100 }')
paint_ratio=$(awk -v c="$clock_paint" -v b="$bare_paint" 'BEGIN { printf "%.2f", c / b }')
us() { secs "$(field "$1" "$2")" 1000 "$3"; }
draw_x=$(gbench DrawStageFrame/walk/xcb 2 "$stage_x")

results=()
row() { printf '%-40s %14s %14s %10s %7s\n' "$@"; [[ -z $5 ]] || results+=("$5"); }
echo
row "measure" "tessuri" "reference" "target" "result"
row "----------------------------------------" "--------------" "--------------" "----------" "-------"
row "idle CPU, ${IDLE_S} s (all threads)" "$(secs $c_ns 1e9 3) s" "$(secs $x_ns 1e9 3) s" "<= 3 x" "$(verdict "$cpu_ratio" 3)"
row "idle CPU, ${IDLE_S} s (utime+stime)" "$(secs $(( c_t1 - c_t0 )) "$hz" 2) s" "$(secs $(( x_t1 - x_t0 )) "$hz" 2) s" "" ""
row "posing CPU, ${POSE_S} s (all threads)" "$(secs $p_ns 1e9 3) s" "" "" ""
row "posing CPU, share of one core" "$pose_pct %" "" "< 0.5 %" "$(verdict "$pose_pct" 0.5)"
row "peak memory (VmHWM)" "$(secs "$c_hwm" 1024 1) MB" "$(secs "$x_hwm" 1024 1) MB" "" ""
row "exec to first paint (median of $RUNS)" "$clock_paint ms" "$bare_paint ms" "<= 1.5 x" "$(verdict "$paint_ratio" 1.5)"
row "UpdateClockDisplay unchanged, X11" "$(us unchanged-ns "$micro_x" 3) us" "" "< 2 us" "$(verdict "$(us unchanged-ns "$micro_x" 3)" 2)"
row "UpdateClockDisplay redraw, X11 wall" "$(us redraw-ns "$micro_x" 1) us" "" "< 50 us" "$(verdict "$(us redraw-ns "$micro_x" 1)" 50)"
row "UpdateClockDisplay redraw, X11 CPU" "$(us redraw-cpu-ns "$micro_x" 1) us" "" "" ""
row "UpdateClockDisplay unchanged, offscreen" "$(us unchanged-ns "$micro_off" 3) us" "" "" ""
row "UpdateClockDisplay redraw, offscreen" "$(us redraw-ns "$micro_off" 1) us" "" "" ""
row "DrawStageFrame walk step, X11 wall" "$draw_x us" "" "< 50 us" "$(verdict "$draw_x" 50)"
row "DrawStageFrame walk step, X11 CPU" "$(gbench DrawStageFrame/walk/xcb 4 "$stage_x") us" "" "" ""
row "DrawStageFrame pose, X11 wall" "$(gbench DrawStageFrame/pose/xcb 2 "$stage_x") us" "" "" ""
row "DrawStageFrame walk step, offscreen" "$(gbench DrawStageFrame/walk/offscreen 2 "$stage_off") us" "" "" ""
draw_hidden=$(gbench DrawStageFrame/hidden/xcb 2 "$stage_x")
row "DrawStageFrame, window hidden" "$draw_hidden us" "" "< 10 us" "$(verdict "$draw_hidden" 10)"
row "walk step interval p50 ($steps_n steps)" "$step_p50 ms" "" "50..51 ms" "$(between "$step_p50" 50 51)"
row "walk step interval p99" "$step_p99 ms" "" "" ""
row "gap between words p50 ($gaps_n gaps)" "$gap_p50 ms" "" "" ""
row "gap between words p99" "$gap_p99 ms" "" "< 20 ms" "$(verdict "$gap_p99" 20)"
row "click to first sample p50 ($click_n)" "$click_p50 ms" "" "< 80 ms" "$(verdict "$click_p50" 80)"
row "click to first sample p99" "$click_p99 ms" "" "" ""
row "clicks not answered as expected" "$voice_wrong of $CLICKS" "" "0" "$(verdict "${voice_wrong:-nan}" 0)"
row "words with dropouts" "$voice_broken" "" "0" "$(verdict "${voice_broken:-nan}" 0)"
row "countdown line: second to face, bare, max" "$line_bare_max ms" "" "< 150 ms" "$(verdict "$line_bare_max" 150)"
row "countdown line: second to face, posing, max" "$line_pose_max ms" "" "< 150 ms" "$(verdict "$line_pose_max" 150)"
row "talking face: work per pass p50 ($mouth_n)" "$mouth_p50 ms" "" "" ""
row "talking face: work per pass p99" "$mouth_p99 ms" "" "< 5 ms" "$(verdict "$mouth_p99" 5)"
echo
echo "references: xclock -update 1 for CPU and memory; a bare frameless 230 x 170 Qt window for the first paint"
echo "ratios: idle CPU ${cpu_ratio} x xclock, first paint ${paint_ratio} x the bare window"
echo "medians; 'wall' includes waiting for the X server, 'CPU' is the calling thread's own time;"
echo "'window hidden' is DrawStageFrame without painting (the composition alone); the X11 rows add"
echo "handing the strip to the X server at once, as a walk needs (the same bound as a face redraw)"
echo "walk steps: first sight of each step on the screen (the stage polled with XGetImage)"
echo "words: test tones at the null sink's monitor; times there are early by at most the sink's latency (~8 ms)"
echo "countdown line: a 6 s line; the face is due at each change of the second (a walk holds it by design)"
echo "talking face: one status query, one face composed and handed to the X server; each pass then sleeps 150 ms"

! grep -q MISSED <<<"${results[*]}"
