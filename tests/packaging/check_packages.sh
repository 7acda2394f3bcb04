#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the built packages on this machine and checks them as a player and
# an administrator would meet them: the menu entry, the AppStream file, the
# manual pages, the addresses built in, the units, the services' command
# lines, run by hand as an unprivileged user with their settings files,
# serving a game and groups, the web site without any shipped password, and
# removal and purge. Runs every check and fails at the end if any failed.
# Needs root (CI, or autopkgtest through debian/tests/control).
#
#   tests/packaging/check_packages.sh [PACKAGE_DIR]   (default build/packages)
#   tests/packaging/check_packages.sh --installed     (as installed already)
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
if [ "${1:-}" = --installed ]; then
    packages=
else
    packages=$(cd "${1:-$root/build/packages}" && pwd)
fi
failures=0
pass() { echo "ok   $*"; }
fail() { echo "FAIL $*"; failures=$((failures + 1)); }
check() {  # check DESCRIPTION COMMAND...: passes when the command does
    local what=$1
    shift
    if out=$("$@" 2>&1); then pass "$what"; else fail "$what"; fi
    [ -z "$out" ] || printf '%s\n' "$out" | sed 's/^/     /'
}

[ "$(id -u)" -eq 0 ] || { echo "check_packages.sh: run as root" >&2; exit 2; }
export DEBIAN_FRONTEND=noninteractive
install_packages() {  # install_packages [PACKAGE...]: from PACKAGE_DIR, all by default
    local debs=()
    for p in "${@:-rabuscal rabuscal-server rabuscal-site rabuscal-directory}"; do
        for d in $p; do debs+=("$packages/${d}_"*.deb); done
    done
    apt-get install -y -qq --reinstall "${debs[@]}" >/dev/null
}
if [ -n "$packages" ]; then
    install_packages || { echo "FAIL apt-get install $packages/*.deb"; exit 1; }
    pass "apt-get install $(cd "$packages" && echo ./*.deb)"
fi
for p in desktop-file-utils appstream curl man-db systemd lighttpd apache2-utils; do
    dpkg-query -W -f='${Status}' $p 2>/dev/null | grep -q "ok installed" ||
        apt-get install -y -qq --no-install-recommends $p >/dev/null
done

# What the desktop, the software centres and man see.
check "desktop entry valid" desktop-file-validate /usr/share/applications/rabuscal.desktop
check "AppStream metainfo valid" \
    appstreamcli validate --no-net /usr/share/metainfo/io.github.rabuscal.Rabuscal.metainfo.xml
for size in 48 64 128 256; do
    check "icon ${size}px" test -s /usr/share/icons/hicolor/${size}x$size/apps/rabuscal.png
done
for page in rabuscal rabuscal-server rabuscal-directory; do check "man $page" man -w $page; done
# One version, from the build's project(), in every program and the packages.
version=$(sed -n 's/^project(Rabuscal VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
check "rabuscal --version" test "$(/usr/games/rabuscal --version)" = "rabuscal $version"
check "rabuscal-server --version" test "$(/usr/bin/rabuscal-server --version)" = "rabuscal-server $version"
check "rabuscal-directory --version" test "$(/usr/bin/rabuscal-directory --version)" = "rabuscal-directory $version"
package_version=$(dpkg-query -W -f='${Version}' rabuscal)
check "package version $package_version" test "${package_version%%[-+]*}" = "$version"
for program in /usr/games/rabuscal /usr/bin/rabuscal-server /usr/bin/rabuscal-directory; do
    page=$(man -w "$(basename $program)")
    check "$(basename $program) --help and its manual list the same options" \
        "$root/tests/packaging/manual_options.sh" $program "$page"
done

# The addresses the game was built with (package.sh writes them beside the
# packages; otherwise the project's defaults) reach the game's own strings,
# its manual and its AppStream description.
default() { sed -n "s/^set($1 \"\([^\"]*\)\".*/\1/p" "$root/CMakeLists.txt"; }
RABUSCAL_DIRECTORY_HOST=$(default RABUSCAL_DIRECTORY_HOST)
RABUSCAL_WEB_BASE=$(default RABUSCAL_WEB_BASE)
# shellcheck source=/dev/null
[ -z "$packages" ] || [ ! -r "$packages/endpoints" ] || . "$packages/endpoints"
check "game built for the directory $RABUSCAL_DIRECTORY_HOST and the site $RABUSCAL_WEB_BASE" \
    test "$(/usr/games/rabuscal --help | tail -n 1)" = \
    "Directory service $RABUSCAL_DIRECTORY_HOST (port 2070), web site $RABUSCAL_WEB_BASE."
check "the game's own strings hold the site address" grep -qaF "$RABUSCAL_WEB_BASE" /usr/games/rabuscal
check "the manual names the directory and the site" sh -c \
    "zcat -f \"\$(man -w rabuscal)\" | tr -d '\n' | grep -F '$RABUSCAL_DIRECTORY_HOST' | grep -qF '$RABUSCAL_WEB_BASE'"
check "AppStream homepage and screenshots on the site" grep -qF \
    "<image>${RABUSCAL_WEB_BASE}rabuscal/screenshots/main-window.png</image>" \
    /usr/share/metainfo/io.github.rabuscal.Rabuscal.metainfo.xml
check "no password is installed" test ! -e /etc/rabuscal/club.htpasswd

# The installed game comes up shaped on a virtual X display, with the smoke
# test of the build (which needs the build's X tool to click its end button).
x_tool=${X_TOOL:-$root/build/bin/rabuscal-x-tool}
if [ -x "$x_tool" ]; then
    check "installed game starts, 691 x 362 and shaped" \
        "$root/tests/smoke/main_window_smoke.sh" /usr/games/rabuscal "$x_tool"
else
    echo "skip installed game: no X tool at $x_tool"
fi

# The units, the template as its instance for port 7003, where systemd's
# pkg-config file says units go.
units=$(mktemp -d)
trap 'rm -rf "$units"; kill $(jobs -p) 2>/dev/null' EXIT
unit_dir=$(dirname "$(dpkg -L rabuscal-server | grep '/rabuscal-server@\.service$')")
check "units in $unit_dir" test "$unit_dir" = "$(pkg-config --variable=systemdsystemunitdir systemd 2>/dev/null ||
    echo "$unit_dir")"
cp "$unit_dir"/rabuscal-directory.service "$unit_dir"/rabuscal-server.service \
    "$unit_dir"/rabuscal-server@.service "$units"/
ln -s rabuscal-server@.service "$units/rabuscal-server@7003.service"
check "systemd-analyze verify" env SYSTEMD_UNIT_PATH="$units:" \
    systemd-analyze verify "$units/rabuscal-directory.service" "$units/rabuscal-server.service" \
    "$units/rabuscal-server@7003.service"
check "every instance is part of rabuscal-server.service" grep -qx 'PartOf=rabuscal-server.service' \
    "$units/rabuscal-server@.service"

# A unit's ExecStart as a shell command, its variables taken from the
# environment: ${X} stays one word, $X splits at blanks, %i is the instance.
exec_start() {  # exec_start UNIT INSTANCE
    sed -n 's/^ExecStart=//p' "$1" | sed -e "s/%i/$2/g" -e 's/\${\([A-Z_]*\)}/"${\1}"/g'
}
# Runs it as nobody with the unit's settings file(s), logging into a file.
start_service() {  # start_service UNIT INSTANCE LOG OVERRIDES...
    local unit=$1 instance=$2 log=$3
    shift 3
    local command
    command=$(exec_start "$unit" "$instance")
    (
        set -a
        eval "$(sed -n 's/^Environment=//p' "$unit")"
        for f in $(sed -n 's/^EnvironmentFile=-\?//p' "$unit" | sed "s/%i/$instance/g"); do
            [ -r "$f" ] && . "$f"
        done
        for o in "$@"; do export "${o?}"; done
        set +a
        eval "exec setpriv --reuid=nobody --regid=nogroup --clear-groups --no-new-privs $command"
    ) >"$log" 2>&1 &
}
listening_port() {  # waits for "listening on port N" in a log and prints N
    for _ in $(seq 50); do
        port=$(sed -n 's/.*listening on port \([0-9]*\).*/\1/p' "$1" 2>/dev/null | head -n 1)
        [ -n "$port" ] && { echo "$port"; return 0; }
        sleep 0.1
    done
    return 1
}
ask() {  # ask PORT REQUEST: sends the bytes and prints what comes back within 2 s
    local reply=""
    exec 3<>/dev/tcp/127.0.0.1/"$1" || return 1
    printf '%s' "$2" >&3
    read -r -t 2 -N 4096 reply <&3
    exec 3<&-
    printf '%s' "$reply"
}

# The directory on any free port, the server announcing to it. The settings
# files are used as installed; only the ports and the directory's public
# address are the test's own.
start_service "$units/rabuscal-directory.service" "" "$units/directory.log" PORT=0 \
    "DIRECTORY_OPTIONS=--public-address 203.0.113.7"
if directory=$(listening_port "$units/directory.log"); then
    pass "directory ExecStart serves (port $directory)"
    start_service "$units/rabuscal-server@.service" 0 "$units/server.log" \
        DIRECTORY_HOST=127.0.0.1:$directory
    if server=$(listening_port "$units/server.log"); then
        pass "server ExecStart serves (port $server)"
        reply=$(ask "$server" '$-$slc:tester')
        case "$reply" in *'$-$onj:'*) pass "server lets a player join" ;;
            *) fail "server lets a player join: got '$reply'" ;; esac
        sleep 1  # the announcement travels
        reply=$(ask "$directory" 'j#gjgs:rabuscal')
        case "$reply" in 'j#glsg:Rabuscal|203.0.113.7^')
                pass "directory lists the server's group under its public address: $reply" ;;
            *) fail "directory lists the server's group under its public address: got '$reply'" ;;
        esac
    else
        fail "server ExecStart serves"
    fi
    sed 's/^/     server: /' "$units/server.log"
else
    fail "directory ExecStart serves"
fi
sed 's/^/     directory: /' "$units/directory.log"
check "the services run as nobody" test "$(stat -c %U /proc/"$(pgrep -n -f '^/usr/bin/rabuscal-directory')")" = nobody
kill $(jobs -p) 2>/dev/null
wait 2>/dev/null

# The web site through the lighttpd snippet, on a port of the test's own.
if command -v lighttpd >/dev/null || [ -x /usr/sbin/lighttpd ]; then
    site_port=$((20000 + RANDOM % 20000))
    check "the site listens on loopback alone" grep -q '^\$SERVER\["socket"\] == "127\.0\.0\.1:[0-9]*"' \
        /etc/lighttpd/conf-available/50-rabuscal-site.conf
    sed "s/\"127\.0\.0\.1:[0-9]*\"/\"127.0.0.1:$site_port\"/" /etc/lighttpd/conf-available/50-rabuscal-site.conf \
        >"$units/site.conf"
    cat >"$units/lighttpd.conf" <<CONF
server.modules = ("mod_indexfile", "mod_access", "mod_dirlisting", "mod_staticfile")
server.document-root = "/nonexistent"
server.port = $((site_port + 1))
server.bind = "127.0.0.1"
server.pid-file = "$units/lighttpd.pid"
server.errorlog = "$units/lighttpd.log"
include "$units/site.conf"
CONF
    /usr/sbin/lighttpd -f "$units/lighttpd.conf"
    sleep 0.5
    base=http://127.0.0.1:$site_port
    check "site serves the version" test "$(curl -s $base/rabuscal/versao.txt)" = "$(cat "$root/site/rabuscal/versao.txt")"
    check "site serves a screenshot" test "$(curl -s -o /dev/null -w '%{http_code}' $base/rabuscal/screenshots/lobby.png)" = 200
    club() { curl -s -o /dev/null -w '%{http_code}' "$@" $base/club/rabuscal/lista.txt; }
    check "club asks for a login" test "$(club)" = 401
    check "club has no account after installation" test "$(club -u pexo:pexo)" = 401
    # The administrator's account, as README.Debian says.
    password="secret $RANDOM"
    htpasswd -cbB /etc/rabuscal/club.htpasswd tester "$password" 2>/dev/null
    chown root:www-data /etc/rabuscal/club.htpasswd && chmod 0640 /etc/rabuscal/club.htpasswd
    check "club opens to the account the administrator added" test "$(club -u "tester:$password")" = 200
    check "and to no other" test "$(club -u "tester:wrong")" = 401
    kill "$(cat "$units/lighttpd.pid")" 2>/dev/null
fi

# Removal and purge, as an administrator who enabled the site and a server.
lighttpd_valid() { lighttpd -tt -f /etc/lighttpd/lighttpd.conf; }
if [ -r /etc/lighttpd/lighttpd.conf ]; then
    lighty-enable-mod rabuscal-site >/dev/null 2>&1
    check "lighttpd's configuration valid with the site enabled" lighttpd_valid
    apt-get purge -y -qq rabuscal-site >/dev/null 2>&1
    check "purging the site disables it" test ! -e /etc/lighttpd/conf-enabled/50-rabuscal-site.conf -a \
        ! -L /etc/lighttpd/conf-enabled/50-rabuscal-site.conf
    check "lighttpd's configuration valid after the purge" lighttpd_valid
    check "the club's accounts go with the purge" test ! -e /etc/rabuscal/club.htpasswd
fi
if [ -d /run/systemd/system ]; then
    systemctl start rabuscal-server@7003
    check "an instance runs" systemctl is-active -q rabuscal-server@7003
    check "an instance restarts with rabuscal-server.service" sh -c \
        'before=$(systemctl show -P MainPID rabuscal-server@7003); systemctl restart rabuscal-server;
         test "$(systemctl show -P MainPID rabuscal-server@7003)" != "$before"'
fi
systemctl enable rabuscal-server@7003 >/dev/null 2>&1
check "an instance is enabled" \
    test -L /etc/systemd/system/multi-user.target.wants/rabuscal-server@7003.service
# Without systemd running (a container), what removal would do: stop the
# umbrella, and with it (PartOf=) every instance.
check "removal stops rabuscal-server.service" \
    grep -q "deb-systemd-invoke stop.*rabuscal-server\.service" /var/lib/dpkg/info/rabuscal-server.prerm
apt-get remove -y -qq rabuscal-server >/dev/null 2>&1
if [ -d /run/systemd/system ]; then
    check "removal stops every instance" sh -c '! systemctl is-active -q rabuscal-server@7003'
fi
apt-get purge -y -qq rabuscal-server >/dev/null 2>&1
check "purge leaves no instance link" test -z "$(find /etc/systemd/system -name 'rabuscal-server@*' 2>/dev/null)"
if [ -n "$packages" ]; then
    install_packages rabuscal-server rabuscal-site || fail "reinstalling rabuscal-server and rabuscal-site"
fi

if [ $failures -gt 0 ]; then
    echo "$failures check(s) failed"
    exit 1
fi
echo "all checks passed"
