#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Checks the names a page puts in backticks against the tree, so that the
prose cannot go on naming what was moved, renamed or never existed:

  - a path (`src/server/net/`, `tests/support/cutting_relay.h`, a glob such
    as `src/daemon/address_key.*`) must exist under the source root, and a
    bare file name (`board_view.cpp`) somewhere in it;
  - a CamelCase or camelCase name, plain or qualified (`GameServer`,
    `btOkpMouseUp`, `GameServer::dataReceived`), must occur, each part of
    it, as a word in the code (not the comments) under src/, cmake/ or
    tests/support/: a test's fixture named like a class does not count;
  - a target name (`rabuscal_server_net`) must be in the build's layer list
    (or be a word there: `rabuscal_library`).

Fenced blocks and the generated layer map are skipped; NOT_IN_TREE lists the
few names that are rightly absent (install paths). Usage:
check-doc-names.py <source-root> <build-dir> <page.md>..."""
import glob
import os
import re
import sys

NOT_IN_TREE = {
    "libexec/rabuscal/",  # where the browser program is installed
}
SPAN = re.compile(r"`([^`\n]+)`")
FENCE = re.compile(r"^```.*?^```", re.M | re.S)
MAP = re.compile(r"<!-- layer map:.*?<!-- end of layer map -->", re.S)
PATH = re.compile(r"^[\w.@+-]+(/[\w.@*+-]*)+$")
FILE = re.compile(r"^[\w@+-]+(\.[\w]+)*\.(cpp|h|hpp|py|sh|md|txt|in|cmake|json|dict|supp|bmp|png)$")
NAME = re.compile(r"^[A-Za-z_]\w*(::[A-Za-z_~]\w*)*$")
TARGET = re.compile(r"^(rabuscal|web)_[a-z0-9_]+$")
# Code, without its comments: a name only a comment mentions is not there.
CODE = {ext: re.compile(r"//[^\n]*|/\*.*?\*/", re.S) for ext in (".cpp", ".h", ".hpp", ".in")}
CODE[".cmake"] = re.compile(r"#[^\n]*")
SKIP_DIRS = {".git", "build", "build-fuzz", "node_modules"}


def tree(root):
    files, words = set(), set()
    for folder, dirs, names in os.walk(root):
        dirs[:] = [d for d in dirs if d not in SKIP_DIRS and not d.startswith("build")]
        files.update(names)
        rel = os.path.relpath(folder, root).split(os.sep)
        if rel[0] in ("src", "cmake") or rel[:2] == ["tests", "support"]:
            for n in names:
                comment = CODE.get(os.path.splitext(n)[1] if n != "CMakeLists.txt" else ".cmake")
                if comment:
                    text = open(os.path.join(folder, n), encoding="utf-8", errors="replace").read()
                    words.update(re.findall(r"\w+", comment.sub(" ", text)))
    return files, words


def fault(span, root, files, words, targets):
    name = span[:-2] if span.endswith("()") else span
    if span in NOT_IN_TREE:
        return None
    if PATH.match(span):
        found = glob.glob(os.path.join(root, span)) if "*" in span else [os.path.join(root, span)]
        return None if any(os.path.exists(p) for p in found) else "no such path"
    if FILE.match(span):
        return None if span in files else "no such file in the tree"
    if TARGET.match(name):
        return None if name in targets or name in words else "no such target or CMake function"
    if NAME.match(name) and re.search(r"[a-z]", name) and re.search(r"[A-Z]", name):
        missing = [p for p in name.split("::") if p not in words]
        return f"{', '.join(missing)} not found in the code" if missing else None
    return None


def main():
    if len(sys.argv) < 4:
        sys.exit(__doc__.rsplit("\n", 1)[-1])
    root = os.path.abspath(sys.argv[1])
    targets = {line.split("|", 1)[0]
               for line in open(os.path.join(sys.argv[2], "layers.txt"), encoding="utf-8")}
    files, words = tree(root)
    faults = 0
    for page in sys.argv[3:]:
        text = open(page, encoding="utf-8").read()
        text = MAP.sub(lambda m: "\n" * m.group(0).count("\n"), text)
        text = FENCE.sub(lambda m: "\n" * m.group(0).count("\n"), text)
        for number, line in enumerate(text.splitlines(), 1):
            for span in SPAN.findall(line):
                why = fault(span, root, files, words, targets)
                if why:
                    faults += 1
                    print(f"{os.path.relpath(page, root)}:{number}: `{span}`: {why}")
    print(f"names in the pages: {faults} fault(s)")
    sys.exit(1 if faults else 0)


main()
