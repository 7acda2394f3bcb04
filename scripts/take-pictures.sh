#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Takes the pictures of docs/ with the real game on a private virtual X
# display: a player joins a headless game server, becomes the drawer and goes
# through the windows a newcomer sees first. Run by hand, not by CTest:
#
#   scripts/take-pictures.sh BUILD_DIR OUT_DIR
#
# As root it runs in a network namespace of its own, so that the game's fixed
# ports (7003, and the web site's 8070) cannot meet another copy's.
set -u
build=$(cd "$1" && pwd)
mkdir -p "$2"
out=$(cd "$2" && pwd)
root=$(cd "$(dirname "$0")/.." && pwd)
game=$build/bin/rabuscal
tool=$build/bin/rabuscal-x-tool

if [ "$(id -u)" = 0 ] && [ -z "${RABUSCAL_OWN_NETWORK:-}" ]; then
    exec unshare -n env RABUSCAL_OWN_NETWORK=1 "$0" "$@"
fi
[ -n "${RABUSCAL_OWN_NETWORK:-}" ] && ip link set lo up

web_port=$(sed -n 's/.*RABUSCAL_WEB_BASE:STRING=http:\/\/127\.0\.0\.1:\([0-9]*\)\/.*/\1/p' \
    "$build/CMakeCache.txt")
work=$(mktemp -d)
pids=()
cleanup() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
    wait 2>/dev/null
    rm -rf "$work"
}
trap 'cleanup; [ -n "${site_pid:-}" ] && kill "$site_pid" 2>/dev/null' EXIT
fail() { echo "FAIL: $*"; [ -f "$work/game.log" ] && sed 's/^/game: /' "$work/game.log"; exit 1; }

# Wide enough for two copies of the game side by side.
Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp -noreset 3>"$work/display" 2>"$work/xvfb.log" &
pids+=($!)
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || fail "Xvfb did not start"
export DISPLAY=":$(head -1 "$work/display")"

site_pid=$("$root/site/serve.sh" --port "$web_port" --background --state-dir "$work/site") ||
    fail "the web site did not start"
"$build/bin/rabuscal-server" --port 7003 >"$work/server.log" 2>&1 &
pids+=($!)

mkdir -p "$work/play"
cp "$root"/site/rabuscal/*.bmp "$work/play/"
# A broken bitmap, first in the list, for the picture of the error report.
echo "nada" >"$work/play/abacaxi.bmp"
cd "$work/play" || exit 1
QTWEBENGINE_CHROMIUM_FLAGS=--no-sandbox "$game" >"$work/game.log" 2>&1 &
game_pid=$!
pids+=($game_pid)

# The top-left corner of the viewable window of that size, as "X Y".
window_at() {
    local id info
    for id in $(xwininfo -root -tree 2>/dev/null | awk -v s=" $1+" 'index($0, s) {print $1}'); do
        info=$(xwininfo -id "$id" 2>/dev/null)
        grep -q 'Map State: IsViewable' <<<"$info" || continue
        echo "$(sed -n 's/^ *Absolute upper-left X: *//p' <<<"$info")" \
            "$(sed -n 's/^ *Absolute upper-left Y: *//p' <<<"$info")"
        return 0
    done
    return 1
}
# How many windows of that size are viewable.
windows_of() {
    local id n=0
    for id in $(xwininfo -root -tree 2>/dev/null | awk -v s=" $1+" 'index($0, s) {print $1}'); do
        xwininfo -id "$id" 2>/dev/null | grep -q 'Map State: IsViewable' && n=$((n + 1))
    done
    echo "$n"
}

# Sets X and Y to the corner of the window of that size once it shows.
wait_window() {
    local place
    for _ in $(seq 300); do
        place=$(window_at "$1") && { read -r X Y <<<"$place"; return 0; }
        sleep 0.1
    done
    fail "no $1 window"
}
click() { "$tool" click $((wx + $1)) $((wy + $2)); sleep "${3:-0.6}"; }
shot() { "$tool" shot "$out/$1" "$2" "$3" "$4" "$5" && echo "saved $1"; }

# The lobby: connect to the local server and join with a nick.
join_as() {
    click 356 36                      # btConec
    click 330 133 0.2                 # Servidor
    "$tool" type "127.0.0.1"
    click 275 111                     # btCjg
    sleep 1
    click 330 153 0.2                 # Nick
    "$tool" type "$1"
    click 322 176 1.5                 # btEnt
}

wait_window 691x362
mx=$X my=$Y
sleep 2
shot main-window.png "$mx" "$my" 691 362
wx=$mx wy=$my

# The lobby: connect to the server and join as the first player, the drawer.
join_as ana
shot lobby.png "$mx" "$my" 691 362
click 255 315 2                       # btVrs
shot version-check.png "$mx" "$my" 691 362

# The phrase page with the public drawings, one of them in the preview.
click 184 281                         # btDes
click 320 80 2                        # the broken bitmap of the working folder
shot error-report.png $((mx - 80)) "$my" 851 520
click 461 266 2                       # btPexo of the gallery
"$tool" dclick $((mx + 320)) $((my + 94))
sleep 2
shot gallery.png "$mx" "$my" 691 362

# The round starts; "Fundo vis:" lays the drawing on the drawer's board.
click 377 315 0.2                     # Secret
"$tool" type "gato"
click 595 315 2                       # btOkp
click 184 301 1                       # btFnd lays it again after the server's "cls"
shot template-on-board.png "$mx" "$my" 691 362

# The chat window, with a line said.
click 648 348                         # btPan
wait_window 474x268
cx=$X cy=$Y
"$tool" type "oi pessoal"
"$tool" click $((cx + 100)) $((cy + 245))
sleep 0.3
"$tool" key Return
sleep 1
shot chat.png "$cx" "$cy" 474 268

# The server window.
click 311 36                          # btServ
wait_window 376x122
sx=$X sy=$Y
sleep 0.5
shot server-window.png "$sx" "$sy" 376 122
click 311 36                          # btServ hides it again

# The first press on the board opens the instructions; without the site the
# browser shows the game's own page.
kill "$site_pid" 2>/dev/null
click 648 348                         # btPan hides the chat
click 400 300 5                       # the board
wait_window 570x320
bx=$X by=$Y
shot offline-page.png "$bx" "$by" 570 320

# The instructions and the community page, with the site back.
site_pid=$("$root/site/serve.sh" --port "$web_port" --background --state-dir "$work/site") ||
    fail "the web site did not start again"
click 44 130 5                        # btInst
shot instructions.png "$bx" "$by" 570 320
"$tool" click $((bx + 42)) $((by + 306))   # btPexo of the browser
sleep 4
shot pexo.png "$bx" "$by" 570 320

# A round between two copies: the drawer's copy moves to the left, a second
# copy joins as "bia" and moves to the right, the drawer draws, bia guesses.
"$tool" click $((bx + 532)) $((by + 306))  # btFechar of the browser
sleep 0.5
mx0=$mx my0=$my
"$tool" drag $((mx + 40)) $((my + 300)) $((mx - 560)) $((my + 300))
mx=$((mx - 600))
mkdir -p "$work/play2"
cd "$work/play2" || exit 1
QTWEBENGINE_CHROMIUM_FLAGS=--no-sandbox "$game" >"$work/game2.log" 2>&1 &
pids+=($!)
for _ in $(seq 300); do [ "$(windows_of 691x362)" -ge 2 ] && break; sleep 0.1; done
sleep 2
wx=$mx0 wy=$my0
join_as bia
"$tool" drag $((mx0 + 40)) $((my0 + 300)) $((mx0 + 640)) $((my0 + 300))
gx=$((mx0 + 600)) gy=$my0
sleep 0.5

wx=$mx wy=$my
click 184 321 1                       # btCls: a clean board for everybody
board() { local a=() x y; while [ $# -gt 1 ]; do a+=($((mx + $1)) $((my + $2))); shift 2; done
          "$tool" drag "${a[@]}"; sleep 0.3; }
circle=()
for i in $(seq 0 24); do
    circle+=($(awk -v i="$i" 'BEGIN { a = i * 3.14159265 / 12;
        printf "%d %d", 454 + 58 * cos(a), 205 + 52 * sin(a) }'))
done
board "${circle[@]}"
board 413 170 420 112 445 155
board 463 155 488 112 495 170
board 432 192 434 194
board 474 192 476 194
board 432 228 454 240 476 228
sleep 1
shot round-drawer.png "$mx" "$my" 691 362

wx=$gx wy=$gy
click 648 348                         # btPan of bia's copy
wait_window 474x268
cx=$X cy=$Y
"$tool" type "cao"
"$tool" click $((cx + 393)) $((cy + 249))
sleep 1
"$tool" type "gato"
"$tool" click $((cx + 393)) $((cy + 249))
sleep 2
shot round-guesser.png "$cx" "$gy" $((gx + 691 - cx)) 362

wx=$mx wy=$my
click 626 36 1                        # btFim
