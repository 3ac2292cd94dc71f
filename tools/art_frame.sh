#!/usr/bin/env bash
# Writes a frame of play on a level that shows every kind of ground and wall
# at once (ice, water, grass, sand, stone, cracked, broken and burning bricks),
# for judging the art in place.   tools/art_frame.sh [BUILD_DIR] [OUT.png] [PLAYERS]
# With PLAYERS 2 the second player plays too, driving beside the first.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "${1:-$root/build}" && pwd)"
out="$(realpath -m "${2:-$root/docs/art/play-frame.png}")"
players="${3:-1}"
second() { [ "$players" = 2 ] && echo "$1" || true; }
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# The level as every one of the 35 in a custom map file.
python3 - "$work/map.txt" <<'PY'
import sys
rows = [
    "..%%%%...%%%%..",
    ".4c#k5.@.6#c#4.",
    ".#####.-.#####.",
    "..---.....---..",
    "~~---%%.%%---~~",
    "~~--%%%.%%%--~~",
    "...-----------.",
    ".@@.c#k.#c#.@@.",
    "..SS.......SS..",
    "......###......",
    "......#B#......",
]
codes = {".": 0, "#": 1, "c": 2, "k": 3, "4": 4, "5": 5, "6": 6, "@": 7, "%": 8,
         "-": 9, "B": 10, "S": 11, "~": 12}
level = [codes[c] for row in rows for c in row]
values = level * 35
text = []
for k, v in enumerate(values):
    text.append(str(v))
    if k + 1 != len(values):
        text.append("  , " if v < 10 else " , ")
    if (k + 1) % 15 == 0:
        text.append("\r\n")
    if (k + 1) % 165 == 0:
        text.append("\r\n")
open(sys.argv[1], "wb").write("".join(text).encode())
PY

cd "$work"
"$build/morvask-sim" - >/dev/null <<SIM
seed 12
$(second "players 2")
answer ok ok no ok yes ok
start
press F2
tick 16
hold Up Space $(second "P2Up")
tick 40
release all
hold Right $(second "P2Left")
tick 20
release all
hold Up Space W $(second "P2Up P2Fire")
tick 30
release all
hold Space A
tick 9
frame $out
SIM
echo "frame written to $out"
