#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian packages rabuscal, rabuscal-server and rabuscal-directory
# from this tree into build/packages/ (or $PACKAGE_DIR) and checks them with
# lintian, which must report no errors. Installs the packaging tools and the
# build dependencies first when they are missing. Safe to run again: a second
# run reuses the compiler cache.
#
#   scripts/package.sh            then:  sudo apt install ./build/packages/rabuscal_*.deb
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=${PACKAGE_DIR:-$root/build/packages}
jobs=${JOBS:-$(nproc)}

# The build's own packages, and the packaging tools.
"$root/scripts/install-deps.sh" debhelper dpkg-dev lintian desktop-file-utils appstream

# The package is built from a copy of the tree, so that neither the build
# folder nor the files dpkg-buildpackage leaves beside the source end up in
# the checkout. The copy keeps its path from run to run for the compiler cache.
version=$(dpkg-parsechangelog -l "$root/debian/changelog" -S Version)
# The project's one version is project() in CMakeLists.txt; the package says the same.
project_version=$(sed -n 's/^project(Rabuscal VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
if [ "${version%%-*}" != "$project_version" ]; then
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
echo "Packages in $out:"
ls -l "$out"/*.deb

# lintian: errors fail the run, warnings are printed for the record.
lintian --display-info "$out"/*.changes | tee "$out/lintian.txt" || true
if grep -q '^E: ' "$out/lintian.txt"; then
    echo "package.sh: lintian reports errors" >&2
    exit 1
fi
