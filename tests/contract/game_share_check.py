#!/usr/bin/env python3
"""The run's share code holds the game just played from its own start: after a
short session and after a long one (many games lost, the last after tens of
thousands of ticks) the code is about as long, and morvask-sim --verify plays
it to the game's final checksum; the whole session's file still verifies.

Usage: game_share_check.py MORVASK_SIM
"""
import os
import subprocess
import sys
import tempfile

sim = os.path.abspath(sys.argv[1])
failures = []


def check(ok, what):
    if not ok:
        failures.append(what)
        print("FAIL:", what)


def session(directory, name, ticks, players=1):
    """A session of `ticks` ticks in which the player shoots its own base
    again and again (each game lost in a few hundred ticks)."""
    script = os.path.join(directory, name + ".sim")
    with open(script, "w") as out:
        out.write("seed 8\nplayers %d\nanswer ok ok no ok\nstart\ntick 16\n" % players)
        # The input changes now and then, so the session's file grows as a
        # player's does.
        for k in range(ticks // 1000):
            out.write("hold D Space\ntick 990\nrelease all\ntick 7\npress H\ntick 3\n")
        out.write("release all\ntick 2\n")
    replay = os.path.join(directory, name + ".mvr")
    code_file = os.path.join(directory, name + ".code")
    run = subprocess.run([sim, "--record", replay, "--share-run", code_file, script],
                         capture_output=True, text=True, timeout=300)
    check(run.returncode == 0, "%s: morvask-sim ran (%s)" % (name, run.stderr.strip()))
    with open(code_file) as f:
        code = f.read().strip()
    return replay, code


def verify(source, what):
    run = subprocess.run([sim, "--verify", source], capture_output=True, text=True, timeout=300)
    check(run.returncode == 0 and '"result":"same"' in run.stdout,
          "%s verifies (%s %s)" % (what, run.stdout.strip(), run.stderr.strip()))
    return run.stdout


with tempfile.TemporaryDirectory() as directory:
    short_replay, short_code = session(directory, "short", 2000)
    long_replay, long_code = session(directory, "long", 60000)
    two_replay, two_code = session(directory, "two", 20000, players=2)
    for name, replay, code in (("short", short_replay, short_code),
                               ("long", long_replay, long_code),
                               ("two players", two_replay, two_code)):
        print("%s: session %d bytes, code %d characters" %
              (name, os.path.getsize(replay), len(code)))
        check(len(code) > 0 and " " not in code, "%s: a code after a game ended" % name)
        out = verify(code, name + "'s code")
        # The game alone: far fewer ticks than the session.
        check('"tick":' in out and int(out.split('"tick":')[1].split(",")[0]) < 2000,
              "%s: the code holds one game (%s)" % (name, out.strip()))
        verify(replay, name + "'s session")
    # The session grew thirtyfold; the game's code did not.
    check(os.path.getsize(long_replay) > 10 * os.path.getsize(short_replay),
          "the long session's file is far longer")
    check(len(long_code) < 2 * len(short_code),
          "the code does not grow with the session (%d, %d)" % (len(short_code), len(long_code)))

print("FAILED" if failures else "ok")
sys.exit(1 if failures else 0)
