#!/usr/bin/env bash
# A game played on the desktop with --record plays back as the same game in
# morvask-sim --verify: the desktop program and the headless one are the same
# game tick for tick, boxes, keys, ticks and all. On a virtual X server with
# a window manager, the boxes answered from the keyboard, a few seconds of
# driving and firing, then the window closed.
#
# usage: replay_record_check.sh PATH/TO/morvask PATH/TO/morvask-sim [OUTPUT_DIR]
# Exits 0 when the replay verifies, 1 when not, 77 when tools are missing.
set -u

GAME_BINARY=${1:?usage: replay_record_check.sh PATH/TO/morvask PATH/TO/morvask-sim [OUTPUT_DIR]}
SIM_BINARY=${2:?usage: replay_record_check.sh PATH/TO/morvask PATH/TO/morvask-sim [OUTPUT_DIR]}
OUTPUT_DIR=${3:-${TMPDIR:-/tmp}/morvask-replay-e2e}
# shellcheck source=tests/e2e/desktop_game.sh
source "$(dirname "$0")/desktop_game.sh"
desktop_setup 1280x1024
start_game --scale 1 --record "$OUTPUT_DIR/run.mvr"

# About, help, the sound question and the first level's box.
answer_next 4
send_keys keydown Up space
sleep 1
send_keys keyup Up space
send_keys keydown Left
sleep 0.7
send_keys keyup Left
send_keys key a space
sleep 1
close_window
# The farewell box.
answer_next 5
wait_game_end
((GAME_STATUS == 0)) || fail "the game exited with $GAME_STATUS"
[[ -s $OUTPUT_DIR/run.mvr ]] || fail "no replay was written"

"$SIM_BINARY" --verify "$OUTPUT_DIR/run.mvr" >"$OUTPUT_DIR/verify.json" 2>"$OUTPUT_DIR/verify.log" ||
    fail "the recorded game did not verify: $(cat "$OUTPUT_DIR/verify.log")"
python3 -c '
import json, sys
line = json.load(open(sys.argv[1]))
sys.exit(0 if line["result"] == "same" and line["tick"] >= 100 else 1)' "$OUTPUT_DIR/verify.json" ||
    fail "the replay holds too few ticks: $(cat "$OUTPUT_DIR/verify.json")"
pass "the desktop game verified as the same game: $(cat "$OUTPUT_DIR/verify.json")"
finish
