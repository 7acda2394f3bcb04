#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs the main window smoke test inside a Wayland session: weston's headless
# backend with XWayland. The game sees WAYLAND_DISPLAY and DISPLAY, picks the
# X11 platform by itself and must come up shaped on XWayland's display.
# With a third argument, also saves a picture of weston's whole output.
#
# usage: weston_xwayland_smoke.sh GAME X_TOOL [PICTURE.png]
set -u
readonly skip=77
game=$1
tool=$2
picture=${3:-}
here=$(cd "$(dirname "$0")" && pwd)

command -v weston >/dev/null || { echo "SKIP: weston is not installed"; exit $skip; }
command -v Xwayland >/dev/null || { echo "SKIP: Xwayland is not installed"; exit $skip; }

work=$(mktemp -d)
weston_pid=""
cleanup() {
    [ -n "$weston_pid" ] && kill "$weston_pid" 2>/dev/null
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

export XDG_RUNTIME_DIR=$work/run
mkdir -m 700 "$XDG_RUNTIME_DIR"
socket=rabuscal-smoke-$$
# --debug lets the screenshooter client take the picture; the pixman
# renderer gives the headless output real pixels.
weston --backend=headless-backend.so --use-pixman --width=1024 --height=768 \
    --xwayland --socket="$socket" --no-config --idle-time=0 --debug \
    --log="$work/weston.log" >/dev/null 2>&1 &
weston_pid=$!

x_display=""
for _ in $(seq 200); do
    x_display=$(sed -n 's/.*xserver listening on display \(:[0-9]*\).*/\1/p' "$work/weston.log" 2>/dev/null)
    [ -n "$x_display" ] && break
    kill -0 "$weston_pid" 2>/dev/null || break
    sleep 0.1
done
if [ -z "$x_display" ]; then
    echo "SKIP: weston with XWayland did not start here"
    sed 's/^/weston: /' "$work/weston.log" 2>/dev/null | tail -20
    exit $skip
fi
echo "weston on $socket, XWayland on $x_display"

export WAYLAND_DISPLAY=$socket
shot=()
if [ -n "$picture" ]; then
    # Keeps the game up until the whole output is taken, then lets it end.
    shot=("$work/shown")
fi
SMOKE_DISPLAY=$x_display SMOKE_PAUSE_FILE="${shot[0]:-}" \
    "$here/main_window_smoke.sh" "$game" "$tool" &
smoke_pid=$!
if [ -n "$picture" ]; then
    for _ in $(seq 600); do [ -e "$work/shown" ] && break; sleep 0.1; done
    (cd "$work" && weston-screenshooter >/dev/null 2>&1)
    taken=$(ls "$work"/wayland-screenshot*.png 2>/dev/null | head -1)
    if [ -n "$taken" ]; then cp "$taken" "$picture"; else echo "no screenshot taken"; fi
    rm -f "$work/shown"
fi
wait "$smoke_pid"
