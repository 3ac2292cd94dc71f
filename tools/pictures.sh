#!/usr/bin/env bash
# Writes the game's pictures as PNG: every sheet, a frame of play, the editor,
# and an overview of all 35 built-in levels.
#   tools/pictures.sh [BUILD_DIR] [OUT_DIR]     (defaults: build, docs)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "${1:-$root/build}" && pwd)"
out="${2:-$root/docs}"
mkdir -p "$out"
out="$(cd "$out" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# The sheets, as the generator draws them.
mkdir -p "$work/assets"
"$build/artgen/morvask-assetgen" "$work/assets" --previews "$out/sheets"

cd "$work"
# A frame of play: level 5 a few seconds in.
"$build/morvask-sim" - >/dev/null <<SIM
seed 8
answer ok ok no ok
start
hold Z Down
tick 4
release all
hold Up Space
tick 40
release all
hold Space A Left
tick 30
release all
hold Space W
tick 24
frame $out/screenshot-play.png
SIM

# Every level in the editor, the brush off the field.
{
    echo "answer ok ok no ok yes"
    echo "start"
    echo "press F1"
    echo "mouse -200 -200"
    for level in $(seq -w 1 35); do
        echo "tick"
        echo "frame $work/level-$level.png"
        echo "press Down"
    done
} | "$build/morvask-sim" - >/dev/null
montage "$work"/level-*.png -tile 5x7 -geometry 240x176+4+4 -background '#202020' \
    -colors 256 "PNG8:$out/levels-overview.png"

# The editor with a brush in hand.
"$build/morvask-sim" - >/dev/null <<SIM
answer ok ok no ok yes
start
press F1
press Down
press Down
hold 7
tick
release all
mouse 352 300
tick 30
frame $out/screenshot-editor.png
SIM
echo "pictures written to $out"
