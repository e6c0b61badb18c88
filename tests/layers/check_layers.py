#!/usr/bin/env python3
"""Checks that product code includes only its own layer and the layers below it.

    check_layers.py check ROOT     every #include "folder/..." of the product folders
    check_layers.py self-test      the checker finds upward includes in a small made-up tree

Layers, lowest first (the same as the libraries in CMakeLists.txt): model; l10n and engine
and manager on the model; ui on those; browser, tools and update on ui and below; setup on
the model, l10n and the browser registration; app, the composition root, on everything.
A product folder that is not in the table fails the check, so a new folder has to say where
it stands. Tests and benchmarks may include anything; product code never includes them.
Prints one line per offending include, "file:line: ...", and exits 1 when there is any.
"""

import os
import re
import sys
import tempfile

BELOW = {
    "model": set(),
    "l10n": {"model"},
    "engine": {"model"},
    "manager": {"model"},
    "ui": {"model", "l10n", "engine", "manager"},
    "browser": {"model", "l10n", "engine", "manager", "ui"},
    "tools": {"model", "l10n", "engine", "manager", "ui"},
    "update": {"model", "l10n", "engine", "manager", "ui"},
    "setup": {"model", "l10n", "browser"},
    "app": {"model", "l10n", "engine", "manager", "ui", "browser", "tools", "update"},
}
NOT_PRODUCT = {"tests", "bench", "build", "cmake", "scripts", "docs", ".git", ".ci"}
SOURCE = (".h", ".cpp", ".rc", ".inc")
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"/]+)/')


def product_folders(root):
    """Top-level folders holding C++ or resource sources, except tests, benchmarks and tools."""
    found = []
    for name in sorted(os.listdir(root)):
        path = os.path.join(root, name)
        # build-*/ are other build folders (make dist builds in build-dist/).
        if name in NOT_PRODUCT or name.startswith((".", "build-")) or not os.path.isdir(path):
            continue
        for _, _, files in os.walk(path):
            if any(f.endswith(SOURCE) for f in files):
                found.append(name)
                break
    return found


def problems(root):
    out = []
    for folder in product_folders(root):
        if folder not in BELOW:
            out.append(f"{folder}/: a product folder without a layer: add it to check_layers.py and CMakeLists.txt")
            continue
        allowed = BELOW[folder] | {folder}
        for dirpath, _, files in os.walk(os.path.join(root, folder)):
            for name in sorted(files):
                if not name.endswith(SOURCE):
                    continue
                path = os.path.join(dirpath, name)
                shown = os.path.relpath(path, root)
                with open(path, encoding="utf-8", errors="replace") as f:
                    for number, line in enumerate(f, 1):
                        m = INCLUDE.match(line)
                        if not m:
                            continue
                        target = m.group(1)
                        if target in NOT_PRODUCT:
                            out.append(f"{shown}:{number}: product code includes {target}/")
                        elif target in BELOW and target not in allowed:
                            out.append(f"{shown}:{number}: {folder}/ includes {target}/, a layer above it "
                                       f"({folder}/ builds on: {', '.join(sorted(BELOW[folder])) or 'nothing'})")
    return out


def self_test():
    files = {
        "model/a.cpp": '#include "model/a.h"\n#include "engine/x.h"\n',
        "engine/b.cpp": '#include <windows.h>\n#include "model/a.h"\n#include "engine/b.h"\n',
        "ui/c.cpp": '#include "l10n/t.h"\n  #  include "app/startup.h"\n',
        "l10n/d.cpp": '#include "tests/support/x.h"\n',
        "app/e.cpp": '#include "ui/c.h"\n#include "browser/ids.h"\n',
        "gadgets/f.cpp": "int f();\n",
        "tests/g.cpp": '#include "app/e.h"\n',
    }
    # engine/b.cpp and app/e.cpp include only what they build on; tests/ may include anything.
    expected = [
        "gadgets/: a product folder without a layer",
        "l10n/d.cpp:1: product code includes tests/",
        "model/a.cpp:2: model/ includes engine/",
        "ui/c.cpp:2: ui/ includes app/",
    ]
    with tempfile.TemporaryDirectory() as root:
        for name, text in files.items():
            os.makedirs(os.path.dirname(os.path.join(root, name)), exist_ok=True)
            with open(os.path.join(root, name), "w") as f:
                f.write(text)
        found = problems(root)
    ok = len(found) == len(expected) and all(line.startswith(e) for line, e in zip(sorted(found), expected))
    for line in found:
        print("  found:", line)
    print("self-test", "passed" if ok else "FAILED: expected lines starting with " + repr(expected))
    return 0 if ok else 1


def main():
    if len(sys.argv) == 2 and sys.argv[1] == "self-test":
        return self_test()
    if len(sys.argv) == 3 and sys.argv[1] == "check":
        found = problems(sys.argv[2])
        for line in found:
            print(line)
        print(f"{len(found)} include(s) going up a layer" if found else "every include stays in its layer or below")
        return 1 if found else 0
    print(__doc__)
    return 2


if __name__ == "__main__":
    sys.exit(main())
