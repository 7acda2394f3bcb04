#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The one command that installs what is missing, builds everything and runs
# every test: the layer check and the architecture page's checks (CTest runs
# them with the rest), unit and wire-level tests, GUI tests offscreen, the smoke test
# under Xvfb, then a short libFuzzer run of the splitter, the game server, the
# directory service and the game client.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
export BUILD_DIR=${BUILD_DIR:-$root/build}
"$root/scripts/build.sh"
(cd "$BUILD_DIR" && ctest --output-on-failure -j2)

# Fuzzing needs clang's libFuzzer: a second, small build of just the targets.
fuzz_dir=${FUZZ_BUILD_DIR:-$root/build-fuzz}
CC=clang CXX=clang++ cmake -S "$root" -B "$fuzz_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$fuzz_dir" --target fuzz_chunk_reader fuzz_game_server fuzz_directory_service \
  fuzz_game_client
for target in chunk_reader game_server directory_service game_client; do
  if [[ $target == directory_service ]]; then dict=directory; else dict=game; fi
  found="$fuzz_dir/corpus/$target"
  mkdir -p "$found"
  echo "Fuzzing $target for ${FUZZ_SECONDS:-30} s"
  "$fuzz_dir/bin/fuzz_$target" -max_total_time="${FUZZ_SECONDS:-30}" -print_final_stats=1 \
    -dict="$root/tests/fuzz/$dict.dict" "$found" "$root/tests/fuzz/corpus/$target" 2>&1 | tail -n 12
done
# The Debian packages, built, installed on this machine and checked as a
# player and an administrator meet them (needs root, as CI runs).
if [ "$(id -u)" -eq 0 ] && [ "${SKIP_PACKAGES:-0}" != 1 ]; then
  "$root/scripts/package.sh"
  X_TOOL="$BUILD_DIR/bin/rabuscal-x-tool" "$root/tests/packaging/check_packages.sh" "$root/build/packages"
else
  echo "Package checks skipped (they install packages: run as root)"
fi
echo "All tests passed."
