#!/usr/bin/env python3
"""morvask-sim --record and --verify from the outside: a recorded script
verifies as the same game; a changed key or checksum is a desync at the tick
of the first checksum that sees it (exit 1); a file that is not a replay, of
another version or for other levels is refused (exit 2), never played, as is
one too large or no regular file; a recording replaces its file whole, never
one without write permission.

Usage: check_replays.py MORVASK_SIM"""
import json
import os
import subprocess
import sys
import tempfile

from replay_events import events

sim = os.path.abspath(sys.argv[1])
failures = []


def check(condition, what):
    if not condition:
        failures.append(what)


def verify(path):
    r = subprocess.run([sim, "--verify", path], capture_output=True, text=True, timeout=300)
    lines = [json.loads(l) for l in r.stdout.splitlines()]
    return r.returncode, (lines[-1] if lines else None), r.stderr


SCRIPT = """seed 99
answer ok ok yes ok
start
hold Up Space
tick 40
release all
hold Right
tick 90
release Right
hold A Space
tick 120
press P
tick 10
release all
hold Left
tick 95
release all
hold W Space
tick 170
close
"""

with tempfile.TemporaryDirectory() as work:
    os.chdir(work)
    replay = os.path.join(work, "run.mvr")
    r = subprocess.run([sim, "--record", replay, "-"], input=SCRIPT, capture_output=True, text=True)
    check(r.returncode == 0, f"recording ended with {r.returncode}: {r.stderr}")
    good = open(replay, "rb").read()
    code, line, err = verify(replay)
    check(code == 0 and line == {"type": "verify", "tick": 525, "result": "same"},
          f"the recorded run verifies as the same 525 ticks: {code} {line} {err}")
    # Recording changes nothing of the script's own output.
    plain = subprocess.run([sim, "-"], input=SCRIPT, capture_output=True, text=True).stdout
    check(plain == r.stdout, "recording leaves the script's output as it was")
    # The recording never wrote a map file where it ran, nor did the check.
    check(not os.path.exists(os.path.join(work, "map.txt")), "no map file appears")

    def tampered(name, at, value):
        data = bytearray(good)
        data[at] = value
        path = os.path.join(work, name)
        open(path, "wb").write(bytes(data))
        return path

    # The held Right (0x27) becomes Left (0x25): the tank drives the other way
    # from tick 41 on, which the checksum of tick 100 sees.
    at = good.index(bytes([2, 1, 0x27]))
    code, line, err = verify(tampered("keys.mvr", at + 2, 0x25))
    check(code == 1 and line["result"] == "desync" and line["tick"] == 100,
          f"a changed key is a desync at tick 100: {code} {line}")
    check("desync at tick 100" in err, f"the message names the tick: {err}")
    # The held A of ticks 131 to 250 becomes D: caught at tick 200.
    at = good.index(bytes([2, 2, 0x20, 0x41]))
    code, line, err = verify(tampered("gun.mvr", at + 3, 0x44))
    check(code == 1 and line["tick"] == 200, f"a changed gun key is caught at tick 200: {code} {line}")
    # A stored checksum changed: caught at its own tick.
    checks = [(at, tick) for op, at, tick in events(good) if op == 9]
    assert checks[2][1] == 300
    at = checks[2][0]
    code, line, err = verify(tampered("sum.mvr", at + 1, good[at + 1] ^ 0x10))
    check(code == 1 and line["tick"] == 300, f"a changed checksum is caught at tick 300: {code} {line}")
    # The end's checksum guards the last ticks.
    code, line, err = verify(tampered("end.mvr", len(good) - 1, good[-1] ^ 1))
    check(code == 1 and line["tick"] == 525, f"a changed end is caught at tick 525: {code} {line}")

    def refused(name, data, words):
        path = os.path.join(work, name)
        open(path, "wb").write(data)
        code, line, err = verify(path)
        check(code == 2 and line is None and words in err,
              f"{name} is refused with exit 2 saying '{words}': {code} {line} {err}")

    refused("text.mvr", b"seed 1\nstart\n", "not a replay")
    refused("empty.mvr", b"", "not a replay")
    refused("short.mvr", good[:len(good) // 2], "damaged")
    refused("long.mvr", good + b"\0", "damaged")
    refused("version.mvr", good[:4] + b"\x08" + good[5:], "version 8")
    # A session called a game's replay lacks the game's start: damaged.
    refused("game.mvr", good[:4] + b"\x07" + good[5:], "damaged")
    # A version 2 file called version 3 lacks the players: damaged.
    refused("players.mvr", good[:4] + b"\x03" + good[5:], "not every shown option")
    # Byte 15 starts the hash of the built-in levels (after "MVRP", the version
    # and "1.0.0" with its length, and the seed).
    assert good[5] == 5
    refused("levels.mvr", good[:15] + bytes([good[15] ^ 1]) + good[16:], "level set")
    code, _, err = verify(os.path.join(work, "missing.mvr"))
    check(code == 2 and "cannot read" in err, f"a missing file is refused: {code} {err}")
    # A file larger than any replay is refused before any of it is read (here
    # a good replay with zeros after it, which a reader without the limit
    # would call damaged), and a pipe in the file's place is not waited on.
    huge = os.path.join(work, "huge.mvr")
    with open(huge, "wb") as f:
        f.write(good)
        f.truncate(64 * 1024 * 1024 + 1)
    code, _, err = verify(huge)
    check(code == 2 and "cannot read" in err, f"a file over 64 MiB is refused: {code} {err}")
    os.remove(huge)
    pipe = os.path.join(work, "pipe.mvr")
    os.mkfifo(pipe)
    try:
        r = subprocess.run([sim, "--verify", pipe], capture_output=True, text=True, timeout=60)
        check(r.returncode == 2 and "cannot read" in r.stderr,
              f"a pipe is refused: {r.returncode} {r.stderr}")
    except subprocess.TimeoutExpired:
        check(False, "a pipe in the replay's place was waited on")
    os.remove(pipe)

    # A recording replaces the file whole, but never one without write
    # permission: that one stays as it was, and nothing is left beside it.
    kept = os.path.join(work, "kept.mvr")
    open(kept, "wb").write(b"not to be lost")
    os.chmod(kept, 0o444)
    r = subprocess.run([sim, "--record", kept, "-"], input=SCRIPT, capture_output=True, text=True)
    check(r.returncode == 2 and "cannot write the replay" in r.stderr,
          f"recording over a read-only file fails: {r.returncode} {r.stderr}")
    check(open(kept, "rb").read() == b"not to be lost", "a read-only file is left as it was")
    os.chmod(kept, 0o644)
    r = subprocess.run([sim, "--record", kept, "-"], input=SCRIPT, capture_output=True, text=True)
    check(r.returncode == 0 and open(kept, "rb").read() == good,
          f"recording over a writable file replaces it: {r.returncode} {r.stderr}")
    check([n for n in os.listdir(work) if n.startswith("kept.mvr.")] == [],
          f"a recording leaves nothing beside its file: {sorted(os.listdir(work))}")
    code = subprocess.run([sim, "--verify"], capture_output=True).returncode
    check(code == 2, "--verify without a file is a usage error")

    # A map file present when the recording starts travels with the replay:
    # loading it (F2) plays back the same, in a directory of the check's own.
    level = (["0"] * 15 + ["1"] * 15) * 5 + ["0"] * 15
    level[7 + 10 * 15] = "10"
    values = level * 35
    text = []
    for k, v in enumerate(values):
        text.append(v)
        if k + 1 != len(values):
            text.append("  , " if int(v) < 10 else " , ")
        if (k + 1) % 15 == 0:
            text.append("\r\n")
        if (k + 1) % 165 == 0:
            text.append("\r\n")
    open("map.txt", "w", newline="").write("".join(text))
    script = "seed 5\nanswer ok ok no ok\nstart\nanswer yes\npress F2\nhold Space\ntick 230\nclose\n"
    r = subprocess.run([sim, "--record", replay, "-"], input=script, capture_output=True, text=True)
    check(r.returncode == 0, "recording with a map file")
    os.remove("map.txt")
    code, line, err = verify(replay)
    check(code == 0, f"a run on a loaded map file verifies without the file: {code} {line} {err}")
    check(len(open(replay, "rb").read()) < 8000, "a map file in the game's format is stored as values")

    # The records R shows travel with the replay, as the language does: a run
    # with records whose R box offered level 4 and got Yes plays back the same
    # without the records file, which neither the run's check nor its
    # playback writes.
    records = os.path.join(work, "records.txt")
    seeded = "records = 1\nhighest_level = 4\ngames_played = 1\ngames_won = 0\n"
    open(records, "w").write(seeded)
    script = ("seed 8\nanswer ok ok no ok\nstart\nhold Up\ntick 120\nrelease all\n"
              "answer yes\npress R\ntick 150\nclose\n")
    r = subprocess.run([sim, "--lang", "en", "--records", records, "--record", replay, "-"],
                       input=script, capture_output=True, text=True)
    boxes = [json.loads(l) for l in r.stdout.splitlines() if '"box"' in l]
    check(r.returncode == 0 and any(b["text"].endswith("Start a fresh game at level 4?")
                                   and b["answer"] == "yes" for b in boxes),
          f"a run with records answers R's question: {r.returncode} {r.stderr}")
    os.remove(records)
    code, line, err = verify(replay)
    check(code == 0 and line["tick"] == 270,
          f"it verifies without the records file: {code} {line} {err}")
    check(not os.path.exists(records), "verifying writes no records file")
    data = open(replay, "rb").read()
    check(data[4] == 2, "the recording is of format version 2")

    # A short start (no about, help or sound boxes) plays back short.
    script = "seed 8\nanswer ok\nstart\nhold Up Space\ntick 150\nclose\n"
    r = subprocess.run([sim, "--intro", "short", "--record", replay, "-"], input=script,
                       capture_output=True, text=True)
    check(r.returncode == 0, f"a short start records: {r.returncode} {r.stderr}")
    code, line, err = verify(replay)
    check(code == 0 and line["tick"] == 150, f"a short start verifies: {code} {line} {err}")

    # Two players: the file is of version 3 with the players among the shown
    # options (the last byte of them), and plays back as two; the same file
    # saying one player parts from the recording at the first checksum.
    script = ("seed 8\nplayers 2\nanswer ok ok no ok\nstart\nhold Up P2Up P2Fire\ntick 150\n"
              "close\n")
    r = subprocess.run([sim, "--record", replay, "-"], input=script, capture_output=True,
                       text=True)
    check(r.returncode == 0, f"two players record: {r.returncode} {r.stderr}")
    code, line, err = verify(replay)
    check(code == 0 and line["tick"] == 150, f"two players verify: {code} {line} {err}")
    data = open(replay, "rb").read()
    # The start (3: 0), the status's place (4: any), the players (5: 2).
    players_at = data.index(b"\x03\x00\x04") + 5
    check(data[players_at - 1] == 5 and data[players_at] == 2, "the players follow the status")
    check(data[4] == 3 and players_at < 40, "a recording of two players is of version 3")

    def players_changed(name, players):
        path = os.path.join(work, name)
        open(path, "wb").write(data[:players_at] + bytes([players]) + data[players_at + 1:])
        return path

    code, line, err = verify(players_changed("one.mvr", 1))
    check(code == 1 and line["tick"] == 100, f"read as one player it parts at 100: {code} {line}")
    code, line, err = verify(players_changed("three.mvr", 3))
    check(code == 2 and "number of players" in err, f"three players are refused: {code} {err}")
    # In a file of version 2 (made before two players) N did nothing: a key-down
    # of N put into one plays as nothing, with no question asked.
    script = "seed 8\nanswer ok ok no ok\nstart\nhold Up\ntick 150\nclose\n"
    r = subprocess.run([sim, "--record", replay, "-"], input=script, capture_output=True,
                       text=True)
    data = open(replay, "rb").read()
    ticks_at = next(at for op, at, tick in events(data) if op == 1)
    old = os.path.join(work, "old_n.mvr")
    open(old, "wb").write(data[:ticks_at] + b"\x03N" + data[ticks_at:])
    code, line, err = verify(old)
    check(data[4] == 2 and code == 0 and line["tick"] == 150,
          f"N in a version 2 file asks nothing: {code} {line} {err}")
    # The players question asked in a game of one makes a version 3 file too.
    script = "seed 8\nanswer ok ok no ok\nstart\ntick 20\nanswer no\npress N\ntick 20\nclose\n"
    r = subprocess.run([sim, "--record", replay, "-"], input=script, capture_output=True,
                       text=True)
    code, line, err = verify(replay)
    data = open(replay, "rb").read()
    check(code == 0 and data[4] == 3, f"a run with the players question: {code} {data[4]}")

for f in failures:
    print("FAIL:", f)
print("replays: " + ("all hold" if not failures else f"{len(failures)} failed"))
sys.exit(1 if failures else 0)
