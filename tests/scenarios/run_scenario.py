#!/usr/bin/env python3
"""Runs one scenario of the game through morvask-sim and checks the facts it expects.

A scenario is a morvask-sim script whose comments carry the facts:

    #expect EXPR       a Python expression that must hold at this point of the script
    #final EXPR        an expression over the whole output, after the script ended
    #pin SHA256        the hash of the whole output (a pinned replay)
    #exit N            the exit status the script ends with (default 0)
    #args WORDS        options morvask-sim is started with (e.g. --lang en)
    #| ROW             eleven such lines draw a level (. # @ % - ~ S B: empty, brick,
                       stone, grass, ice, water, sand, base); a "map.txt" holding it
                       as all 35 levels is in the working directory when the script runs
    #mapfile EXPR      the text of "map.txt" instead: a Python expression, in which
                       `picture` is the text the #| rows would give (a damaged map)
    #file NAME EXPR    a file NAME in the working directory before the run, its text
                       the Python expression EXPR
    #after NAME EXPR   after the run, EXPR must hold, with `text` the text of the
                       file NAME in the working directory (None when there is none)
                       and `before` the texts of the files the run started with
                       (before["map.txt"])

At each #expect the runner inserts a `dump`, so an expectation sees the state at
that very point. Names an expectation can use:

    s        the state at this point (attributes by the game's names: s.Player.x)
    new      every output line since the previous point of expectations (dicts
             with attributes); consecutive expectations share one point
    boxes    the box lines among `new`;  sounds: the sound lines among `new`
    out      every output line so far
    texts(L) the texts of box lines L;  ids(L): the ids of sound lines L
    grid(s, column, row)  a cell of s.WorkingGrid

Every state line is also checked for the battle's invariants, and the script is
run a second time with drawing off: both runs must give the same output.

Usage: run_scenario.py MORVASK_SIM SCENARIO [--update-pins]
"""
import hashlib
import json
import os
import subprocess
import sys
import tempfile


class Obj(dict):
    __getattr__ = dict.get


def wrap(v):
    if isinstance(v, dict):
        return Obj({k: wrap(x) for k, x in v.items()})
    if isinstance(v, list):
        return [wrap(x) for x in v]
    return v


class Scenario:
    """A scenario's script, with a dump at each point of expectations, and its facts."""

    def __init__(self, path):
        self.lines, self.expects, self.finals, self.pins, self.picture = [], [], [], [], []
        self.args, self.files, self.after = [], [], []  # files: (name, expression)
        self.exit_wanted, self.map_expr = 0, None
        dumps = 0
        fence_open = False  # consecutive expectations share one point of the script
        for number, raw in enumerate(open(path, encoding="utf-8").read().splitlines(), 1):
            text = raw.strip()
            word, _, rest = text.partition(" ")
            if word == "#expect":
                if not fence_open:
                    self.lines.append("dump")
                    dumps += 1
                    fence_open = True
                self.expects.append((number, rest.strip(), dumps - 1))
                continue
            if text and not text.startswith("#"):
                fence_open = False
            if word == "#|":
                self.picture.append(rest)
            elif word == "#final":
                self.finals.append((number, rest.strip()))
            elif word == "#pin":
                self.pins.append(rest.strip())
            elif word == "#exit":
                self.exit_wanted = int(rest)
            elif word == "#file":
                self.files.append(tuple(rest.split(None, 1)))
            elif word == "#after":
                self.after.append((number, *rest.split(None, 1)))
            elif word == "#mapfile":
                self.map_expr = rest.strip()
            elif word == "#args":
                self.args.extend(rest.split())
            command = text.split("#", 1)[0].split()
            if command and command[0].lower() == "dump" and len(command) == 1:
                dumps += 1
            self.lines.append(raw)


CODES = {".": 0, "#": 1, "@": 7, "%": 8, "-": 9, "B": 10, "S": 11, "~": 12}


def map_text(values):
    """The map file's own format, as the editor's save writes it."""
    out = []
    for k, v in enumerate(values):
        out.append(str(v))
        if k + 1 != len(values):
            out.append("  , " if v < 10 else " , ")
        if (k + 1) % 15 == 0:
            out.append("\r\n")
        if (k + 1) % 165 == 0:
            out.append("\r\n")
    return "".join(out)


def map_file(picture):
    """The map file holding the picture as every level."""
    if len(picture) != 11 or any(len(row) != 15 for row in picture):
        raise SystemExit("a #| level picture has 11 rows of 15 cells")
    return map_text([CODES[c] for row in picture for c in row] * 35).encode()


def texts_in(folder, names):
    """The text of each named file in the folder, byte for byte (None when there
    is none)."""
    texts = {}
    for name in names:
        path = os.path.join(folder, name)
        texts[name] = open(path, "rb").read().decode("utf-8") if os.path.isfile(path) else None
    return texts


def run(sim, scenario, script, map_bytes):
    """Runs the script in a fresh directory; its exit status, output, errors and
    the texts of the files the scenario looks at after the run, with the texts
    they had before it under "before"."""
    with tempfile.TemporaryDirectory(prefix="scenario-") as cwd:
        if map_bytes:
            open(os.path.join(cwd, "map.txt"), "wb").write(map_bytes)
        for name, expr in scenario.files:
            open(os.path.join(cwd, name), "w", encoding="utf-8").write(eval(expr, {}))
        names = sorted({name for _, name, _ in scenario.after} | {"map.txt"})
        before = texts_in(cwd, names)
        r = subprocess.run([sim, *scenario.args, "-"], input="\n".join(script).encode(),
                           capture_output=True, cwd=cwd, timeout=600)
        after = texts_in(cwd, names)
        after["before"] = before
    return r.returncode, r.stdout.decode("utf-8"), r.stderr.decode("utf-8"), after


def invariants(state):
    problems = []
    enemies = len(state["EnemyList"])
    if state["EnemiesOnField"] != enemies:
        problems.append(f"EnemiesOnField {state['EnemiesOnField']} but {enemies} enemies listed")
    if len(state["EnemyBulletLists"]) != enemies:
        problems.append(f"{len(state['EnemyBulletLists'])} bullet lists for {enemies} enemies")
    second = "Player2" in state
    for name in ("EnemiesOnField", "EnemiesToSpawn", "Lives", "GameOverDelay", "LevelClearDelay",
                 "SpawnDelay") + (("Lives2",) if second else ()):
        if state[name] < 0:
            problems.append(f"{name} is {state[name]}")
    if enemies > 4:
        problems.append(f"{enemies} enemies on the field")
    tanks = [(f"enemy {i}", tank, bullets)
             for i, (tank, bullets) in enumerate(zip(state["EnemyList"], state["EnemyBulletLists"]))]
    tanks.append(("the player", state["Player"], state["PlayerBullets"]))
    if second:
        if state["Players"] != 2:
            problems.append(f"the second player's fields with Players {state['Players']}")
        tanks.append(("the second player", state["Player2"], state["Player2Bullets"]))
    for who, tank, bullets in tanks:
        if tank["bulletsInFlight"] != len(bullets):
            problems.append(f"{who} counts {tank['bulletsInFlight']} bullets but has {len(bullets)}")
    if len(state["WorkingGrid"]) != 165:
        problems.append("WorkingGrid does not hold 165 cells")
    return problems


def holds(expr, env):
    """Whether the expression holds, and how to name it; a broken expectation
    is a failure, not a crash."""
    try:
        return eval(expr, env), expr
    except Exception as e:
        return False, f"{expr}  ({type(e).__name__}: {e})"


def facts_env(state, new, so_far):
    return {"s": state, "new": new, "out": so_far,
            "boxes": [l for l in new if l.type == "box"],
            "sounds": [l for l in new if l.type == "sound"],
            "texts": lambda ls: [l.text for l in ls], "ids": lambda ls: [l.id for l in ls],
            "grid": lambda st, c, r: st.WorkingGrid[r * 15 + c]}


def check_facts(scenario, output, states, after):
    """The failures of the script's expectations: at each dump, at the end,
    and in the files after the run."""
    failures = []
    previous, window_start = 0, 0
    for number, expr, dump_index in scenario.expects:
        if dump_index >= len(states):
            failures.append(f"line {number}: the script ended before this point")
            break
        at = states[dump_index]
        if at + 1 != previous:
            window_start = previous
        ok, said = holds(expr, facts_env(output[at], output[window_start:at], output[:at]))
        if not ok:
            failures.append(f"line {number} (tick {output[at].tick}): expected {said}")
        previous = at + 1
    for number, expr in scenario.finals:
        last = output[states[-1]] if states else None
        ok, said = holds(expr, facts_env(last, output[previous:], output))
        if not ok:
            failures.append(f"line {number} (at the end): expected {said}")
    for number, file_name, expr in scenario.after:
        ok, said = holds(expr, {"text": after[file_name], "before": after["before"]})
        if not ok:
            failures.append(f"line {number} (file {file_name} after the run): expected {said}")
    return failures


def main():
    sim, path = os.path.abspath(sys.argv[1]), sys.argv[2]
    name = os.path.basename(path)
    scenario = Scenario(path)
    map_bytes = map_file(scenario.picture) if scenario.picture else None
    if scenario.map_expr is not None:
        text = eval(scenario.map_expr, {"picture": map_bytes.decode() if map_bytes else ""})
        map_bytes = text.encode("latin-1") if isinstance(text, str) else text
    failures = []

    code, stdout, stderr, after = run(sim, scenario, scenario.lines, map_bytes)
    if code != scenario.exit_wanted:
        print(f"{name}: morvask-sim exited {code}, expected {scenario.exit_wanted}\n{stderr}")
        return 1
    output = [wrap(json.loads(l)) for l in stdout.splitlines()]

    # The same script with drawing off must give the same output, byte for byte.
    quiet = []
    for raw in scenario.lines:
        quiet.append(raw)
        if raw.split("#", 1)[0].strip().lower() == "start":
            quiet.append("draw off")
    code2, stdout2, _, _ = run(sim, scenario, quiet, map_bytes)
    if code2 != code or stdout2 != stdout:
        failures.append("the output with drawing off differs from the output with drawing on")

    states = [i for i, l in enumerate(output) if l.type == "state"]
    for i in states:
        failures += [f"state at tick {output[i].tick}: {p}" for p in invariants(output[i])]

    failures += check_facts(scenario, output, states, after)

    digest = hashlib.sha256(stdout.encode()).hexdigest()
    for pin in scenario.pins:
        if pin == digest:
            continue
        if "--update-pins" in sys.argv:
            text = open(path, encoding="utf-8").read().replace(f"#pin {pin}", f"#pin {digest}")
            open(path, "w", encoding="utf-8").write(text)
            print(f"{name}: pin updated to {digest}")
        else:
            failures.append(f"the output's hash is {digest}, pinned {pin}")

    for f in failures:
        print(f"{name}: {f}")
    if not failures:
        facts = len(scenario.expects) + len(scenario.finals) + len(scenario.after)
        print(f"{name}: {facts} facts hold")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
