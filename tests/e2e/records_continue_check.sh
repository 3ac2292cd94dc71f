#!/usr/bin/env bash
# R on the desktop offers a fresh game at the highest level the records file
# holds: a player whose records say level 7 presses R in level 1, answers Yes,
# and plays level 7 (its box, and the status in the title); the run, recorded
# and ended by SIGINT, verifies in morvask-sim with those records.
# On a virtual X server with a window manager.
#
# usage: records_continue_check.sh PATH/TO/morvask PATH/TO/morvask-sim [OUTPUT_DIR]
# Exits 0 when all holds, 1 when not, 77 when tools are missing.
# shellcheck disable=SC2317  # the predicates are called through until_deadline
set -u

GAME_BINARY=${1:?usage: records_continue_check.sh PATH/TO/morvask PATH/TO/morvask-sim [OUTPUT_DIR]}
SIM_BINARY=${2:?usage: records_continue_check.sh PATH/TO/morvask PATH/TO/morvask-sim [OUTPUT_DIR]}
OUTPUT_DIR=${3:-${TMPDIR:-/tmp}/morvask-records-e2e}
# shellcheck source=tests/e2e/desktop_game.sh
source "$(dirname "$0")/desktop_game.sh"
desktop_setup 1280x1024
printf 'intro = short\nvolume = 0\nlang = en\n' >"$SETTINGS"
printf 'records = 1\nhighest_level = 7\ngames_played = 4\ngames_won = 0\n' \
    >"$XDG_CONFIG_HOME/morvask/records.txt"
export MORVASK_STATUS_FILE=$OUTPUT_DIR/status.txt

start_game --scale 1 --record "$OUTPUT_DIR/run.mvr"
answer_next 1 # level 1's box
send_keys key r
wait_box 2 '"Records" "Highest level reached: 7"'
# Y once the box takes answers (it takes none for a moment after it opens).
answer_next 2 y
answer_box 3 'Get ready for level 7'
status_at_seven() { grep -q 'Level 7 · Tanks 3 · Enemies 20' "$MORVASK_STATUS_FILE" 2>/dev/null; }
until_deadline status_at_seven || fail "the status never showed level 7: $(tail -2 "$MORVASK_STATUS_FILE")"
pass "R offered level 7, Yes started it with three tanks, the status says so"

sleep 0.5
kill -INT "$GAME_PID"
wait_game_end
((GAME_STATUS == 130)) || fail "the game ended by SIGINT exited with $GAME_STATUS"
"$SIM_BINARY" --verify "$OUTPUT_DIR/run.mvr" >"$OUTPUT_DIR/verify.json" 2>"$OUTPUT_DIR/verify.log" ||
    fail "the run did not verify: $(cat "$OUTPUT_DIR/verify.log")"
grep -q '"result":"same"' "$OUTPUT_DIR/verify.json" || fail "the run did not verify: $(cat "$OUTPUT_DIR/verify.json")"
pass "the continued run verifies in morvask-sim"
finish
