#!/usr/bin/env python3
"""The wall around the platform: the game's code includes no platform header,
tests no platform, and rolls no generator but its own.

Usage: layering_check.py SOURCE_DIR"""
import os
import re
import sys

root = sys.argv[1]
GAME = ["app", "battle", "actors", "render", "levels"]
problems = []

for top, _, files in os.walk(root):
    rel_top = os.path.relpath(top, root)
    if rel_top.startswith(("build", ".git", "dist")):
        continue
    for name in files:
        if not name.endswith((".h", ".cpp")):
            continue
        path = os.path.join(top, name)
        rel = os.path.relpath(path, root)
        text = open(path, encoding="utf-8", errors="replace").read()
        in_platform = rel.startswith("platform" + os.sep)
        if not in_platform and re.search(r'#\s*include\s*[<"](SDL2?/)?SDL\.h[>"]|#\s*include\s*<windows\.h>', text):
            problems.append(f"{rel}: includes a platform header outside platform/")
        if rel.split(os.sep)[0] in GAME:
            if re.search(r"#\s*(if|ifdef|ifndef|elif).*\b(_WIN32|_WIN64|WIN32|__linux__|__APPLE__|__unix__|__MINGW\w*)\b", text):
                problems.append(f"{rel}: tests which platform it runs on")
            if re.search(r"\b(std::)?s?rand\s*\(", text):
                problems.append(f"{rel}: calls rand() or srand()")

for p in problems:
    print(p)
print("layering: " + ("holds" if not problems else f"{len(problems)} problems"))
sys.exit(1 if problems else 0)
