#!/usr/bin/env bash
# Benchmarks of the clock against simple references, in one headless
# Xvfb + openbox session:
#   - CPU time while idle, over BENCH_IDLE_SECONDS (120), against `xclock -update 1`
#   - peak memory (VmHWM) of both
#   - time from exec to the first painted frame, median of BENCH_RUNS (10),
#     against a bare frameless 230 x 170 Qt window (bench/bare_window)
#   - cost of one UpdateClockDisplay call, unchanged and redrawing
#
# usage: bench/run.sh [BUILD_DIR]      (default: build/default)
# Builds the targets it needs, prints a table, and exits 1 if a target is missed.
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=$(cd "${1:-$ROOT/build/default}" && pwd)
IDLE_S=${BENCH_IDLE_SECONDS:-120}
RUNS=${BENCH_RUNS:-10}
SESSION="$ROOT/tests/harness/session.sh"

cmake --build "$BUILD" --target tessuri bare_window bench_launch bench_update_clock >/dev/null
TESSURI="$BUILD/dist/tessuri"
BARE="$BUILD/bench/bare_window"
LAUNCH="$BUILD/bench/bench_launch"
MICRO="$BUILD/bench/bench_update_clock"
command -v xclock >/dev/null || { echo "xclock missing (Debian package x11-apps)" >&2; exit 2; }

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

bash "$SESSION" start "$WORK/session" >/dev/null
while IFS='=' read -r key value; do export "$key=$value"; done < "$WORK/session/env"

# A program folder of its own for the clock (its settings file lives there).
mkdir -p "$WORK/prog"
cp "$TESSURI" "$WORK/prog/tessuri"
[[ -d $BUILD/dist/wav ]] && ln -s "$BUILD/dist/wav" "$WORK/prog/wav"

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

echo "Measuring idle CPU for ${IDLE_S} s (clock and xclock side by side)..." >&2
"$WORK/prog/tessuri" >"$WORK/clock.log" 2>&1 & clock_pid=$!; PIDS+=("$clock_pid")
xclock -update 1 >"$WORK/xclock.log" 2>&1 & xclock_pid=$!; PIDS+=("$xclock_pid")
wait_window --pid "$clock_pid"
wait_window --class '^XClock$'
sleep 2  # past start-up
c_t0=$(cpu_ticks "$clock_pid"); c_n0=$(cpu_ns "$clock_pid")
x_t0=$(cpu_ticks "$xclock_pid"); x_n0=$(cpu_ns "$xclock_pid")
sleep "$IDLE_S"
c_t1=$(cpu_ticks "$clock_pid"); c_n1=$(cpu_ns "$clock_pid")
x_t1=$(cpu_ticks "$xclock_pid"); x_n1=$(cpu_ns "$xclock_pid")
c_hwm=$(hwm_kb "$clock_pid"); x_hwm=$(hwm_kb "$xclock_pid")
kill "$clock_pid" "$xclock_pid"; wait "$clock_pid" "$xclock_pid" 2>/dev/null || true
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

# ---------------------------------------------------------------- the table
verdict() { awk -v v="$1" -v l="$2" 'BEGIN { print (v + 0 <= l + 0 ? "ok" : "MISSED") }'; }
secs() { awk -v n="$1" -v d="$2" -v p="$3" 'BEGIN { printf "%." p "f", n / d }'; }
c_ns=$(( c_n1 - c_n0 )); x_ns=$(( x_n1 - x_n0 ))
cpu_ratio=$(awk -v c="$c_ns" -v x="$x_ns" 'BEGIN { printf "%.2f", (x > 0 ? c / x : 999) }')
paint_ratio=$(awk -v c="$clock_paint" -v b="$bare_paint" 'BEGIN { printf "%.2f", c / b }')
us() { secs "$(field "$1" "$2")" 1000 "$3"; }

row() { printf '%-40s %14s %14s %10s %7s\n' "$@"; }
echo
row "measure" "tessuri" "reference" "target" "result"
row "----------------------------------------" "--------------" "--------------" "----------" "-------"
row "idle CPU, ${IDLE_S} s (all threads)" "$(secs $c_ns 1e9 3) s" "$(secs $x_ns 1e9 3) s" "<= 3 x" "$(verdict "$cpu_ratio" 3)"
row "idle CPU, ${IDLE_S} s (utime+stime)" "$(secs $(( c_t1 - c_t0 )) "$hz" 2) s" "$(secs $(( x_t1 - x_t0 )) "$hz" 2) s" "" ""
row "peak memory (VmHWM)" "$(secs "$c_hwm" 1024 1) MB" "$(secs "$x_hwm" 1024 1) MB" "" ""
row "exec to first paint (median of $RUNS)" "$clock_paint ms" "$bare_paint ms" "<= 1.5 x" "$(verdict "$paint_ratio" 1.5)"
row "UpdateClockDisplay unchanged, X11" "$(us unchanged-ns "$micro_x" 3) us" "" "< 2 us" "$(verdict "$(us unchanged-ns "$micro_x" 3)" 2)"
row "UpdateClockDisplay redraw, X11 wall" "$(us redraw-ns "$micro_x" 1) us" "" "< 50 us" "$(verdict "$(us redraw-ns "$micro_x" 1)" 50)"
row "UpdateClockDisplay redraw, X11 CPU" "$(us redraw-cpu-ns "$micro_x" 1) us" "" "" ""
row "UpdateClockDisplay unchanged, offscreen" "$(us unchanged-ns "$micro_off" 3) us" "" "" ""
row "UpdateClockDisplay redraw, offscreen" "$(us redraw-ns "$micro_off" 1) us" "" "" ""
echo
echo "references: xclock -update 1 for CPU and memory; a bare frameless 230 x 170 Qt window for the first paint"
echo "ratios: idle CPU ${cpu_ratio} x xclock, first paint ${paint_ratio} x the bare window"
echo "medians; 'wall' includes waiting for the X server, 'CPU' is the calling thread's own time"

! grep -q MISSED <<<"$(verdict "$cpu_ratio" 3) $(verdict "$paint_ratio" 1.5) $(verdict "$(us unchanged-ns "$micro_x" 3)" 2) $(verdict "$(us redraw-ns "$micro_x" 1)" 50)"
