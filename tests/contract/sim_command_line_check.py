#!/usr/bin/env python3
"""morvask-sim's handling of bad surroundings: a directory as the script, an
output that cannot be written, and tick counts past the limit.

Usage: sim_command_line_check.py MORVASK_SIM"""
import os
import subprocess
import sys
import tempfile

sim = os.path.abspath(sys.argv[1])
problems = []


def run(args, script=None, stdout=subprocess.PIPE, cwd=None):
    return subprocess.run([sim] + args, input=script, stdout=stdout,
                          stderr=subprocess.PIPE, text=True, timeout=60, cwd=cwd)


with tempfile.TemporaryDirectory() as directory:
    result = run([directory])
    if result.returncode != 2 or "is a directory" not in result.stderr:
        problems.append(f"a directory as script: exit {result.returncode}, {result.stderr!r}")

    # Every line lost to a full disk would go unnoticed with exit 0.
    script = "answer ok ok no ok\nstart\ntick 10\ndump\n" + "dump\n" * 200
    with open("/dev/full", "w") as full:
        result = run(["-"], script, stdout=full, cwd=directory)
    if result.returncode == 0 or "cannot write" not in result.stderr:
        problems.append(f"output to /dev/full: exit {result.returncode}, {result.stderr!r}")
    # Also when the output is small enough to stay in the buffer until the end.
    with open("/dev/full", "w") as full:
        result = run(["-"], "answer ok ok no ok\nstart\ndump\n", stdout=full, cwd=directory)
    if result.returncode == 0:
        problems.append("a small output to /dev/full exited 0")

    for count, wanted in (("100000001", "above the limit of 100000000"),
                          ("99999999999999", "above the limit"),
                          ("-1", "bad tick count")):
        result = run(["-"], f"answer ok ok no ok\nstart\ntick {count}\n", cwd=directory)
        if result.returncode != 2 or wanted not in result.stderr or "line 3" not in result.stderr:
            problems.append(f"tick {count}: exit {result.returncode}, {result.stderr!r}")

    # The limit itself is allowed: minimised, the steps only count time.
    result = run(["-"], "answer ok ok no ok\nstart\nminimize\ntick 100000000\ndump\n",
                 cwd=directory)
    if result.returncode != 0 or '"tick":100000000,' not in result.stdout:
        problems.append(f"tick 100000000: exit {result.returncode}, {result.stderr!r}")

for p in problems:
    print(p)
print("sim command line: " + ("holds" if not problems else f"{len(problems)} problems"))
sys.exit(1 if problems else 0)
