#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Layer check: the floors of the house, as the build declares them.

Reads the list that cmake/Rabuscal.cmake writes at configure time
(<build>/layers.txt: a line "floors base rules ...", then one target a line,
"name|alias|floor|kind|folder|sources|public links|private links") and fails on

  - a link to a library of a higher floor, or of the same floor in another
    subsystem (the first folder under src/, or tests/);
  - an #include, of any form ("server/game_server.h", "../ui/look.h",
    "game_connection.h", <client/board.h>), that resolves to a file of a
    library the including target does not reach. A target reaches itself,
    every library it links, and what those link PUBLIC, transitively; a
    PRIVATE link is the linker's business and is not followed.

Includes are resolved as the compiler does: a quoted name first beside the
including file, then (quoted or angle-bracketed) under src/ and tests/. Names
that resolve to nothing there (Qt, the system, generated files) are not ours.

Which target a file belongs to, in this order:
  1. the targets that list it among their sources;
  2. for a header, the targets that compile the .cpp of the same name beside it;
  3. else the library that compiles files in its folder, or in the nearest
     folder above it (up to src/ or tests/) where a library does; when that
     folder serves several libraries, the one on the lowest floor, and among
     those the one declared first.
Headers under tests/ that no library owns (a test's own helpers) are free.

Usage: check-layers.py <source-root> <build-dir>"""
import os
import re
import sys

INCLUDE = re.compile(r'^[ \t]*#[ \t]*include[ \t]*([<"])([^">\n]+)[">]', re.M)
HEADER = (".h", ".hpp")


def load(manifest):
    floors, targets = [], {}
    for line in open(manifest, encoding="utf-8"):
        line = line.rstrip("\n")
        if line.startswith("floors "):
            floors = line.split()[1:]
        elif line:
            name, alias, floor, kind, folder, sources, public, private = line.split("|")
            srcs = [s if os.path.isabs(s) else os.path.join(folder, s)
                    for s in sources.split(",") if s]
            targets[name] = {
                "name": name, "alias": alias, "floor": floor, "rank": floors.index(floor),
                "kind": kind, "folder": os.path.normpath(folder), "order": len(targets),
                "sources": [os.path.normpath(s) for s in srcs],
                "public": [l for l in public.split(",") if l],
                "private": [l for l in private.split(",") if l],
            }
    return floors, targets


class House:
    def __init__(self, root, floors, targets):
        self.root = os.path.abspath(root)
        self.tops = [os.path.join(self.root, "src"), os.path.join(self.root, "tests")]
        self.floors, self.targets = floors, targets
        aliases = {t["alias"]: n for n, t in targets.items()}
        self.resolve = lambda link: link if link in targets else aliases.get(link)
        self.listed = {}
        for n, t in targets.items():
            for s in t["sources"]:
                self.listed.setdefault(s, []).append(n)
        self.folder_libs = {}
        for n, t in targets.items():
            if t["kind"] == "library":
                for folder in {os.path.dirname(s) for s in t["sources"]} or {t["folder"]}:
                    self.folder_libs.setdefault(folder, []).append(n)
        self._public = {}

    def subsystem(self, name):
        rel = os.path.relpath(self.targets[name]["folder"], self.root).split(os.sep)
        return rel[1] if rel[0] == "src" and len(rel) > 1 else rel[0]

    def top_of(self, path):
        return next((t for t in self.tops if path.startswith(t + os.sep)), None)

    def owners(self, path):
        if path in self.listed:
            return self.listed[path]
        stem, ext = os.path.splitext(path)
        if ext in HEADER:
            for cpp in (stem + ".cpp", stem + ".cc"):
                if cpp in self.listed:
                    return self.listed[cpp]
        top = self.top_of(path)
        folder = os.path.dirname(path)
        while top and folder.startswith(top + os.sep):
            libs = self.folder_libs.get(folder)
            if libs:
                return [min(libs, key=lambda n: (self.targets[n]["rank"], self.targets[n]["order"]))]
            folder = os.path.dirname(folder)
        return []

    def public_closure(self, name):
        if name not in self._public:
            self._public[name] = {name}
            for link in self.targets[name]["public"]:
                dep = self.resolve(link)
                if dep:
                    self._public[name] |= self.public_closure(dep)
        return self._public[name]

    def reach(self, name):
        t = self.targets[name]
        reached = {name}
        for link in t["public"] + t["private"]:
            dep = self.resolve(link)
            if dep:
                reached |= self.public_closure(dep)
        return reached

    def locate(self, including, quote, name):
        bases = ([os.path.dirname(including)] if quote == '"' else []) + self.tops
        for base in bases:
            path = os.path.normpath(os.path.join(base, name))
            if os.path.isfile(path):
                return path if self.top_of(path) else None
        return None

    def files(self):
        """Target -> the files it answers for: its sources and its headers."""
        owned = {n: {s for s in t["sources"] if self.top_of(s) and os.path.isfile(s)}
                 for n, t in self.targets.items()}
        for top in self.tops:
            for folder, _, names in os.walk(top):
                for f in names:
                    if f.endswith(HEADER):
                        path = os.path.join(folder, f)
                        for n in self.owners(path):
                            owned[n].add(path)
        return owned

    def link_faults(self):
        for name, t in self.targets.items():
            for link in t["public"] + t["private"]:
                dep = self.resolve(link)
                if not dep:
                    continue
                d = self.targets[dep]
                if d["rank"] > t["rank"]:
                    yield (f"{name} ({t['floor']}) links {dep} ({d['floor']}), "
                           f"a higher floor")
                elif d["rank"] == t["rank"] and self.subsystem(dep) != self.subsystem(name):
                    yield (f"{name} ({t['floor']}, {self.subsystem(name)}) links {dep} "
                           f"({d['floor']}, {self.subsystem(dep)}): same floor, "
                           f"another subsystem")

    def include_faults(self):
        for name, files in sorted(self.files().items()):
            reached = self.reach(name)
            for source in sorted(files):
                text = open(source, encoding="utf-8", errors="replace").read()
                for quote, inc in INCLUDE.findall(text):
                    path = self.locate(source, quote, inc)
                    if not path:
                        continue
                    owners = self.owners(path)
                    if owners and not reached.intersection(owners):
                        close = ">" if quote == "<" else '"'
                        yield (f"{os.path.relpath(source, self.root)} ({name}): includes "
                               f"{quote}{inc}{close}, {os.path.relpath(path, self.root)} of "
                               f"{', '.join(owners)}, which {name} does not link publicly")


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__.rsplit("\n", 1)[-1])
    floors, targets = load(os.path.join(sys.argv[2], "layers.txt"))
    house = House(sys.argv[1], floors, targets)
    faults = list(house.link_faults()) + list(house.include_faults())
    for fault in faults:
        print(fault)
    print(f"layer check: {len(targets)} targets on {len(floors)} floors "
          f"({' < '.join(floors)}), {len(faults)} fault(s)")
    sys.exit(1 if faults else 0)


if __name__ == "__main__":
    main()
