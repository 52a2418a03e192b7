#!/usr/bin/env python3
"""The layering rule: a file includes headers of its own layer and of the
layers below it, never above. Fails naming every file that reaches upward.

    solver < core < store < controls < windows < app
    tools (the maker) stands on store; tests and bench may reach everything.
"""
import os
import re
import sys

root = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
ranks = {"solver": 0, "core": 1, "store": 2, "controls": 3, "windows": 4, "app": 5, "tools": 3}
include = re.compile(r'^\s*#\s*include\s+"([^"/]+)/')
upward = []
for folder, rank in ranks.items():
    for base, _, names in os.walk(os.path.join(root, folder)):
        for name in names:
            if not name.endswith((".h", ".cpp")):
                continue
            path = os.path.join(base, name)
            with open(path, encoding="utf-8") as f:
                for number, line in enumerate(f, 1):
                    m = include.match(line)
                    if m and m.group(1) in ranks and ranks[m.group(1)] > rank and m.group(1) != folder:
                        upward.append(f"{os.path.relpath(path, root)}:{number}: {folder} includes {m.group(1)}")
for line in upward:
    print(line)
sys.exit(1 if upward else 0)
