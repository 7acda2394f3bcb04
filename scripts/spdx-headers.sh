#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Puts the licence identifier on every source file and script of the project:
# first line of each .cpp/.h under src/ tests/ bench/, the line after the
# shebang of each script. Files that already carry it are left alone, so the
# script can run again at any time.
set -euo pipefail
root=$(cd "${1:-$(dirname "$0")/..}" && pwd)
tag="SPDX-License-Identifier: GPL-3.0-or-later"
cd "$root"

find src tests bench -type f \( -name '*.cpp' -o -name '*.h' \) 2>/dev/null | sort |
    while IFS= read -r file; do
        head -n 1 "$file" | grep -qF "$tag" && continue
        sed -i "1i // $tag" "$file"
    done

# Scripts: shell and Python files with a shebang (and .sh files without one).
find scripts tests bench site -type f \( -name '*.sh' -o -name '*.py' \) 2>/dev/null | sort |
    while IFS= read -r file; do
        head -n 3 "$file" | grep -qF "$tag" && continue
        if head -n 1 "$file" | grep -q '^#!'; then
            sed -i "1a # $tag" "$file"
        else
            sed -i "1i # $tag" "$file"
        fi
    done
