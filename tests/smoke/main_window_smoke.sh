#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Starts the real game on a private virtual X display, checks that its main
# window appears at 691 x 362 and is shaped through the X Shape extension,
# and ends the game by clicking its end button like a player would.
# Prints the time from start to the shown main window and the resident memory
# at idle. With a third argument, also saves a picture of the main window.
#
# usage: main_window_smoke.sh GAME X_TOOL [PICTURE.png]
# SMOKE_SCALE=2 runs the game at that scale factor and expects everything that
# much larger; SMOKE_SCREEN=WxH sets the private Xvfb's screen (1024 x 768 times
# the scale by default) and SMOKE_SHOWN_SCALE the scale the window is expected
# at (on a screen too small for it, the game lowers its scale);
# SMOKE_DISPLAY=:N uses that X display instead of a private Xvfb;
# SMOKE_PAUSE_FILE is described where it is used.
set -u
readonly skip=77
# Absolute paths: the game runs in a folder of its own.
game=$(realpath -m "$1")
tool=$(realpath -m "$2")
picture=${3:+$(realpath -m "$3")}
scale=${SMOKE_SHOWN_SCALE:-${SMOKE_SCALE:-1}}
screen=${SMOKE_SCREEN:-$((1024 * scale))x$((768 * scale))}
width=$((691 * scale))
height=$((362 * scale))
# The game picks its own platform: the X one, on the display given here.
unset QT_QPA_PLATFORM
[ "${SMOKE_SCALE:-1}" = 1 ] || export QT_SCALE_FACTOR=$SMOKE_SCALE

[ -n "${SMOKE_DISPLAY:-}" ] || command -v Xvfb >/dev/null || { echo "SKIP: Xvfb is not installed"; exit $skip; }
command -v xwininfo >/dev/null || { echo "SKIP: xwininfo is not installed"; exit $skip; }
[ -x "$tool" ] || { echo "SKIP: no X tool to click with ($tool)"; exit $skip; }

work=$(mktemp -d)
xvfb_pid=""
game_pid=""
cleanup() {
    [ -n "$game_pid" ] && kill "$game_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*"
    [ -f "$work/game.log" ] && sed 's/^/game: /' "$work/game.log"
    [ -s "$work/xvfb.log" ] && sed 's/^/xvfb: /' "$work/xvfb.log"
    exit 1
}
now_ms() { echo $(( $(date +%s%N) / 1000000 )); }
field() { sed -n "s/^ *$1: *//p" <<<"$2" | head -1; }

if [ -n "${SMOKE_DISPLAY:-}" ]; then
    export DISPLAY=$SMOKE_DISPLAY
else
    # -displayfd picks a free display number and tells it once the server is up.
    # -noreset: by default the server resets whenever its last client leaves,
    # and the polls below come and go every few milliseconds; a game
    # connecting during such a reset is turned away.
    Xvfb -displayfd 3 -screen 0 "${screen}x24" -nolisten tcp -noreset \
        3>"$work/display" 2>"$work/xvfb.log" &
    xvfb_pid=$!
    for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
    [ -s "$work/display" ] || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
    export DISPLAY=":$(head -1 "$work/display")"
fi
# The display must answer before the game is started on it.
for _ in $(seq 100); do xwininfo -root >/dev/null 2>&1 && break; sleep 0.1; done
xwininfo -root >/dev/null 2>&1 || fail "the display $DISPLAY does not answer"

# The game reads and writes pictures in its working directory.
cd "$work" || exit 1
started=$(now_ms)
"$game" >"$work/game.log" 2>&1 &
game_pid=$!

window=""
for _ in $(seq 1000); do
    for id in $(xwininfo -root -tree 2>/dev/null | awk -v s=" ${width}x${height}+" 'index($0, s) {print $1}'); do
        xwininfo -id "$id" 2>/dev/null | grep -q 'Map State: IsViewable' && window=$id
    done
    [ -n "$window" ] && break
    kill -0 "$game_pid" 2>/dev/null || fail "the game ended before showing its window"
    sleep 0.01
done
shown=$(now_ms)
[ -n "$window" ] || fail "no viewable $width x $height window appeared"
echo "main window shown after $((shown - started)) ms"

info=$(xwininfo -id "$window" -shape)
[ "$(field Width "$info")" = "$width" ] || fail "main window is not $width wide"
[ "$(field Height "$info")" = "$height" ] || fail "main window is not $height high"
left=$(field "Absolute upper-left X" "$info")
top=$(field "Absolute upper-left Y" "$info")
root=$(xwininfo -root)
[ "$left" -ge 0 ] && [ "$top" -ge 0 ] &&
    [ "$((left + width))" -le "$(field Width "$root")" ] &&
    [ "$((top + height))" -le "$(field Height "$root")" ] ||
    fail "main window at $left,$top is not inside the screen"
# xwininfo reports the extents of the bounding shape only for a shaped window.
extents=$(field "Window shape extents" "$info")
[ -n "$extents" ] || fail "main window is not shaped: $info"
echo "main window shape extents: $extents"
# The outline spans nearly the whole window at any scale; an outline left at
# 1x would cover only the top-left quarter.
read -r ew eh <<<"$(sed 's/^\([0-9]*\)x\([0-9]*\).*/\1 \2/' <<<"$extents")"
[ "$((ew * 100 / width))" -ge 95 ] && [ "$((eh * 100 / height))" -ge 95 ] ||
    fail "the shape ($extents) does not follow the $width x $height window"

sleep 1
echo "resident memory at idle: $(awk '/VmRSS/ {print $2, $3}' "/proc/$game_pid/status")"

if [ -n "$picture" ]; then
    "$tool" shot "$picture" "$left" "$top" "$width" "$height" || fail "could not save $picture"
fi

# SMOKE_PAUSE_FILE: tell the caller the window is up (the file appears) and
# wait, at most a minute, until it has taken what it needs (file removed).
if [ -n "${SMOKE_PAUSE_FILE:-}" ]; then
    touch "$SMOKE_PAUSE_FILE"
    for _ in $(seq 600); do [ -e "$SMOKE_PAUSE_FILE" ] || break; sleep 0.1; done
fi

# The end button btFim sits at 605,26 and is 42 x 20. On a busy machine the
# window may not take input yet right after it maps: try the click again.
# A window manager may still move the window after it maps: look again.
for attempt in 1 2 3; do
    info=$(xwininfo -id "$window")
    left=$(field "Absolute upper-left X" "$info")
    top=$(field "Absolute upper-left Y" "$info")
    "$tool" click $((left + 626 * scale)) $((top + 36 * scale)) || fail "could not click"
    for _ in $(seq 50); do kill -0 "$game_pid" 2>/dev/null || break; sleep 0.1; done
    kill -0 "$game_pid" 2>/dev/null || break
    echo "the game still runs after click $attempt"
done
kill -0 "$game_pid" 2>/dev/null && fail "the end button did not end the game"
wait "$game_pid"
code=$?
game_pid=""
[ "$code" -eq 0 ] || fail "the game ended with code $code"
echo "PASS: main window $width x $height, shaped, ended by its end button"
