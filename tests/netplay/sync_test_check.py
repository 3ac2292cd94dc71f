#!/usr/bin/env python3
"""The sync test over a scenario or a random script: morvask-sim with
--sync-test N must write exactly what the plain run writes and end as it
ends, and say that no tick came out otherwise when run again.

Usage: sync_test_check.py MORVASK_SIM DEPTH SCENARIO.sim
       sync_test_check.py MORVASK_SIM DEPTH --random SEED TICKS PLAYERS"""
import os
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "scenarios"))
sys.path.insert(0, HERE)
import random_script  # noqa: E402
import run_scenario  # noqa: E402


def run(sim, args, script, map_bytes, files):
    with tempfile.TemporaryDirectory(prefix="sync-test-") as cwd:
        if map_bytes:
            open(os.path.join(cwd, "map.txt"), "wb").write(map_bytes)
        for name, expr in files:
            open(os.path.join(cwd, name), "w", encoding="utf-8").write(eval(expr, {}))
        r = subprocess.run([sim, *args, "-"], input=script.encode(), capture_output=True,
                           cwd=cwd, timeout=1800)
    return r.returncode, r.stdout, r.stderr.decode("utf-8", "replace")


def main():
    sim, depth = os.path.abspath(sys.argv[1]), sys.argv[2]
    if sys.argv[3] == "--random":
        seed, ticks, players = (int(x) for x in sys.argv[4:7])
        name = f"random seed {seed}, {ticks} ticks, {players} players"
        script, args, map_bytes, files = random_script.script(seed, ticks, players, True), [], None, []
    else:
        scenario = run_scenario.Scenario(sys.argv[3])
        name = os.path.basename(sys.argv[3])
        script, args, files = "\n".join(scenario.lines), scenario.args, scenario.files
        map_bytes = run_scenario.map_file(scenario.picture) if scenario.picture else None
        if scenario.map_expr is not None:
            text = eval(scenario.map_expr, {"picture": map_bytes.decode() if map_bytes else ""})
            map_bytes = text.encode("latin-1") if isinstance(text, str) else text
    code, out, _ = run(sim, args, script, map_bytes, files)
    code2, out2, err2 = run(sim, ["--sync-test", depth, *args], script, map_bytes, files)
    failures = []
    if code2 != code:
        failures.append(f"exit {code2} under the sync test, {code} without: {err2.strip()}")
    if out2 != out:
        failures.append("the output under the sync test differs from the plain run's")
    if code == 0 and "no mismatch" not in err2:
        failures.append(f"no summary of the sync test: {err2.strip()}")
    for f in failures:
        print(f"{name}: {f}")
    if not failures:
        print(f"{name}: {err2.strip().splitlines()[-1] if err2.strip() else 'ended as the plain run'}")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
