#!/usr/bin/env bash
# The README's screenshots, made from a build in a headless session of their
# own (Xvfb + openbox + PulseAudio with a null sink):
#   docs/clock.png     the clock alone, at a minute when the stage rests
#   docs/stage.png     a character soaking on the stage
#   docs/callout.png   the alarm's call-out beside the clock, while it talks
#   docs/settings.png  the settings dialog beside the clock, opened by a
#                      click on the sign
# Each shows the program's windows with a small margin of the (black)
# desktop around them, at twice their size.
#
# The clock runs from a scratch copy of the program folder (the program and
# its wav/ folder; the settings file is written there for each shot) under
# libfaketime (Debian package faketime) at fixed minutes, so that every shot
# shows the same thing each time it is made.
#
# usage: tools/screenshots.sh [BUILD_DIR]      (default: build/default)
# Needs the build's dist/ folder (cmake --build BUILD_DIR --target tessuri),
# and xvfb, openbox, pulseaudio, x11-utils, xdotool and imagemagick.
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=$(cd "${1:-$ROOT/build/default}" && pwd)
SESSION="$ROOT/tests/harness/session.sh"
DOCS="$ROOT/docs"
TESSURI="$BUILD/dist/tessuri"
MARGIN=12   # pixels of desktop around the windows
LEFT=90     # where the clock stands: left of the dialog, which centres
TOP=190     # itself on the 1024 x 768 screen

die() { echo "screenshots.sh: $*" >&2; exit 1; }

[[ -x $TESSURI ]] || die "$TESSURI missing: build the target tessuri first"
for tool in xdotool xwininfo xprop import convert; do
    command -v "$tool" >/dev/null || die "$tool missing"
done
FAKETIME_LIB=
for f in /usr/lib/*/faketime/libfaketime.so.1 /usr/lib/faketime/libfaketime.so.1; do
    [[ -e $f ]] && { FAKETIME_LIB=$f; break; }
done
[[ -n $FAKETIME_LIB ]] || die "libfaketime missing (Debian package faketime)"

WORK=$(mktemp -d "${TMPDIR:-/tmp}/tessuri-shots.XXXXXX")
CLOCK_PID=
cleanup() {
    stop_clock
    bash "$SESSION" stop "$WORK/session"
    rm -rf "$WORK"
}
trap cleanup EXIT

bash "$SESSION" start "$WORK/session" --pulse >/dev/null
while IFS='=' read -r key value; do export "$key=$value"; done < "$WORK/session/env"

# The scratch program folder, with a private runtime folder for the
# program's single-instance lock.
PROG="$WORK/prog"
mkdir -p "$PROG/runtime"
chmod 700 "$PROG/runtime"
cp "$TESSURI" "$PROG/tessuri"
if [[ -d $BUILD/dist/wav ]]; then cp -r "$BUILD/dist/wav" "$PROG/wav"; fi

# settings EVENT [ALARM-LINES]: the settings file of a shot. The clock stands
# at (LEFT, TOP), not kept on top; only the first character comes on stage.
settings() {
    {
        printf '[Setting]\nLeft=%s\nTop=%s\nZOrder=False\nEvent=%s\n' "$LEFT" "$TOP" "$1"
        printf 'Char0=True\nChar1=False\nChar2=False\nChar3=False\nChar4=False\n'
        printf '[Alerm]\n%b' "${2:-Enabled=0\n}"
    } > "$PROG/Tessuri.ini"
}

# start_clock 'hh:mm:ss': the clock, its local time starting there.
start_clock() {
    ( cd "$PROG" && XDG_RUNTIME_DIR="$PROG/runtime" TZ=UTC LD_PRELOAD="$FAKETIME_LIB" \
          FAKETIME="@2026-12-10 $1" FAKETIME_NO_CACHE=1 exec ./tessuri ) >>"$WORK/tessuri.log" 2>&1 &
    CLOCK_PID=$!
    wait_for_window 230 170 || die "the clock showed no window (see the log below)
$(cat "$WORK/tessuri.log")"
}

stop_clock() {
    [[ -n $CLOCK_PID ]] || return 0
    kill "$CLOCK_PID" 2>/dev/null || true
    wait "$CLOCK_PID" 2>/dev/null || true
    CLOCK_PID=
}

# The clock's visible windows.
windows() { xdotool search --all --onlyvisible --pid "$CLOCK_PID" --class '^tessuri$' 2>/dev/null || true; }

# geometry WINDOW: "x y width height" of the window with its frame, if any.
geometry() {
    local x y w h l=0 r=0 t=0 b=0 extents
    read -r x y w h < <(xwininfo -id "$1" | awk '
        /Absolute upper-left X:/ { x = $NF } /Absolute upper-left Y:/ { y = $NF }
        /Width:/ { w = $NF } /Height:/ { h = $NF } END { print x, y, w, h }')
    extents=$(xprop -id "$1" _NET_FRAME_EXTENTS 2>/dev/null | sed -n 's/.*= *//p' | tr -d ',')
    [[ -n $extents ]] && read -r l r t b <<<"$extents"
    echo "$((x - l)) $((y - t)) $((w + l + r)) $((h + t + b))"
}

# wait_for_window WIDTH HEIGHT: until the clock shows a window of that size.
wait_for_window() {
    local i w
    for i in $(seq 200); do
        for w in $(windows); do
            [[ $(xwininfo -id "$w" | awk '/Width:/ { w = $NF } /Height:/ { h = $NF } END { print w "x" h }') \
                == "$1x$2" ]] && return 0
        done
        sleep 0.05
    done
    return 1
}

# shoot NAME: docs/NAME.png, the clock's windows and a margin, at 2x.
shoot() {
    local x0=100000 y0=100000 x1=0 y1=0 w x y gw gh sw sh
    for w in $(windows); do
        read -r x y gw gh < <(geometry "$w")
        (( x < x0 )) && x0=$x
        (( y < y0 )) && y0=$y
        (( x + gw > x1 )) && x1=$((x + gw))
        (( y + gh > y1 )) && y1=$((y + gh))
    done
    (( x1 > 0 )) || die "no window to shoot for $1"
    read -r sw sh < <(xwininfo -root | awk '/Width:/ { w = $NF } /Height:/ { h = $NF } END { print w, h }')
    x0=$((x0 - MARGIN)); y0=$((y0 - MARGIN)); x1=$((x1 + MARGIN)); y1=$((y1 + MARGIN))
    (( x0 < 0 )) && x0=0
    (( y0 < 0 )) && y0=0
    (( x1 > sw )) && x1=$sw
    (( y1 > sh )) && y1=$sh
    import -window root "png:$WORK/screen.png"
    convert "$WORK/screen.png" -crop "$((x1 - x0))x$((y1 - y0))+$x0+$y0" +repage -scale 200% \
        "png:$DOCS/$1.png"
    echo "docs/$1.png: $((x1 - x0))x$((y1 - y0)) at 2x"
}

mkdir -p "$DOCS"

# The clock alone: minute 9 of the hourly cycle, after the walk-in and its
# greeting, while the character waits for the first soak.
settings 3
start_clock 10:09:00
sleep 5
shoot clock
stop_clock

# Minute 16: the first soak, the character posing at its first place.
settings 3
start_clock 10:16:00
sleep 3
shoot stage
stop_clock

# The alarm at 10:15, once only, three seconds after start: the call-out
# comes at the minute; the shot is taken while the line plays.
settings 7 'AMPM=True\nHour=10\nMinute=15\nEnabled=1\nEve=False\n'
start_clock 10:14:57
wait_for_window 208 224 || die "no call-out came up"
sleep 1.5
shoot callout
stop_clock

# The dialog, opened by a click on the sign, with an everyday alarm set.
settings 3 'AMPM=True\nHour=07\nMinute=30\nEnabled=1\nEve=True\n'
start_clock 10:20:00
sleep 2
xdotool mousemove $((LEFT + 25)) $((TOP + 23)) sleep 0.1 click 1
wait_for_window 343 285 || die "the settings dialog did not open"
sleep 1
shoot settings
stop_clock
