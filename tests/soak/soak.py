#!/usr/bin/env python3
"""A long soak of the real game through morvask-sim: random play on every one
of the 35 levels (built-in and loaded from a saved map), editor sessions that
paint with the mouse far outside the field, undo, redo, copy, paste, clear
and try levels, saves and loads, with the battle's invariants checked at
every dump and every load of a just-saved map giving back the level set it
saved. Every session is recorded as a replay, which must then verify as the
same game.

A session plays about 20,000 ticks (at least 35 sessions, one a level; a
longer soak goes round the levels again).

Usage: soak.py MORVASK_SIM [TOTAL_TICKS] [SEED]      (defaults: 200000, 1)"""
import json
import os
import random
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "scenarios"))
from run_scenario import invariants  # noqa: E402

LEVELS = 35
SESSION_TICKS = 20000
PLAY_KEYS = ["Up", "Down", "Left", "Right", "Space", "W", "A", "S", "D", "L"]


def far_coordinate(rng):
    """Mostly off the field: negative, past the edges, or at the word's ends."""
    return rng.choice([rng.randint(-32768, -1), rng.randint(960, 32767), -32768, 32767,
                       rng.randint(0, 959), rng.randint(-70, 1030)])


def editor_command(rng, lines):
    """One of the editor's own commands: undo, redo, copy, paste, clear, or
    trying the level with some random play (Esc goes back)."""
    roll = rng.random()
    if roll < 0.15:
        lines += ["release all", "press F5"]
        for _ in range(rng.randint(1, 5)):
            keys = rng.sample(PLAY_KEYS, rng.randint(0, 3))
            lines += ["release all"] + (["hold " + " ".join(keys)] if keys else [])
            lines.append(f"tick {rng.randint(1, 60)}")
        lines += ["release all", "press Escape"]
    else:
        shift = ["Shift"] if rng.random() < 0.2 else []
        key = rng.choice(["Z", "Z", "Y", "C", "V", "Delete"])
        lines += ["release all", "hold " + " ".join(["Ctrl"] + shift), f"press {key}",
                  "release all"]


def editor_phase(rng, lines):
    """Into the editor (always from play at the start of a session), paint,
    page through levels, use the editor's commands, save, load the save back,
    and return to play."""
    lines += ["answer yes", "press F1"]
    for _ in range(rng.randint(5, 25)):
        x, y = far_coordinate(rng), rng.choice([far_coordinate(rng), rng.randint(0, 703)])
        lines.append(f"mouse {x} {y}")
        buttons = rng.choice([[], ["LButton"], ["RButton"], ["LButton", "RButton"]])
        digit = rng.choice(["", "", str(rng.randint(1, 9))])
        held = buttons + ([digit] if digit else [])
        lines.append("release all")
        if held:
            lines.append("hold " + " ".join(held))
        if rng.random() < 0.3:
            lines.append("press " + rng.choice(["Up", "Down"]))
        lines.append(f"tick {rng.randint(1, 30)}")
        if rng.random() < 0.25:
            editor_command(rng, lines)
    lines += ["release all", "dump", "dump levels", "answer yes", "press F3",
              "answer yes", "press F2", "dump levels", "answer yes", "press F1"]


def play_phase(rng, lines, level, ticks):
    # Z with Down steps one level per tick, from level 1 of a fresh game.
    if level:
        lines += ["hold Z Down", f"tick {level}", "release all"]
    lines.append("dump")
    done = 0
    while done < ticks:
        lines.append("release all")
        roll = rng.random()
        if roll < 0.03:
            lines.append("hold Z F")
        elif roll < 0.06:
            lines.append("press P")
        elif roll < 0.08:
            lines.append("press H")
        else:
            keys = rng.sample(PLAY_KEYS, rng.randint(0, 4))
            if keys:
                lines.append("hold " + " ".join(keys))
        # Drawing is the slow part under the sanitizers: on for one step in ten.
        lines.append("draw " + ("on" if rng.random() < 0.1 else "off"))
        step = rng.randint(1, 80)
        lines += [f"tick {step}", "dump"]
        done += step
    return done


def check_output(output, session, level):
    """How many states the session's output holds, and its problems."""
    where = f"session {session}"
    problems = []
    states = [l for l in output if l["type"] == "state"]
    # The first dump is in the editor; the second after choosing the level.
    if len(states) < 2 or states[0]["GameMode"] != 5 or states[1]["LevelIndex"] != level:
        problems.append(f"{where}: did not edit and then reach level {level + 1}")
    if not any(l["type"] == "box" and l["text"] == "地图保存成功！" for l in output):
        problems.append(f"{where}: the save did not succeed")
    level_dumps = []
    for line in output:
        at = f"{where}, tick {line['tick']}"
        if line["type"] == "state":
            problems += [f"{at}: {p}" for p in invariants(line)]
            if not 0 <= line["GameMode"] <= 5 or not 0 <= line["LevelIndex"] < LEVELS:
                problems.append(f"{at}: mode {line['GameMode']}, level {line['LevelIndex']}")
        elif line["type"] == "levels":
            level_dumps.append(line["LevelSet"])
            if len(line["LevelSet"]) != LEVELS * 165:
                problems.append(f"{where}: {len(line['LevelSet'])} cells in the level set")
        elif line["type"] == "box" and line["text"] in ("地图保存失败！", "载入地图失败！") \
                and line["tick"] > 0 and level_dumps:
            problems.append(f"{at}: {line['text']}")
    # Each save's dump, then the dump after loading it back.
    for saved, loaded in zip(level_dumps[::2], level_dumps[1::2]):
        if saved != loaded:
            problems.append(f"{where}: loading the map just saved changed the level set")
    return len(states), problems


def session_script(rng, session, ticks, cwd):
    level = session % LEVELS
    lines = [f"seed {rng.randint(0, 4294967295)}", "answer ok ok "
             + rng.choice(["yes", "no"]) + " ok", "start"]
    # Every session edits and saves; every other one then plays the saved map
    # instead of the built-in levels.
    editor_phase(rng, lines)
    if session % 2 and os.path.exists(os.path.join(cwd, "map.txt")):
        lines += ["answer yes", "press F2"]
    played = play_phase(rng, lines, level, ticks)
    lines.append("close")
    return lines, played


def verify_replay(sim, replay, session):
    """The session's replay must play back as the same game to its end."""
    result = subprocess.run([sim, "--verify", replay], text=True, capture_output=True,
                            timeout=3600)
    lines = result.stdout.splitlines()
    if result.returncode != 0 or not lines or json.loads(lines[-1]).get("result") != "same":
        return [f"session {session}: its replay does not verify (exit {result.returncode}): "
                f"{result.stdout.strip()[-500:]} {result.stderr.strip()[-1000:]}"]
    return []


def main():
    sim = os.path.abspath(sys.argv[1])
    total = int(sys.argv[2]) if len(sys.argv) > 2 else 200000
    seed = int(sys.argv[3]) if len(sys.argv) > 3 else 1
    rng = random.Random(seed)
    sessions = max(LEVELS, -(-total // SESSION_TICKS))
    per_session = total // sessions + 1
    ticks = dumps = 0
    problems = []
    with tempfile.TemporaryDirectory(prefix="morvask-soak-") as cwd:
        replay = os.path.join(cwd, "session.mvr")
        for session in range(sessions):
            lines, played = session_script(rng, session, per_session, cwd)
            ticks += played
            result = subprocess.run([sim, "--record", replay, "-"], input="\n".join(lines) + "\n",
                                    text=True, capture_output=True, cwd=cwd, timeout=3600)
            if result.returncode != 0:
                problems.append(f"session {session}: morvask-sim exited {result.returncode}: "
                                f"{result.stderr.strip()[-2000:]}")
                break
            output = [json.loads(l) for l in result.stdout.splitlines()]
            if not output or output[-1]["type"] != "exit":
                problems.append(f"session {session}: no exit line")
            count, found = check_output(output, session, session % LEVELS)
            dumps += count
            problems += found
            problems += verify_replay(sim, replay, session)
            if not os.path.exists(os.path.join(cwd, "map.txt")):
                problems.append(f"session {session}: no map.txt after the save")
            print(f"soak: session {session + 1} of {sessions} (level {session % LEVELS + 1}), "
                  f"{ticks} ticks so far, {len(problems)} problems", flush=True)
    for p in problems[:50]:
        print(p)
    print(f"soak: {ticks} ticks of play in {sessions} sessions over {LEVELS} levels, "
          f"{dumps} states checked, {sessions} replays verified, {len(problems)} problems")
    return 1 if problems or ticks < total else 0


if __name__ == "__main__":
    sys.exit(main())
