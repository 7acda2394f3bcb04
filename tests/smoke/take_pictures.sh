#!/usr/bin/env bash
# Takes the pictures of docs/ with the real game on a private virtual X
# display: a player joins a headless game server, becomes the drawer and goes
# through the windows a newcomer sees first. Run by hand, not by CTest:
#
#   tests/smoke/take_pictures.sh BUILD_DIR OUT_DIR
#
# As root it runs in a network namespace of its own, so that the game's fixed
# ports (7003, and the web site's 8070) cannot meet another copy's.
set -u
build=$(cd "$1" && pwd)
mkdir -p "$2"
out=$(cd "$2" && pwd)
root=$(cd "$(dirname "$0")/../.." && pwd)
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

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
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

wait_window 691x362
mx=$X my=$Y
sleep 2
shot main-window.png "$mx" "$my" 691 362
wx=$mx wy=$my

# The lobby: connect to the server and join as the first player, the drawer.
click 356 36                          # btConec
click 330 133 0.2                     # Servidor
"$tool" type "127.0.0.1"
click 275 111                         # btCjg
sleep 1
click 330 153 0.2                     # Nick
"$tool" type "ana"
click 322 176 1.5                     # btEnt
shot lobby.png "$mx" "$my" 691 362
click 255 315 2                       # btVrs
shot version-check.png "$mx" "$my" 691 362

# The phrase page with the public drawings, one of them in the preview.
click 184 281                         # btDes
click 320 80 2                        # the broken bitmap of the working folder
shot error-report.png 0 0 1024 768
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

click 626 36 1                        # btFim
