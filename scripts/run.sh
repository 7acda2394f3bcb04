#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The one command that installs what is missing, builds the game and runs it
# together with its local services: the directory service on port 2070 and the
# web site on the build's web root (loopback by default).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
export BUILD_DIR=${BUILD_DIR:-$root/build}
"$root/scripts/build.sh"
bin="$BUILD_DIR/bin"

pids=()
cleanup() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; wait 2>/dev/null || true; }
trap cleanup EXIT INT TERM

port_busy() { (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null; }

if port_busy 2070; then
  echo "A directory service already answers on port 2070; using it."
else
  "$bin/rabuscal-directory" --port 2070 &
  pids+=($!)
fi

web_port=$(sed -n 's/.*RABUSCAL_WEB_BASE:STRING=http:\/\/127\.0\.0\.1:\([0-9]*\)\/.*/\1/p' "$BUILD_DIR/CMakeCache.txt")
if [ -n "$web_port" ]; then
  if port_busy "$web_port"; then
    echo "A web server already answers on port $web_port; using it."
  else
    "$root/site/serve.sh" --port "$web_port" &
    pids+=($!)
  fi
fi

# The game lists the bitmaps of its working directory as tracing templates.
play="$BUILD_DIR/play"
mkdir -p "$play"
cp -n "$root"/site/rabuscal/*.bmp "$play"/ 2>/dev/null || true
cd "$play"
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  "$bin/rabuscal"
else
  echo "No display: starting the headless game server on port 7003 instead (Ctrl+C ends it)."
  "$bin/rabuscal-server" --port 7003
fi
