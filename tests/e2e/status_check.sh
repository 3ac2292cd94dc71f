#!/usr/bin/env bash
# The status around the field on the desktop: at 1920x1080 full screen the
# panel beside the field shows the level, tanks, enemies and upgrades after
# a scripted sequence (Z with Down twice: level 3; Z with F: every upgrade),
# read back through MORVASK_STATUS_FILE and checked in a screenshot (the
# panel in the right bar, the left bar black); in a 1x window the same shows
# in the title (xprop _NET_WM_NAME). On a virtual X server with a window
# manager.
#
# usage: status_check.sh PATH/TO/morvask [OUTPUT_DIR]
# Exits 0 when all holds, 1 when not, 77 when tools are missing.
# shellcheck disable=SC2317  # the predicates are called through until_deadline
set -u

GAME_BINARY=${1:?usage: status_check.sh PATH/TO/morvask [OUTPUT_DIR]}
OUTPUT_DIR=${2:-${TMPDIR:-/tmp}/morvask-status-e2e}
HERE=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=tests/e2e/desktop_game.sh
source "$HERE/desktop_game.sh"
desktop_setup 1920x1080
# No boxes at the start and no sound device: the first game starts at once.
printf 'intro = short\nvolume = 0\nlang = en\n' >"$SETTINGS"
export MORVASK_STATUS_FILE=$OUTPUT_DIR/status.txt

status_is() { [[ -s $MORVASK_STATUS_FILE && $(tail -1 "$MORVASK_STATUS_FILE") == "$1" ]]; }
wait_status() { until_deadline status_is "$1" || fail "the status is not \"$1\""; }

# chord KEYS...: the keys held together for a moment (the game polls them;
# what they ask opens a box, which stops the ticks until it is answered).
chord() {
    local key
    for key in "$@"; do send_keys keydown "$key"; done
    sleep 0.3
    for key in "$@"; do send_keys keyup "$key"; done
}

start_game --fullscreen
# The level's box of level 1, then the game.
answer_next 1
wait_status "panel level=1 tanks=3 enemies=20 upgrades=0/0/0/0"
pass "1920x1080 full screen: the panel shows level 1, 3 tanks, 20 enemies"
chord z Down
answer_next 2
chord z Down
answer_next 3
chord z f
wait_status "panel level=3 tanks=3 enemies=20 upgrades=2/4/4/1"
pass "after Z+Down twice and Z+F the panel shows level 3 and every upgrade"
shoot status-1080p.png root
python3 - "$OUTPUT_DIR/status-1080p.png" "$HERE" <<'PY' || fail "the screenshot does not show the panel beside the field"
import sys
sys.path.insert(0, sys.argv[2])
from pictures import load
width, height, raw = load(sys.argv[1])
assert (width, height) == (1920, 1080), (width, height)
def lit(x0, x1, y0, y1):
    count = 0
    for y in range(y0, y1):
        row = raw[(y * width + x0) * 3:(y * width + x1) * 3]
        count += sum(1 for i in range(0, len(row), 3) if max(row[i:i + 3]) > 24)
    return count
# The field in the middle, as large as the scale mode makes it: its left
# edge is the first lit column of the middle row, and the bar on its right
# is as wide as the one on its left.
middle = raw[(height // 2) * width * 3:(height // 2 + 1) * width * 3]
bar = next(x for x in range(width) if max(middle[x * 3:x * 3 + 3]) > 24)
assert bar >= 160, bar
left, right = lit(0, bar, 0, height), lit(width - bar, width, 0, height)
print("bars of", bar, "pixels; lit pixels: left bar", left, "right bar", right)
assert left == 0 and right > 10000
PY
pass "the screenshot has the panel in the right bar and a black left bar"
stop_game

rm -f "$MORVASK_STATUS_FILE"
GAME_NAME=window start_game --windowed --scale 1
answer_next 1
TITLE="Morvask V1.0 — Level 1 · Tanks 3 · Enemies 20 · Armour 0 Fire 0 Speed 0 Bullets 0"
wait_status "title $TITLE"
# The window system has the title once the program's requests reach it.
title_is() { [[ $(xprop -id "$WINDOW" _NET_WM_NAME) == *"\"$1\""* ]]; }
until_deadline title_is "$TITLE" || fail "the window's title is $(xprop -id "$WINDOW" _NET_WM_NAME)"
pass "a 1x window: the title reads $TITLE"
shoot title-1x.png root
stop_game
finish
