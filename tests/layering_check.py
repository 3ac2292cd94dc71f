#!/usr/bin/env python3
"""The layers of the source tree: every include points down the declared
order, no files include each other in a circle, no backend includes another,
the game's code includes no platform header, tests no platform, and rolls no
generator but its own.

Usage: layering_check.py SOURCE_DIR"""
import os
import re
import sys

# Top to bottom. A file may include files of its own folder and of any layer
# below its own, never of a layer above it nor of another folder in its own
# layer. This order is also written in README.md ("Where things are") and
# docs/layers.md. No file is exempt: a program's entry lives in programs/.
LAYERS = [
    ["tests", "bench"],
    ["programs", "artgen"],  # the process entries; the build-time art generator
    ["hosting"],  # what every program does with its host: settings, status, runs; reset
    ["shell", "replay"],  # start-up, window procedure, modes; replays
    ["netplay"],  # online play: state snapshots, the rollback session, the datagrams
    ["editor", "options"],  # the level editor; command line, settings, keys
    ["battle"],  # the frame step and the order of the passes within a tick
    ["actors"],  # the player's and enemies' rules, bullets, items, explosions
    ["render"],  # sheets, drawing, frame layers, sound cues: changes no state
    ["levels"],  # the grid, the built-in levels, cell animation, the map file
    ["state", "texts", "lobby"],  # the game's global records; the texts; the lobby's messages
    ["platform"],  # platform.h, what the backends share, and the backends
    ["formats"],  # generic PNG, BMP, wave and icon writers
]
LAYER_OF = {folder: n for n, folders in enumerate(LAYERS) for folder in folders}
# The game's code: it sees the platform only through platform.h and files.h.
GAME = ["hosting", "shell", "replay", "netplay", "editor", "options", "battle", "actors", "render", "levels",
        "state", "texts"]
# Inside platform/, a backend uses what the backends share, never another
# backend.
BACKENDS = ["sdl", "headless", "win32", "web", "posix"]
SKIPPED = ("build", ".git", "dist", "node_modules")
# A program's entry sees the platform through the host interface and its own
# backend's entry header alone: whatever a host offers reaches every program.
PROGRAM_BACKEND_HEADERS = {
    "desktop": [],
    "windows": ["platform/win32/win32_api.h"],
    "web": ["platform/web/web_page.h"],
    "sim": ["platform/headless/headless.h"],
}
# Backends' headers that hold the types of platform.h (defined per backend).
SHARED_BACKEND_NAMES = {"WindowData", "SurfaceData"}
# Words of the game's own user interface that no platform file draws.
GAME_UI_WORDS = re.compile(r"\b(FillStatusShown|CurrentStatus|StatusText|BattleState)\b")
INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"', re.MULTILINE)


def source_files(root):
    for top, dirs, files in os.walk(root):
        rel_top = os.path.relpath(top, root)
        if rel_top != "." and rel_top.split(os.sep)[0].startswith(SKIPPED):
            dirs[:] = []
            continue
        for name in files:
            if name.endswith((".h", ".cpp")):
                yield os.path.relpath(os.path.join(top, name), root).replace(os.sep, "/")


def direction_problems(rel, text, includes, known):
    folder = rel.split("/")[0]
    if folder not in LAYER_OF:
        return [f"{rel}: its folder '{folder}' has no place in the layer order"]
    problems = []
    for target in includes:
        if target not in known:
            continue
        to = target.split("/")[0]
        if to == folder:
            problems += backend_problems(rel, target)
            continue
        if to not in LAYER_OF:
            problems.append(f"{rel}: includes {target}, whose folder has no place in the order")
        elif LAYER_OF[to] < LAYER_OF[folder]:
            problems.append(f"{rel}: includes {target}, which is above it ({to} over {folder})")
        elif LAYER_OF[to] == LAYER_OF[folder]:
            problems.append(f"{rel}: includes {target}, beside it ({to} next to {folder})")
    return problems


def backend_problems(rel, target):
    """A file of one backend including a file of another."""
    parts, target_parts = rel.split("/"), target.split("/")
    if parts[0] != "platform" or len(parts) < 3 or len(target_parts) < 3:
        return []
    mine, theirs = parts[1], target_parts[1]
    if mine in BACKENDS and theirs in BACKENDS and mine != theirs:
        return [f"{rel}: includes {target}, of another backend ({theirs} beside {mine})"]
    return []


def program_include_problems(rel, includes):
    """A program's entry including a platform header other than the host
    interface and its own backend's entry header."""
    parts = rel.split("/")
    if parts[0] != "programs" or len(parts) < 3:
        return []
    allowed = ["platform/host.h"] + PROGRAM_BACKEND_HEADERS.get(parts[1], [])
    return [
        f"{rel}: includes {target}; a program sees the platform only through "
        f"{' and '.join(allowed)}"
        for target in includes
        if target.startswith("platform/") and target not in allowed
    ]


DECLARED = re.compile(
    r"^(?:struct|enum(?: class)?|using)\s+(\w+)\b(?!::)|^[A-Za-z_][\w:<>,*& ]*?[ *&](\w+)\s*\(",
    re.MULTILINE,
)


def declared_names(text):
    text = re.sub(r"//[^\n]*", "", text)
    names = set()
    for match in DECLARED.finditer(text):
        name = match.group(1) or match.group(2)
        if name and name not in SHARED_BACKEND_NAMES:
            names.add(name)
    return names


def backend_name_problems(texts):
    """What a host offers is declared once, in platform/host.h: no backend
    header declares a name of it again, and no two backends' entry headers
    (those a program includes) declare the same name. A backend's own
    helpers behind the interface may share names with another's."""
    host = declared_names(texts.get("platform/host.h", ""))
    entry = {h for headers in PROGRAM_BACKEND_HEADERS.values() for h in headers}
    problems = []
    offered = {}
    for rel, text in sorted(texts.items()):
        parts = rel.split("/")
        if parts[0] != "platform" or len(parts) != 3 or parts[1] not in BACKENDS:
            continue
        if not rel.endswith(".h"):
            continue
        names = declared_names(text)
        problems += [f"{rel}: declares {name}, which platform/host.h declares" for name in
                     sorted(names & host)]
        if rel in entry:
            for name in names:
                offered.setdefault(name, set()).add(parts[1])
    problems += [
        f"platform: {name} is declared by the entry headers of {' and '.join(sorted(backends))}"
        for name, backends in sorted(offered.items())
        if len(backends) > 1
    ]
    return problems


def game_ui_problems(rel, text):
    """The game's user interface computed inside platform/."""
    if rel.split("/")[0] != "platform" or not GAME_UI_WORDS.search(text):
        return []
    return [f"{rel}: reads the game's status or state; the host only shows what it is given"]


def cycle_problems(graph):
    """Every cycle of file includes, each reported once (by depth-first
    search, a back edge closes a cycle)."""
    problems = []
    state = {}
    stack = []

    def visit(node):
        state[node] = 1
        stack.append(node)
        for nxt in sorted(graph.get(node, ())):
            if state.get(nxt) == 1:
                cycle = stack[stack.index(nxt):] + [nxt]
                problems.append("include cycle: " + " -> ".join(cycle))
            elif nxt not in state:
                visit(nxt)
        stack.pop()
        state[node] = 2

    for node in sorted(graph):
        if node not in state:
            visit(node)
    return problems


def file_graph(includes):
    """The includes between files, with a header and its .cpp taken as one
    file: a.cpp including b.h while b.cpp includes a.h is a cycle."""

    def unit(path):
        return path.rsplit(".", 1)[0]

    graph = {}
    for rel, targets in includes.items():
        for target in targets:
            if target in includes and unit(target) != unit(rel):
                graph.setdefault(unit(rel), set()).add(unit(target))
    return graph


def main():
    root = sys.argv[1]
    texts = {}
    for rel in source_files(root):
        with open(os.path.join(root, rel), encoding="utf-8", errors="replace") as f:
            texts[rel] = f.read()
    includes = {rel: INCLUDE.findall(text) for rel, text in texts.items()}
    known = set(texts)

    problems = []
    for rel, text in sorted(texts.items()):
        problems += direction_problems(rel, text, includes[rel], known)
        problems += program_include_problems(rel, includes[rel])
        problems += game_ui_problems(rel, text)
        if rel.split("/")[0] in GAME + ["formats", "artgen"] and re.search(
            r'#\s*include\s*[<"](SDL2?/)?SDL\.h[>"]|#\s*include\s*<windows\.h>', text
        ):
            problems.append(f"{rel}: the game's code includes a platform header")
        if rel.split("/")[0] in GAME:
            if re.search(
                r"#\s*(if|ifdef|ifndef|elif).*\b(_WIN32|_WIN64|WIN32|__linux__|__APPLE__|__unix__|__MINGW\w*)\b",
                text,
            ):
                problems.append(f"{rel}: tests which platform it runs on")
            if re.search(r"\b(std::)?s?rand\s*\(", text):
                problems.append(f"{rel}: calls rand() or srand()")
    problems += cycle_problems(file_graph(includes))
    problems += backend_name_problems(texts)

    for p in problems:
        print(p)
    print("layering: " + ("holds" if not problems else f"{len(problems)} problems"))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
