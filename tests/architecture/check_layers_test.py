#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The layer check on a small made-up house: each kind of fault is found,
and what the build allows passes. Usage: check_layers_test.py <check-layers.py>"""
import os
import subprocess
import sys
import tempfile

FLOORS = "base rules adapters widgets windows shell programs"
# name floor kind folder sources public-links private-links ("-": none)
TARGETS = {t[0]: t[1:] for t in (line.split() for line in """
    low       base     library src/low   low.cpp     -                -
    rules     rules    library src/game  rules.cpp   -                -
    other     rules    library src/other other.cpp   -                -
    net       adapters library src/game  net/net.cpp Sys::Rules       -
    mid       adapters library src/mid   mid.cpp     -                Sys::Low
    two_rules rules    library src/two   a.cpp       -                -
    two_net   adapters library src/two   b.cpp       Sys::TwoRules    -
    ui        widgets  library src/ui    look.cpp    -                -
    top       windows  library src/top   top.cpp     Sys::Mid,Sys::Net -
    prog      programs program src/prog  main.cpp    -                Sys::Low
""".strip().splitlines())}
FILES = """src/low/low.h src/game/rules.h src/game/net/net.h src/game/net/alone.h src/other/other.h
    src/mid/mid.h src/two/b.h src/two/only.h src/ui/look.h src/top/top.h""".split()

# what: (target whose links grow, link) or (file, include line); the fault the check must print.
CASES = [
    ("the house as built passes", None, None),
    ("a link to a higher floor", ("rules", "Sys::Ui"), "rules (rules) links ui (widgets), a higher floor"),
    ("a link on the same floor across subsystems", ("rules", "Sys::Other"),
     "same floor, another subsystem"),
    ("a quoted include upwards", ("src/game/rules.cpp", '#include "game/net/net.h"'),
     "includes \"game/net/net.h\", src/game/net/net.h of net"),
    ("a relative include into another library", ("src/game/net/net.cpp", '#include "../../ui/look.h"'),
     "src/ui/look.h of ui, which net does not"),
    ("a same-folder include into another library", ("src/two/a.cpp", '#include "b.h"'),
     "src/two/b.h of two_net, which two_rules"),
    ("an angle-bracketed include of ours", ("src/game/rules.cpp", "#include <ui/look.h>"),
     "includes <ui/look.h>"),
    ("a header's own include counts for its library", ("src/game/rules.h", '#include "other/other.h"'),
     "src/game/rules.h (rules): includes"),
    ("a private link is not passed on", ("src/top/top.cpp", '#include "low/low.h"'),
     "src/low/low.h of low, which top"),
    ("a private link serves its own library", ("src/mid/mid.cpp", '#include "low/low.h"'), None),
    ("public links are passed on", ("src/top/top.cpp", '#include "low/low.h"\n#include "game/rules.h"'),
     "src/low/low.h of low"),
    ("a header without a .cpp belongs to the lowest library of its folder",
     ("src/prog/main.cpp", '#include "two/only.h"'), "src/two/only.h of two_rules, which prog"),
    ("a header without a .cpp belongs to the library compiling its folder",
     ("src/game/rules.cpp", '#include "net/alone.h"'), "src/game/net/alone.h of net, which rules"),
    ("programs are checked", ("src/prog/main.cpp", '#include "ui/look.h"'), "which prog does not"),
    ("what is not ours is not checked", ("src/game/rules.cpp", "#include <vector>\n#include \"gen.h\""),
     None),
]


def build(root, case):
    targets = {n: ["" if f == "-" else f for f in t] for n, t in TARGETS.items()}
    edits = {}
    if case and case[0] in targets:
        targets[case[0]][4] = ",".join(filter(None, [targets[case[0]][4], case[1]]))
    elif case:
        edits[case[0]] = case[1]
    sources = [f"{t[2]}/{t[3]}" for t in targets.values()]
    for f in FILES + sources:
        os.makedirs(os.path.join(root, os.path.dirname(f)), exist_ok=True)
        with open(os.path.join(root, f), "w") as out:
            out.write(edits.get(f, "") + "\n")
    alias = lambda n: "Sys::" + "".join(w.title() for w in n.split("_"))
    lines = [f"floors {FLOORS}"] + [
        "|".join([n, alias(n), t[0], t[1], os.path.join(root, t[2]), t[3], t[4], t[5]])
        for n, t in targets.items()]
    os.makedirs(os.path.join(root, "build"))
    with open(os.path.join(root, "build", "layers.txt"), "w") as out:
        out.write("\n".join(lines) + "\n")


def main():
    checker, failures = sys.argv[1], 0
    for what, case, fault in CASES:
        with tempfile.TemporaryDirectory() as root:
            build(root, case)
            run = subprocess.run([sys.executable, checker, root, os.path.join(root, "build")],
                                 capture_output=True, text=True)
            faults = run.stdout.splitlines()[:-1]
            ok = (run.returncode == 0 and not faults) if fault is None else (
                run.returncode == 1 and len(faults) == 1 and fault in faults[0])
            print(f"{'ok  ' if ok else 'FAIL'} {what}")
            if not ok:
                failures += 1
                print("     expected: " + (fault or "no fault") + "\n     got: " + run.stdout + run.stderr)
    sys.exit(1 if failures else 0)


main()
