#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Checks that a program's manual page describes exactly the options its
# --help lists: each option of --help has an entry under OPTIONS, and each
# entry there is an option of --help.
#
#   tests/packaging/manual_options.sh PROGRAM PAGE   (PAGE may be gzipped)
set -eu
program=$1
page=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$program" --help >"$work/help"
# Option lines of --help: "  --name VALUE   text" or "  -h, --help ...".
sed -n 's/^ \{1,\}\(-[a-zA-Z], \)\{0,1\}\(--[a-z][a-z-]*\).*/\2/p' "$work/help" | sort -u >"$work/from-help"

case "$page" in *.gz) zcat "$page" ;; *) cat "$page" ;; esac >"$work/page"
# The entries of the OPTIONS section: the line after each .TP.
sed -e 's/\\-/-/g' "$work/page" | awk '
    /^\.SH/ { options = ($2 == "OPTIONS") }
    options && tagged { print; tagged = 0; next }
    options && /^\.TP/ { tagged = 1 }' |
    grep -o -- '--[a-z][a-z-]*' | sort -u >"$work/from-page"

[ -s "$work/from-help" ] || { echo "no options in $program --help"; exit 1; }
if ! diff -u --label "$program --help" --label "$page OPTIONS" "$work/from-help" "$work/from-page"; then
    echo "$page and $program --help list different options"
    exit 1
fi
echo "$(wc -l <"$work/from-help") options of $program in $page"
