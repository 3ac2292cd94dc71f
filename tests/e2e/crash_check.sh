#!/usr/bin/env bash
# A crash of the game at any moment (a segmentation fault, an abort) leaves
# map.txt and the records file whole: the one it had or one it wrote, never a
# torn one. morvask-sim saves the map over and over (painting between saves)
# and plays game after game (each game over rewrites the records); it is
# crashed at random moments with SIGSEGV or SIGABRT, then the game reads both
# files back.
# usage: crash_check.sh MORVASK_SIM [ROUNDS]
set -euo pipefail
sim="$(realpath "$1")"
rounds="${2:-12}"
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
# A crashed game writes no core file here.
ulimit -c 0
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work"

# Into the editor, then paint a cell and save, again and again.
{
    printf 'answer ok ok no ok\nstart\nanswer yes\npress F1\n'
    for k in $(seq 0 1500); do
        printf 'press %d\nmouse %d %d\nhold lbutton\ntick\nrelease lbutton\nanswer yes ok\npress F3\n' \
            $((k % 7 + 1)) $((k * 64 % 960 + 32)) $((k / 15 * 64 % 704 + 32))
    done
} >saving.sim
# Game after game lost with no input: each game over rewrites the records.
{
    printf 'answer ok ok no ok\nstart\n'
    for _ in $(seq 40); do printf 'answer ok ok ok ok\ntick 2500\n'; done
} >playing.sim
# The game reads a records file back: the records box, or the box saying why not.
printf 'answer ok ok no ok\nstart\npress R\n' >records_box.sim

# Whether map.txt is a whole level set: 5775 values, and the game's F2 in
# the editor loads exactly those (it refuses a file without all of them).
map_whole() {
    printf 'answer ok ok no ok\nstart\nanswer yes\npress F1\nanswer yes ok\npress F2\ndump levels\n' >load.sim
    "$sim" load.sim 2>/dev/null | python3 -c '
import json, re, sys
values = [int(v) for v in re.findall(r"-?\d+", open("map.txt").read())]
lines = [json.loads(line) for line in sys.stdin]
refused = any(l.get("text") == "载入地图失败！" for l in lines)
loaded = [l["LevelSet"] for l in lines if l["type"] == "levels"]
sys.exit(0 if len(values) == 5775 and not refused and loaded == [values] else 1)'
}

crash_at_random() {
    local script=$1 signal=$2
    shift 2
    "$sim" "$@" "$script" >/dev/null 2>&1 &
    local pid=$!
    sleep "$(python3 -c 'import random; print(round(random.uniform(0.3, 4.0), 2))')"
    kill "-$signal" "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
}

failed=0
for round in $(seq "$rounds"); do
    signal=$([ $((round % 2)) = 0 ] && echo SEGV || echo ABRT)
    crash_at_random saving.sim "$signal"
    if [ -e map.txt ] && ! map_whole; then
        echo "round $round ($signal): map.txt is not whole"
        cp map.txt "torn-map-$round.txt"
        failed=1
    fi
    crash_at_random playing.sim "$signal" --records records.txt
    if [ -e records.txt ]; then
        # No level is ever cleared here, so the file ends with the comment
        # line that heads the levels' lines: a file cut short at a line's end
        # would still read.
        last="$(tail -n 1 records.txt)"
        end="$(tail -c 1 records.txt)"
        box="$("$sim" --lang en --records records.txt records_box.sim 2>/dev/null | grep '"type":"box"' | tail -1)"
        # A file that does not read is kept aside and a fresh one started.
        aside="$(find . -maxdepth 1 -name 'records-damaged*' | head -n 1)"
        if [[ $box != *'"caption":"Records"'* || -n $aside ||
            $last != "# level = number"* || -n $end ]]; then
            echo "round $round ($signal): records.txt does not read back: $box"
            failed=1
        fi
    fi
done
[ -e map.txt ] || { echo "no save ever finished: the check proved nothing"; exit 1; }
[ -e records.txt ] || { echo "no game ever ended: the check proved nothing"; exit 1; }
[ "$failed" = 0 ] && echo "crash check: map.txt and records.txt whole after $rounds crashes each"
exit "$failed"
