#!/usr/bin/env python3
"""Runs the web program's link and fails it when Asyncify's list of functions
that never wait (never_wait.json) names one the module no longer has: a
renamed function would otherwise drop out of the list silently, and every
caller of it would be instrumented again, slower but with no error."""
import os
import subprocess
import sys

# What Binaryen prints for a name in the list that matches no function
# ("... a non-existing function name", or "... a non-matching pattern" in
# other versions).
UNMATCHED = "removelist contained a non-"


def main():
    link = subprocess.run(sys.argv[1:], stderr=subprocess.PIPE, text=True)
    sys.stderr.write(link.stderr)
    if link.returncode != 0:
        return link.returncode
    unmatched = [line for line in link.stderr.splitlines() if UNMATCHED in line]
    if unmatched:
        # A failed link leaves nothing behind that make would take for done.
        output = sys.argv[sys.argv.index("-o") + 1] if "-o" in sys.argv else None
        for path in (output, output and os.path.splitext(output)[0] + ".wasm"):
            if path and os.path.exists(path):
                os.remove(path)
        sys.stderr.write("link_guard.py: programs/web/never_wait.json names a function the "
                         "module does not have; correct the name or drop it:\n  " +
                         "\n  ".join(unmatched) + "\n")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
