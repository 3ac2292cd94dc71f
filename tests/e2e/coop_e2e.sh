#!/usr/bin/env bash
# End to end, two players in the real window: the desktop program started
# with --players 2 on a virtual X server; the first player drives and fires
# with the arrows and Space, the second with the keypad (8 and 0), both at
# once; the run is recorded. The replay must be of two players, hold both
# players' keys, and verify; a screenshot of the window shows the two tanks
# (coop-play.png in the output).
#
# usage: coop_e2e.sh PATH/TO/morvask PATH/TO/morvask-sim [OUTPUT_DIR]
# Exits 0 when every check passed, 1 when one failed, 77 when the tools it
# needs are missing.
set -u

GAME_BINARY=${1:?usage: coop_e2e.sh PATH/TO/morvask PATH/TO/morvask-sim [OUTPUT_DIR]}
SIM_BINARY=${2:?usage: coop_e2e.sh PATH/TO/morvask PATH/TO/morvask-sim [OUTPUT_DIR]}
OUTPUT_DIR=${3:-${TMPDIR:-/tmp}/morvask-coop-e2e}
HERE=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=tests/e2e/desktop_game.sh
source "$HERE/desktop_game.sh"
# No window manager: the keys go to the window that has the focus.
desktop_setup 1280x1024 none
# No start-up boxes and no sound device: the level's box is the only one.
printf 'intro = short\nvolume = 0\n' >"$SETTINGS"

start_game --players 2 --scale 1 --record "$OUTPUT_DIR/coop.mvr"
answer_next 1
sleep 0.5
# Both players at once: the first drives up and fires, the second drives up
# on Keypad 8 and fires on Keypad 0.
xdotool keydown Up keydown space keydown KP_8 keydown KP_0
sleep 1.5
xdotool keyup Up keyup space keyup KP_8 keyup KP_0
shoot coop-play.png
kill -INT "$GAME_PID"
wait_game_end
((GAME_STATUS == 130)) || fail "the game ended with $GAME_STATUS after SIGINT, not 130"
[[ -s $OUTPUT_DIR/coop.mvr ]] || fail "no replay was written"

python3 - "$OUTPUT_DIR/coop.mvr" "$HERE/../replays" <<'PY' || fail "the replay does not hold two players' keys"
import sys
sys.path.insert(0, sys.argv[2])
from replay_events import events, varint
data = open(sys.argv[1], "rb").read()
assert data[4] == 3, f"format version {data[4]}, not 3"
options = {}
# The keys events (2) list the keys held: the first player's Up (0x26) and
# Space (0x20) and the second player's up (0x88) and fire (0x98) all appear.
seen = set()
for op, at, tick in events(data, options):
    if op == 2:
        count, keys_at = varint(data, at + 1)
        seen.update(data[keys_at:keys_at + count])
assert options.get(5) == 2, f"players {options.get(5)}, not 2"
missing = {0x26, 0x20, 0x88, 0x98} - seen
assert not missing, f"keys never held: {sorted(missing)}"
PY
pass "the replay is of two players and holds both players' keys"
"$SIM_BINARY" --verify "$OUTPUT_DIR/coop.mvr" >"$OUTPUT_DIR/verify.txt" 2>&1 ||
    fail "the replay does not verify: $(cat "$OUTPUT_DIR/verify.txt")"
pass "the replay verifies: $(cat "$OUTPUT_DIR/verify.txt")"
finish
