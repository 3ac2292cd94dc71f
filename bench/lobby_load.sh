#!/usr/bin/env bash
# The lobby under load, measured as docs/performance.md gives it: RUNS runs
# (default 3) of morvask-lobby-load, each against a lobby of its own, and the
# median of each figure. Usage: bench/lobby_load.sh BUILD_DIR [OPTION]...
# (the options go to morvask-lobby-load; default --rooms 1000 --rate 100
# --seconds 60). The runs' JSON lines are kept in BUILD_DIR/lobby_load.jsonl.
set -euo pipefail
build="${1:?usage: lobby_load.sh BUILD_DIR [OPTION]...}"
shift
[ $# -gt 0 ] || set -- --rooms 1000 --rate 100 --seconds 60
runs="${RUNS:-3}"
out="$build/lobby_load.jsonl"
: >"$out"
for run in $(seq 1 "$runs"); do
    echo "== run $run of $runs: morvask-lobby-load $*" >&2
    "$build/morvask-lobby-load" --lobby "$build/morvask-lobby" "$@" | tee /dev/stderr |
        grep '^{' >>"$out"
done
python3 - "$out" <<'EOF'
import json, statistics, sys
runs = [json.loads(line) for line in open(sys.argv[1])]
print("median of %d runs:" % len(runs))
for key in runs[0]:
    values = [r[key] for r in runs]
    if all(isinstance(v, (int, float)) for v in values):
        print("  %-22s %-12s (runs: %s)" % (key, statistics.median(values),
                                          ", ".join(str(v) for v in values)))
EOF
