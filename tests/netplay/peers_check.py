#!/usr/bin/env python3
"""Two peers over a simulated faulty link (morvask-sim --peers): a seeded
random two-player script split between them; both must end in the state of
the plain run of the inputs they agreed on, and the session, recorded as a
two-player replay, must verify in morvask-sim.

With --desync TICK the second peer's generator is disturbed at that tick:
the run must stop with exit 1 and a message naming the desync.

Usage: peers_check.py MORVASK_SIM PROFILE LINK_SEED DELAY TICKS [--desync TICK]"""
import json
import os
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import random_script  # noqa: E402


def main():
    sim = os.path.abspath(sys.argv[1])
    profile, seed, delay, ticks = sys.argv[2], int(sys.argv[3]), int(sys.argv[4]), int(sys.argv[5])
    script = random_script.script(seed, ticks, 2, True)
    if "--desync" in sys.argv:
        at = int(sys.argv[sys.argv.index("--desync") + 1])
        r = subprocess.run([sim, "--peers", f"{profile}:{seed}:{delay}:{at}", "-"],
                           input=script.encode(), capture_output=True, timeout=1800)
        said = r.stderr.decode().strip()
        if r.returncode != 1 or "desync" not in said:
            print(f"{profile}: a disturbed peer was not caught: exit {r.returncode}: {said}")
            return 1
        print(f"{profile}: {said}")
        return 0
    with tempfile.TemporaryDirectory(prefix="peers-") as cwd:
        replay = os.path.join(cwd, "session.replay")
        r = subprocess.run([sim, "--peers", f"{profile}:{seed}:{delay}", "--record", replay, "-"],
                           input=script.encode(), capture_output=True, cwd=cwd, timeout=1800)
        lines = [json.loads(l) for l in r.stdout.decode().splitlines()]
        summary = [l for l in lines if l.get("type") == "peers"]
        failures = []
        if r.returncode != 0 or len(summary) != 1:
            failures.append(f"exit {r.returncode}: {r.stderr.decode().strip()}")
        else:
            s = summary[0]
            if s["result"] != "same" or len(set(s["checksums"] + [s["agreedChecksum"]])) != 1:
                failures.append(f"the peers' states differ: {s}")
            if s["ticks"] != ticks:
                failures.append(f"{s['ticks']} ticks run, {ticks} in the script")
            for n, peer in enumerate(s["peers"], 1):
                if peer["deepestRollback"] > 12:
                    failures.append(f"peer {n} rolled back {peer['deepestRollback']} ticks")
            v = subprocess.run([sim, "--verify", replay], capture_output=True, cwd=cwd,
                               timeout=1800)
            verdict = v.stdout.decode().strip()
            if v.returncode != 0 or '"result":"same"' not in verdict:
                failures.append(f"the recorded session does not verify: {verdict} "
                                f"{v.stderr.decode().strip()}")
    for f in failures:
        print(f"{profile}: {f}")
    if not failures:
        print(json.dumps(summary[0]))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
