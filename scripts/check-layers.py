#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Layer check: every #include of a library's sources must point into that
library or into a library it links (directly or through its public links).

Reads the manifest that cmake/Rabuscal.cmake writes at configure time
(<build>/layers.txt: one target per line, "name|alias|folder|source,...|link,...")
and prints every include that crosses a layer or points upwards."""
import os
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def load(manifest):
    libs = {}
    for line in open(manifest, encoding="utf-8"):
        line = line.rstrip("\n")
        if not line:
            continue
        name, alias, folder, sources, links = line.split("|")
        srcs = [s if os.path.isabs(s) else os.path.join(folder, s)
                for s in sources.split(",") if s]
        libs[name] = {
            "alias": alias,
            "sources": [os.path.normpath(s) for s in srcs],
            "links": [l for l in links.split(",") if l],
        }
    return libs


def owners(libs, src_root):
    """Header -> library: the library compiling the .cpp of the same stem, else
    the first library declared in the header's folder."""
    by_stem, by_folder = {}, {}
    for name, lib in libs.items():
        for s in lib["sources"]:
            by_stem[os.path.splitext(s)[0]] = name
            by_folder.setdefault(os.path.dirname(s), name)
    def owner(header):
        stem = os.path.splitext(header)[0]
        if stem in by_stem:
            return by_stem[stem]
        folder = os.path.dirname(header)
        while folder.startswith(src_root):
            if folder in by_folder:
                return by_folder[folder]
            folder = os.path.dirname(folder)
        return None
    return owner


def main():
    if len(sys.argv) != 3:
        sys.exit("usage: check_layers.py <source-root> <build-dir>")
    src_root = os.path.abspath(os.path.join(sys.argv[1], "src"))
    libs = load(os.path.join(sys.argv[2], "layers.txt"))
    # Rabuscal::ServerNet names rabuscal_server_net; Qt and the rest are outside.
    aliases = {lib["alias"]: n for n, lib in libs.items()}

    def target(link):
        return link if link in libs else aliases.get(link)

    closure = {}
    def reach(name):
        if name not in closure:
            closure[name] = {name}
            for l in libs[name]["links"]:
                t = target(l)
                if t:
                    closure[name] |= reach(t)
        return closure[name]

    owner = owners(libs, src_root)
    files = {n: set(l["sources"]) for n, l in libs.items()}
    for folder, _, names in os.walk(src_root):
        for f in names:
            if f.endswith(".h"):
                header = os.path.join(folder, f)
                if owner(header):
                    files[owner(header)].add(header)
    faults = 0
    for name in sorted(libs):
        allowed = reach(name)
        for source in sorted(files[name]):
            if not source.startswith(src_root) or not os.path.exists(source):
                continue
            text = open(source, encoding="utf-8", errors="replace").read()
            for inc in INCLUDE.findall(text):
                header = os.path.normpath(os.path.join(src_root, inc))
                if not os.path.exists(header):
                    continue  # generated or outside src/
                own = owner(header)
                if own and own not in allowed:
                    faults += 1
                    print(f"{os.path.relpath(source, src_root)}: includes {inc} "
                          f"of {own}, which {name} does not link")
    print(f"layer check: {len(libs)} libraries, {faults} crossing include(s)")
    sys.exit(1 if faults else 0)


main()
