#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian packages rabuscal, rabuscal-server, rabuscal-site and
# rabuscal-directory
# from this tree into build/packages/ (or $PACKAGE_DIR) and checks them with
# lintian, which must report no errors. Installs the packaging tools and the
# build dependencies first when they are missing. Safe to run again: a second
# run reuses the compiler cache.
#
#   scripts/package.sh [--endpoints FILE]
#   then:  sudo apt install ./build/packages/rabuscal_*.deb
#
# The game is built with the directory host and the web site address of the
# environment's RABUSCAL_DIRECTORY_HOST and RABUSCAL_WEB_BASE, or of FILE,
# which sets them as KEY=VALUE lines (see scripts/endpoints.example); what is
# not set keeps the project's defaults (CMakeLists.txt). The addresses used
# are written to build/packages/endpoints.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=${PACKAGE_DIR:-$root/build/packages}
jobs=${JOBS:-$(nproc)}

endpoints=${ENDPOINTS_FILE:-}
case "${1:-}" in
    --endpoints) endpoints=$2 ;;
    --endpoints=*) endpoints=${1#--endpoints=} ;;
    "") ;;
    *) echo "package.sh: unknown option $1" >&2; exit 2 ;;
esac
if [ -n "$endpoints" ]; then
    # Read, not run: only the two names are taken, each as KEY=VALUE on a line
    # of its own (quotes around the value are dropped); anything else but
    # blank lines and comments is refused.
    while IFS= read -r line || [ -n "$line" ]; do
        case $line in
            '' | '#'*) ;;
            RABUSCAL_DIRECTORY_HOST=* | RABUSCAL_WEB_BASE=*)
                value=${line#*=}
                value=${value#[\"\']}
                value=${value%[\"\']}
                export "${line%%=*}=$value" ;;
            *) echo "package.sh: $endpoints: not an address setting: $line" >&2; exit 2 ;;
        esac
    done <"$endpoints"
fi
default() { sed -n "s/^set($1 \"\([^\"]*\)\".*/\1/p" "$root/CMakeLists.txt"; }
export RABUSCAL_DIRECTORY_HOST=${RABUSCAL_DIRECTORY_HOST:-$(default RABUSCAL_DIRECTORY_HOST)}
export RABUSCAL_WEB_BASE=${RABUSCAL_WEB_BASE:-$(default RABUSCAL_WEB_BASE)}
echo "Directory host $RABUSCAL_DIRECTORY_HOST, web site $RABUSCAL_WEB_BASE"

# The build's own packages, and the packaging tools.
"$root/scripts/install-deps.sh" debhelper dpkg-dev lintian desktop-file-utils appstream

# The package is built from a copy of the tree, so that neither the build
# folder nor the files dpkg-buildpackage leaves beside the source end up in
# the checkout. The copy keeps its path from run to run for the compiler cache.
version=$(dpkg-parsechangelog -l "$root/debian/changelog" -S Version)
# The project's one version is project() in CMakeLists.txt; the package says the same.
project_version=$(sed -n 's/^project(Rabuscal VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
if [ "${version%%[-+]*}" != "$project_version" ]; then
    echo "package.sh: debian/changelog says $version, CMakeLists.txt $project_version" >&2
    exit 1
fi
work="$out/src"
tree="$work/rabuscal-$version"
mkdir -p "$tree"
tar -C "$root" --exclude=./build --exclude=./.git --exclude='./obj-*' -cf - . |
    tar -C "$tree" -xf -
# Files removed from the checkout since the last run must not linger in the copy.
(cd "$tree" && find . -path ./obj-x86_64-linux-gnu -prune -o -type f -print) | while IFS= read -r f; do
    [ -e "$root/$f" ] || rm -f "$tree/$f"
done

rm -f "$work"/*.deb "$work"/*.changes "$work"/*.buildinfo
(cd "$tree" && DEB_BUILD_OPTIONS="parallel=$jobs ${DEB_BUILD_OPTIONS:-}" \
    dpkg-buildpackage -b -us -uc)

rm -f "$out"/*.deb "$out"/*.changes "$out"/*.buildinfo
mv "$work"/*.deb "$work"/*.changes "$work"/*.buildinfo "$out"/
printf 'RABUSCAL_DIRECTORY_HOST=%s\nRABUSCAL_WEB_BASE=%s\n' \
    "$RABUSCAL_DIRECTORY_HOST" "$RABUSCAL_WEB_BASE" >"$out/endpoints"
echo "Packages in $out:"
ls -l "$out"/*.deb

# lintian: errors and warnings fail the run; notices are printed for the record.
lintian --display-info "$out"/*.changes | tee "$out/lintian.txt" || true
if grep -q '^[EW]: ' "$out/lintian.txt"; then
    echo "package.sh: lintian reports errors or warnings" >&2
    exit 1
fi
