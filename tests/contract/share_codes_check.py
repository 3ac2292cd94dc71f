#!/usr/bin/env python3
"""Share codes through the real programs, with no window: `morvask --share`
of map files and replays, `morvask-sim --verify` of a code or a link giving the
very line the file gives, and morvask-sim's `load` taking a level set code as
a map load would (the built-in set and one with odd cell codes), and refusing
malformed codes with their messages and the levels unchanged.

Usage: share_codes_check.py MORVASK MORVASK_SIM REPLAY..."""
import json
import os
import random
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "scenarios"))
from run_scenario import map_text  # noqa: E402

morvask, sim = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
replays = [os.path.abspath(p) for p in sys.argv[3:]]
problems = []
START = "answer ok ok no ok\nstart\n"


def run(program, args, script=None, env=None, cwd=None):
    return subprocess.run([program] + args, input=script, capture_output=True, text=True,
                          timeout=300, env=env, cwd=cwd)


def write(path, text):
    with open(path, "w", newline="") as f:
        f.write(text)
    return path


def levels_after(script, cwd):
    result = run(sim, [], START + script + "dump levels\n", cwd=cwd)
    lines = [json.loads(l) for l in result.stdout.splitlines()]
    levels = [l for l in lines if l["type"] == "levels"]
    return result, (levels[-1]["LevelSet"] if levels else None), lines


def folder(path):
    """What a folder holds: each file's path and bytes."""
    found = {}
    for top, _, names in os.walk(path):
        for name in names:
            with open(os.path.join(top, name), "rb") as f:
                found[os.path.relpath(os.path.join(top, name), path)] = f.read()
    return found


def refused(result, what, *words):
    """A refusal: exit 2 with the words on standard error."""
    if result.returncode != 2 or not all(w in result.stderr for w in words):
        problems.append(f"{what}: exit {result.returncode}, {result.stderr[:200]!r}")


def share(path, env):
    result = run(morvask, ["--share", path], env=env)
    lines = result.stdout.splitlines()
    if (result.returncode != 0 or len(lines) != 2 or not lines[0].startswith("code: ")
            or not lines[1].startswith("link: ")):
        problems.append(f"--share {path}: exit {result.returncode}, {result.stdout[:80]!r}, "
                        f"{result.stderr!r}")
        return None, None
    return lines[0][len("code: "):], lines[1][len("link: "):]


with tempfile.TemporaryDirectory() as home:
    env = dict(os.environ, HOME=home, XDG_CONFIG_HOME=os.path.join(home, "config"))
    os.makedirs(os.path.join(home, "config", "morvask"))
    with open(os.path.join(home, "config", "morvask", "settings.ini"), "w") as f:
        f.write("share_url = https://example.org/morvask/\nshare_author = Tester\n")
    work = os.path.join(home, "work")
    os.makedirs(work)

    # The built-in set, and the same with odd codes made by hand.
    _, built_in, _ = levels_after("", work)
    odd = list(built_in)
    for k, value in ((0, 105), (17, -1), (400, 2147483647), (5774, -2147483648), (3000, 23)):
        odd[k] = value
    for name, values in (("built-in", built_in), ("odd", odd)):
        code, link = share(write(os.path.join(home, name + ".txt"), map_text(values)), env)
        if code is None:
            continue
        if link != "https://example.org/morvask/#levels=" + code:
            problems.append(f"{name}: the link is {link[:60]!r}")
        result, loaded, _ = levels_after(f"load {code}\n", work)
        if result.returncode != 0 or loaded != values:
            problems.append(f"{name}: load gave other levels (exit {result.returncode}, "
                            f"{result.stderr!r})")
        # In play a load starts a new game on the set; in the editor it edits
        # its first level, as F2 does.
        result, _, lines = levels_after(f"answer yes\npress F1\nload {code}\ndump\n", work)
        states = [l for l in lines if l["type"] == "state"]
        if result.returncode != 0 or not states or states[-1]["WorkingGrid"] != values[:165]:
            problems.append(f"{name}: load in the editor: exit {result.returncode}, "
                            f"{result.stderr!r}")

    # One level alone: a file of 165 values.
    level_code, _ = share(write(os.path.join(home, "one.txt"), map_text(odd[165:330])), env)

    # A replay through its code verifies at the same tick as its file.
    for replay in replays:
        code, link = share(replay, env)
        if code is None:
            continue
        if len(code) > 10240:
            problems.append(f"{replay}: its code is {len(code)} characters")
        wanted = run(sim, ["--verify", replay])
        for given in (code, link):
            got = run(sim, ["--verify", given])
            if got.returncode != wanted.returncode or got.stdout != wanted.stdout:
                problems.append(f"{os.path.basename(replay)} through {given[:30]}: "
                                f"{got.stdout!r} {got.stderr!r}, the file gives "
                                f"{wanted.stdout!r}")

    # Malformed codes: each refused with its message, nothing played or loaded.
    built_in_code, _ = share(os.path.join(home, "built-in.txt"), env)
    cases = [
        (level_code, "a level code, where a level set code is wanted"),
        (built_in_code[:len(built_in_code) // 4 * 4 - 8], "cut short"),
        (built_in_code[:40] + ("B" if built_in_code[40] == "A" else "A") + built_in_code[41:],
         "checksum"),
        ("M" * 70000, "too long"),
        (built_in_code[:30] + "!" + built_in_code[31:], "base64url"),
        ("TQIC" + built_in_code[4:], "format version 2"),
    ]
    for text, wanted in cases:
        saved = folder(work)
        refused(levels_after(f"load {text}\n", work)[0], f"load of a bad code ({wanted})", wanted,
                "line 3")
        if folder(work) != saved:
            problems.append(f"load of a bad code ({wanted}) changed the files in its folder")
    result = run(sim, ["--verify", built_in_code])
    refused(result, "--verify of a set code", "a level set code, where a replay code is wanted")
    if result.stdout:
        problems.append(f"--verify of a set code wrote {result.stdout!r}")
    refused(run(sim, ["--record", os.path.join(home, "r.mvr"), "-"],
                START + f"load {built_in_code}\n"), "load while recording", "cannot be recorded")

    # A run with a drop and a paste is recorded with the texts the game read,
    # and verifies to its end, from the file and from its code.
    recorded = os.path.join(home, "pasted.mvr")
    script = (START + f"drop {level_code}\ntick 150\nclipboard {built_in_code}\n"
              "hold Ctrl Shift\npress V\nrelease all\ntick 120\nclipboard nonsense\n"
              "hold Ctrl Shift\npress V\nrelease all\ntick 40\n")
    result = run(sim, ["--record", recorded, "-"], script, cwd=work)
    if result.returncode != 0:
        problems.append(f"recording a paste: exit {result.returncode}, {result.stderr!r}")
    else:
        verified = run(sim, ["--verify", recorded])
        if verified.returncode != 0 or '"result":"same"' not in verified.stdout:
            problems.append(f"a recorded paste: {verified.stdout!r} {verified.stderr!r}")
        code, _ = share(recorded, env)
        if code is not None and run(sim, ["--verify", code]).stdout != verified.stdout:
            problems.append("a recorded paste through its code verifies otherwise")
        # The text the game read is the recording's: a changed one parts.
        data = bytearray(open(recorded, "rb").read())
        at = data.find(built_in_code[:12].encode())
        data[at + 5] = ord("A") if data[at + 5] != ord("A") else ord("B")
        changed = os.path.join(home, "changed.mvr")
        open(changed, "wb").write(bytes(data))
        verified = run(sim, ["--verify", changed])
        if verified.returncode != 1:
            problems.append(f"a changed pasted text: {verified.stdout!r} {verified.stderr!r}")

    # A replay whose code would be longer than any reader takes: refused
    # with the reason and a failing exit, nothing printed.
    script = ["seed 3", "answer ok ok no ok", "start"]
    # Pointer moves that do not compress, from a seeded generator.
    moves = random.Random(5)
    for i in range(40000):
        script.append(f"mouse {moves.randrange(-2000, 2000)} {moves.randrange(-2000, 2000)}")
        if i % 20 == 0:
            script.append("tick")
    long_script = write(os.path.join(home, "long.sim"), "\n".join(script) + "\n")
    long_replay = os.path.join(home, "long.mvr")
    recorded = run(sim, ["--record", long_replay, long_script])
    shared = run(morvask, ["--share", long_replay], env=env)
    if recorded.returncode != 0:
        problems.append(f"the long run was not recorded: {recorded.stderr!r}")
    elif shared.returncode != 1 or shared.stdout or "more than the 65536" not in shared.stderr:
        problems.append(f"--share of an over-long replay: exit {shared.returncode}, "
                        f"{len(shared.stdout)} characters out, {shared.stderr[:200]!r}")

    # Files that are neither a level, a set nor a replay.
    path = write(os.path.join(home, "short.txt"), "1 , 2 , 3")
    refused(run(morvask, ["--share", path], env=env), "--share of 3 values",
            "neither a level (165) nor a level set (5775)")

for p in problems:
    print("share codes:", p)
sys.exit(1 if problems else 0)
