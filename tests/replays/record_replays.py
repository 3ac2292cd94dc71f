#!/usr/bin/env python3
"""Records the replays of tests/replays by playing the game through morvask-sim.

A small player reads the state every two ticks and holds the keys a person
would: it lines its gun up with an enemy and fires, or drives towards the
nearest one, and never shoots towards its own base. Run it again only when
the rules change on purpose; the replays then change with them.

Usage: record_replays.py MORVASK_SIM OUTPUT_DIR
"""
import json
import os
import random
import subprocess
import sys
import tempfile

BASE_COLUMN, BASE_ROW = 7, 10


class Game:
    def __init__(self, sim, replay, cwd):
        self.p = subprocess.Popen([sim, "--record", replay, "-"], stdin=subprocess.PIPE,
                                  stdout=subprocess.PIPE, cwd=cwd, text=True, encoding="utf-8")
        self.boxes = []

    def send(self, *lines):
        for line in lines:
            self.p.stdin.write(line + "\n")
        self.p.stdin.flush()

    def state(self):
        self.send("dump")
        while True:
            line = json.loads(self.p.stdout.readline())
            if line["type"] == "state":
                return line
            if line["type"] == "box":
                self.boxes.append(line["text"])

    def close(self):
        self.send("close")
        self.p.stdin.close()
        for line in self.p.stdout:
            if '"box"' in line:
                self.boxes.append(json.loads(line)["text"])
        if self.p.wait() != 0:
            raise SystemExit("morvask-sim failed while recording")


def towards_base(direction, column, row):
    if direction == "S":
        return column == BASE_COLUMN and row < BASE_ROW
    if direction in ("A", "D") and row == BASE_ROW:
        return (column > BASE_COLUMN) == (direction == "A")
    return False


def decide(s, rng, memory, careful):
    """The keys to hold for the next two ticks."""
    p = s["Player"]
    if s["PlayerDestroyed"] or s["GameMode"] != 0:
        return []
    px, py = p["x"] + 32, p["y"] + 32
    column, row = px // 64, py // 64
    enemies = sorted(s["EnemyList"], key=lambda e: abs(e["x"] + 32 - px) + abs(e["y"] + 32 - py))
    if careful:
        for e in enemies:
            ex, ey = e["x"] + 32, e["y"] + 32
            gun = None
            if abs(ex - px) < 24:
                gun = "W" if ey < py else "S"
            elif abs(ey - py) < 24:
                gun = "A" if ex < px else "D"
            if gun and not towards_base(gun, column, row):
                return [gun, "Space"]
    # Stuck against a wall: try another way for a while.
    if memory.get("last") == (p["x"], p["y"]) and p["moveTicks"] == 0:
        memory["still"] = memory.get("still", 0) + 1
    else:
        memory["still"] = 0
    memory["last"] = (p["x"], p["y"])
    if memory["still"] > 3:
        memory["detour"] = (rng.choice(["Up", "Down", "Left", "Right"]), 8)
        memory["still"] = 0
    if memory.get("detour") and memory["detour"][1] > 0:
        way, left = memory["detour"]
        memory["detour"] = (way, left - 1)
        keys = [way]
    elif enemies:
        e = enemies[0]
        ex, ey = e["x"] + 32, e["y"] + 32
        if abs(ex - px) >= 24:
            keys = ["Left" if ex < px else "Right"]
        else:
            keys = ["Up" if ey < py else "Down"]
    else:
        keys = [rng.choice(["Up", "Left", "Right"])]
    gun = {"Up": "W", "Down": "S", "Left": "A", "Right": "D"}[keys[0]]
    if not towards_base(gun, column, row) and (careful or gun == "W"):
        keys.append("Space")
    return keys


def play(sim, replay, seed, careful, stop, limit):
    with tempfile.TemporaryDirectory() as cwd:
        game = Game(sim, replay, cwd)
        game.send(f"seed {seed}", "answer ok ok no ok", "start")
        rng = random.Random(seed)
        memory, held = {}, []
        for _ in range(limit // 2):
            s = game.state()
            if stop(s, game.boxes):
                break
            keys = decide(s, rng, memory, careful)
            if keys != held:
                game.send("release all")
                if keys:
                    game.send("hold " + " ".join(keys))
                held = keys
            game.send("tick 2")
        else:
            raise SystemExit(f"{replay}: the game did not end as wanted in {limit} ticks")
        game.send("release all", "tick 50")
        game.close()
        return s["tick"]


def edit_session(sim, replay):
    """An editor session: painting, undo and redo, a try-out, saving and
    playing the saved map."""
    script = """seed 3
answer ok ok no ok
start
answer yes
press F1
hold 2
tick
release all
mouse 200 100
hold LButton
tick 3
mouse 300 100
tick 3
mouse 400 160
tick 3
release all
tick 5
hold Ctrl
press Z
press Y
press C
release all
press Down
hold Ctrl
press V
press Delete
press Z
release all
press Up
press F5
hold Up Space
tick 150
release all
press Escape
tick 20
answer yes
press F3
answer yes
press F1
answer yes
press F2
hold Left Space
tick 300
release all
""".splitlines()
    with tempfile.TemporaryDirectory() as cwd:
        game = Game(sim, replay, cwd)
        game.send(*script)
        game.close()


def main():
    sim, out = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    os.makedirs(out, exist_ok=True)
    ticks = play(sim, os.path.join(out, "level1_cleared.mvr"), 11, True,
                 lambda s, boxes: s["LevelIndex"] == 1, 60000)
    print("level 1 cleared at tick", ticks)
    ticks = play(sim, os.path.join(out, "game_over.mvr"), 29, False,
                 lambda s, boxes: "游戏结束！再接再厉！" in boxes, 60000)
    print("game over at tick", ticks)
    edit_session(sim, os.path.join(out, "editor_session.mvr"))


main()
