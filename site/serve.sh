#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Serves the game's web site (this folder) with lighttpd on 127.0.0.1.
#
#   site/serve.sh [--port N] [--background] [--state-dir DIR]
#
# --port        port to listen on (default 8070, the game's built-in address)
# --background  start, print the server's process id and return; stop it
#               later with: kill "$(cat DIR/lighttpd.pid)"
# --state-dir   where the filled-in configuration, the password file, the
#               pid file and the error log go (default: a new temporary folder)
#
# The members' area club/ asks for HTTP Basic authentication. The demo
# account is user "pexo", password "pexo"; set CLUB_USER and CLUB_PASSWORD to
# use another one.
set -eu

here=$(cd "$(dirname "$0")" && pwd)
port=8070
background=no
state_dir=

while [ $# -gt 0 ]; do
    case "$1" in
        --port) port=$2; shift 2 ;;
        --background) background=yes; shift ;;
        --state-dir) state_dir=$2; shift 2 ;;
        -h|--help) sed -n '2,16p' "$0"; exit 0 ;;
        *) echo "serve.sh: unknown option $1" >&2; exit 2 ;;
    esac
done

lighttpd=$(command -v lighttpd || true)
[ -n "$lighttpd" ] || [ ! -x /usr/sbin/lighttpd ] || lighttpd=/usr/sbin/lighttpd
if [ -z "$lighttpd" ]; then
    echo "serve.sh: lighttpd is not installed (apt-get install lighttpd)" >&2
    exit 127
fi

case "$port" in
    ''|*[!0-9]*) echo "serve.sh: bad port '$port'" >&2; exit 2 ;;
esac

if [ -z "$state_dir" ]; then
    state_dir=$(mktemp -d "${TMPDIR:-/tmp}/rabuscal-site.XXXXXX")
fi
mkdir -p "$state_dir"
state_dir=$(cd "$state_dir" && pwd)

# The password file lives outside the web root so that it is never served.
user=${CLUB_USER:-pexo}
password=${CLUB_PASSWORD:-pexo}
if command -v htpasswd >/dev/null 2>&1; then
    htpasswd -bcm "$state_dir/club.htpasswd" "$user" "$password" 2>/dev/null
else
    printf '%s:%s\n' "$user" "$(openssl passwd -apr1 "$password")" >"$state_dir/club.htpasswd"
fi

escape() { printf '%s' "$1" | sed -e 's/[\\&|]/\\&/g'; }
sed -e "s|@DOCROOT@|$(escape "$here")|" \
    -e "s|@PORT@|$port|" \
    -e "s|@STATEDIR@|$(escape "$state_dir")|g" \
    -e "s|@HTPASSWD@|$(escape "$state_dir/club.htpasswd")|" \
    "$here/lighttpd.conf" >"$state_dir/lighttpd.conf"

"$lighttpd" -tt -f "$state_dir/lighttpd.conf" >/dev/null

if [ "$background" = yes ]; then
    rm -f "$state_dir/lighttpd.pid"
    "$lighttpd" -f "$state_dir/lighttpd.conf"
    # lighttpd writes its pid file once it listens.
    tries=0
    while [ ! -s "$state_dir/lighttpd.pid" ] && [ $tries -lt 50 ]; do
        sleep 0.1
        tries=$((tries + 1))
    done
    if [ ! -s "$state_dir/lighttpd.pid" ]; then
        echo "serve.sh: lighttpd did not start; see $state_dir/error.log" >&2
        exit 1
    fi
    cat "$state_dir/lighttpd.pid"
else
    echo "Serving $here on http://127.0.0.1:$port/ (club/: $user)" >&2
    exec "$lighttpd" -D -f "$state_dir/lighttpd.conf"
fi
