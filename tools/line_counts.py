#!/usr/bin/env python3
# Lines of code per top folder, and how much test code (tests/) there is for
# the rest: over every language, and over C++ alone (.cpp and .h). Counts the lines of .cpp, .h, .py, .sh and .js files that hold
# code: blank lines and whole-line comments (// and /* */ in C++ and
# JavaScript, # in Python and shell, a Python docstring standing alone) are
# left out; a line of code with a comment after it counts. Files git does not
# track (build folders, generated files) are not counted.
#
# Usage: line_counts.py [ROOT]   (default: the repository this file is in)
import pathlib
import subprocess
import sys

EXTENSIONS = {".cpp", ".h", ".py", ".sh", ".js"}
HASH_COMMENTS = {".py", ".sh"}


def code_lines_c(lines):
    count, in_block = 0, False
    for line in lines:
        text = line.strip()
        if in_block:
            if "*/" not in text:
                continue
            in_block = False
            text = text.split("*/", 1)[1].strip()
        if text.startswith("/*"):
            if "*/" not in text:
                in_block = True
                continue
            text = text.split("*/", 1)[1].strip()
        if text and not text.startswith("//"):
            count += 1
    return count


def code_lines_hash(lines):
    # A string of triple quotes may span lines: a docstring's lines are not
    # code, a string's in code (a script for the browser, say) are.
    count, quote, docstring = 0, None, False
    for line in lines:
        text = line.strip()
        if quote:
            if text.count(quote) % 2 == 1:
                quote = None
            count += 0 if docstring else 1
            continue
        opened = next((m for m in ('"""', "'''") if text.count(m) % 2 == 1), None)
        if opened:
            quote, docstring = opened, text.startswith(opened)
            count += 0 if docstring else 1
        elif text.startswith(('"""', "'''")):
            continue  # a docstring on one line
        elif text and not text.startswith("#"):
            count += 1
    return count


def count_file(path):
    lines = path.read_text(errors="replace").splitlines()
    if path.suffix in HASH_COMMENTS:
        return code_lines_hash(lines)
    return code_lines_c(lines)


def tracked_files(root):
    listed = subprocess.run(["git", "-C", str(root), "ls-files", "-z"], check=True,
                            stdout=subprocess.PIPE).stdout.decode().split("\0")
    return [root / name for name in listed if pathlib.Path(name).suffix in EXTENSIONS]


def main():
    root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else __file__).resolve()
    if root.is_file():
        root = root.parent.parent
    per_folder, cpp = {}, {}
    for path in tracked_files(root):
        if not path.is_file():
            continue
        parts = path.relative_to(root).parts
        folder = parts[0] + "/" if len(parts) > 1 else "(top)"
        lines = count_file(path)
        per_folder[folder] = per_folder.get(folder, 0) + lines
        if path.suffix in (".cpp", ".h"):
            cpp[folder] = cpp.get(folder, 0) + lines
    width = max(len(name) for name in per_folder)
    print(f"{'folder':<{width}} {'lines':>7} {'of C++':>7}")
    for folder, lines in sorted(per_folder.items(), key=lambda item: -item[1]):
        print(f"{folder:<{width}} {lines:7} {cpp.get(folder, 0):7}")
    print(f"{'total':<{width}} {sum(per_folder.values()):7} {sum(cpp.values()):7}")
    for name, counts in (("all languages", per_folder), ("C++ alone", cpp)):
        tests = counts.get("tests/", 0)
        rest = sum(counts.values()) - tests
        print(f"{name}: test code (tests/) {tests}, the rest {rest}, "
              f"ratio {tests / max(rest, 1):.2f}")


if __name__ == "__main__":
    main()
