#!/usr/bin/env python3
"""A long seeded random morvask-sim script of play: the keys of one or two
players held and let go at random, in runs of a few ticks, from a short
start. The same seed gives the same script.

Usage: random_script.py SEED TICKS PLAYERS [--pause]"""
import random
import sys

FIRST = ["up", "down", "left", "right", "w", "a", "s", "d", "l", "space"]
SECOND = ["p2up", "p2down", "p2left", "p2right", "p2gunup", "p2gundown", "p2gunleft",
          "p2gunright", "p2lock", "p2fire"]


def script(seed, ticks, players, pause):
    rng = random.Random(seed)
    lines = [f"seed {seed}", f"players {players}", "start", "draw off"]
    keys = FIRST + (SECOND if players == 2 else [])
    done = 0
    while done < ticks:
        for key in rng.sample(keys, rng.randint(1, 3)):
            lines.append(f"{rng.choice(['hold', 'hold', 'release'])} {key}")
        if pause and rng.random() < 0.01:
            lines.append("press p")
        if rng.random() < 0.05:
            lines.append("release all")
        run = min(rng.randint(1, 40), ticks - done)
        lines.append(f"tick {run}")
        done += run
    return "\n".join(lines) + "\n"


if __name__ == "__main__":
    seed, ticks, players = int(sys.argv[1]), int(sys.argv[2]), int(sys.argv[3])
    sys.stdout.write(script(seed, ticks, players, "--pause" in sys.argv))
