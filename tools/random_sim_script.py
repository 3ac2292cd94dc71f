#!/usr/bin/env python3
"""A long morvask-sim script of random play: arrows, gun keys, fire, level
keys, pauses, minimising, the editor with painting and saving, loads, with
dumps and frames along the way. For comparing two builds tick for tick.
With PLAYERS 2 every game is a game of two players, the second player's keys
held at random beside the first's (the first player's play is drawn as with
one, so a seed's script differs only by those keys).

Usage: random_sim_script.py SEED TICKS [PLAYERS] > SCRIPT.sim"""
import random, sys
if len(sys.argv) not in (3, 4) or sys.argv[1] in ("-h", "--help"):
    print(__doc__)
    sys.exit(0 if sys.argv[1:2] in (["-h"], ["--help"]) else 2)
seed = int(sys.argv[1]); ticks = int(sys.argv[2])
players = int(sys.argv[3]) if len(sys.argv) == 4 else 1
r = random.Random(seed)
second = random.Random(seed + 1)
out = [f"seed {seed}", "answer ok ok yes ok" if seed % 2 else "answer ok ok no ok"]
if players == 2:
    out.append("players 2")
out.append("start")
keys = ["Up","Down","Left","Right"]
gun = ["W","A","S","D"]
keys2 = ["P2Up","P2Down","P2Left","P2Right"]
gun2 = ["P2GunUp","P2GunDown","P2GunLeft","P2GunRight"]
t = 0; n = 0
while t < ticks:
    n += 1
    c = r.random()
    out.append("release all")
    if c < 0.05:
        out.append("hold Z " + r.choice(["Up","Down","F"]))
        out.append("tick"); t += 1
        out.append("release all")
    elif c < 0.07:
        out.append(r.choice(["press P", "press H", "minimize", "restore", "deactivate", "activate"]))
    elif c < 0.09:
        # the editor: enter, paint, leave
        out.append("answer yes"); out.append("press F1")
        for _ in range(r.randint(1, 6)):
            out.append(f"mouse {r.randint(-40, 1000)} {r.randint(-40, 740)}")
            out.append("hold " + r.choice(["LButton", "RButton", str(r.randint(1,7)), "Up"]))
            out.append(f"tick {r.randint(1,4)}"); t += 2
            out.append("release all")
        if r.random() < 0.5:
            out.append("press Down")
        out.append("answer yes"); out.append("press F3")
        out.append("tick 3"); t += 3
        out.append("frame frame%d.png" % n)
        out.append("dump"); out.append("dump levels")
        out.append("answer yes"); out.append("press F1")
    elif c < 0.1:
        out.append("answer yes"); out.append("press F2")
    else:
        held = []
        if r.random() < 0.8: held.append(r.choice(keys))
        if r.random() < 0.4: held.append(r.choice(gun))
        if r.random() < 0.7: held.append("Space")
        if r.random() < 0.05: held.append("L")
        if players == 2:
            if second.random() < 0.8: held.append(second.choice(keys2))
            if second.random() < 0.4: held.append(second.choice(gun2))
            if second.random() < 0.7: held.append("P2Fire")
            if second.random() < 0.05: held.append("P2Lock")
        if held: out.append("hold " + " ".join(held))
        k = r.randint(1, 25)
        out.append(f"tick {k}"); t += k
    if n % 3 == 0: out.append("dump")
    if n % 97 == 0: out.append("frame f%d.png" % n)
out.append("dump"); out.append("dump"); out.append("dump levels")
out.append("answer yes")
out.append("close")
print("\n".join(out))
