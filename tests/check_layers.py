#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The layering rule: a file includes headers of its own layer and of the
layers below it, never above. Fails naming every file that reaches upward.

    solver < core < store < model < windows < app
    store < controls < windows; controls and model never include each other
    inside windows: settings, solutions, directories < calculator
    tools (the base maker, solvane-calc) stand on store and model; the
    screenshot tool, tests and bench may reach everything.
"""
import os
import re
import sys

root = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
# Layer of a folder: (rank, rank inside the layer). Folders of one layer with
# the same inner rank must not include each other either.
layers = {
    "solver": (0, 0),
    "core": (1, 0),
    "store": (2, 0),
    "model": (3, 0),
    "controls": (3, 0),
    "tools": (4, 0),
    "windows/settings": (4, 0),
    "windows/solutions": (4, 0),
    "windows/directories": (4, 0),
    "windows/calculator": (4, 1),
    "app": (5, 0),
    "tools/screenshots": (6, 0),
}
include = re.compile(r'^\s*#\s*include\s+"([^"]+)/[^"/]+"')


def layer_of(path):
    for folder in sorted(layers, key=len, reverse=True):
        if path == folder or path.startswith(folder + "/"):
            return folder
    return None


problems = []
for folder in layers:
    for base, _, names in os.walk(os.path.join(root, folder)):
        for name in names:
            if not name.endswith((".h", ".cpp")):
                continue
            path = os.path.join(base, name)
            if layer_of(os.path.relpath(path, root)) != folder:
                continue  # a folder of its own inside this one, walked by itself
            with open(path, encoding="utf-8") as f:
                for number, line in enumerate(f, 1):
                    m = include.match(line)
                    target = layer_of(m.group(1)) if m else None
                    if target is None or target == folder:
                        continue
                    if layers[target] >= layers[folder]:
                        problems.append(f"{os.path.relpath(path, root)}:{number}: {folder} includes {target}")
for line in problems:
    print(line)
sys.exit(1 if problems else 0)
