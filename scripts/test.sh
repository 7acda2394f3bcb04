#!/usr/bin/env bash
# The one command that installs what is missing, builds everything and runs
# every test (unit, wire-level, GUI offscreen, fuzz, smoke under Xvfb).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
export BUILD_DIR=${BUILD_DIR:-$root/build}
"$root/scripts/build.sh"
cd "$BUILD_DIR"
ctest --output-on-failure -j2
