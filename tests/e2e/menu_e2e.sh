#!/usr/bin/env bash
# End to end, Esc's menu in the real window: on a virtual X server at
# 1366x768 the desktop program opens the menu on Esc, its options screen
# takes the laptop preset (one keyboard, two players, no keypad), which
# settings.ini holds at once, the player's own lines kept; after a restart
# the second player drives and fires with W and Space, as the recorded run
# shows (the keys the game polled) and its verification confirms; the
# menu's Quit ends the program with the farewell box; the runs recorded,
# the one with the menu too, verify.
# Screenshots of the menu and the options screen in the output.
#
# usage: menu_e2e.sh PATH/TO/morvask PATH/TO/morvask-sim [OUTPUT_DIR]
# Exits 0 when every check passed, 1 when one failed, 77 when the tools it
# needs are missing.
set -u

GAME_BINARY=${1:?usage: menu_e2e.sh PATH/TO/morvask PATH/TO/morvask-sim [OUTPUT_DIR]}
SIM_BINARY=${2:?usage: menu_e2e.sh PATH/TO/morvask PATH/TO/morvask-sim [OUTPUT_DIR]}
OUTPUT_DIR=${3:-${TMPDIR:-/tmp}/morvask-menu-e2e}
HERE=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=tests/e2e/desktop_game.sh
source "$HERE/desktop_game.sh"
desktop_setup 1366x768
printf '# my own note, kept\nintro = short\nvolume = 0\nlang = en\n' >"$SETTINGS"

start_game --record "$OUTPUT_DIR/menu.mvr"
answer_next 1 # the level's box
sleep 0.5
send_keys key Escape
shoot menu.png
# Resume, New game, Play online, Choose level, Records, Options: the sixth
# row.
send_keys key Down Down Down Down Down Return
shoot options.png
# The second row: the laptop preset.
send_keys key Down Return
preset_saved() { grep -q '^p2_up = W' "$SETTINGS" && grep -q '^p2_fire = Space' "$SETTINGS"; }
until_deadline preset_saved || fail "settings.ini never held the preset: $(cat "$SETTINGS")"
grep -q '^# my own note, kept$' "$SETTINGS" || fail "the player's own line was lost"
grep -q '^fire = Enter' "$SETTINGS" || fail "the first player's fire is not Enter: $(grep fire "$SETTINGS")"
pass "Esc's menu set the laptop preset, saved at once with the player's own lines"
send_keys key Escape Escape
sleep 0.5
kill -INT "$GAME_PID"
wait_game_end
# A run in which the menu opened, with the rows of a program that plays
# online, is a replay of format version 6, which plays the menu again as it
# was used, with those rows (morvask-sim has no Play online of its own).
[[ $(od -An -tu1 -j4 -N1 "$OUTPUT_DIR/menu.mvr" | tr -d ' ') == 6 ]] ||
    fail "the run with the menu is not of format version 6"
"$SIM_BINARY" --verify "$OUTPUT_DIR/menu.mvr" >"$OUTPUT_DIR/verify-menu.txt" 2>&1 ||
    fail "the run with the menu does not verify: $(cat "$OUTPUT_DIR/verify-menu.txt")"
pass "the run with the menu verifies"

# Started again for two players: W drives the second tank, Space fires.
start_game --players 2 --record "$OUTPUT_DIR/two.mvr"
answer_next 1
sleep 0.5
xdotool keydown w keydown space
sleep 1.5
xdotool keyup w keyup space
kill -INT "$GAME_PID"
wait_game_end
((GAME_STATUS == 130)) || fail "the game ended with $GAME_STATUS after SIGINT, not 130"
python3 - "$OUTPUT_DIR/two.mvr" "$HERE/../replays" <<'PY' || fail "the second player's keys were not W and Space"
import sys
sys.path.insert(0, sys.argv[2])
from replay_events import events, varint
data = open(sys.argv[1], "rb").read()
options = {}
seen = set()
for op, at, tick in events(data, options):
    if op == 2:
        count, keys_at = varint(data, at + 1)
        seen.update(data[keys_at:keys_at + count])
# The second player's drive up (0x88) and fire (0x98) were held; the first
# player's gun up (W, 0x57) and fire (Space, 0x20) never.
assert {0x88, 0x98} <= seen, f"held: {sorted(seen)}"
assert not {0x57, 0x20} & seen, f"the first player's keys held: {sorted(seen)}"
PY
pass "after a restart the second player drives with W and fires with Space"
"$SIM_BINARY" --verify "$OUTPUT_DIR/two.mvr" >"$OUTPUT_DIR/verify.txt" 2>&1 ||
    fail "the run does not verify: $(cat "$OUTPUT_DIR/verify.txt")"
pass "the run verifies"

# Quit, the menu's last row (Up from the first): the farewell box, then the
# program ends as when its window is closed.
start_game
answer_next 1
sleep 0.5
send_keys key Escape Up Return
answer_box 2 'Thanks for playing! Goodbye!'
wait_game_end
((GAME_STATUS == 0)) || fail "the game quit from the menu ended with $GAME_STATUS, not 0"
pass "the menu's Quit says farewell and ends the program"
finish
