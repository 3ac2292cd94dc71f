#!/usr/bin/env bash
# R on the desktop offers a fresh game at the highest level the records file
# holds: a player whose records say level 7 presses R in level 1, answers Yes,
# and plays level 7 (its box, and the status in the title); the run, recorded
# and ended by SIGINT, verifies in morvask-sim with those records.
# On a virtual X server with a window manager.
#
# usage: records_continue_check.sh PATH/TO/morvask PATH/TO/morvask-sim [OUTPUT_DIR]
# Exits 0 when all holds, 1 when not, 77 when tools are missing.
set -u

GAME_BINARY=${1:?usage: records_continue_check.sh PATH/TO/morvask PATH/TO/morvask-sim [OUTPUT_DIR]}
SIM_BINARY=${2:?usage: records_continue_check.sh PATH/TO/morvask PATH/TO/morvask-sim [OUTPUT_DIR]}
OUTPUT_DIR=${3:-${TMPDIR:-/tmp}/morvask-records-e2e}
# shellcheck source=tests/e2e/recorded_game.sh
source "$(dirname "$0")/recorded_game.sh"
recorded_game_setup
printf 'intro = short\nvolume = 0\nlang = en\n' >"$XDG_CONFIG_HOME/morvask/settings.ini"
printf 'records = 1\nhighest_level = 7\ngames_played = 4\ngames_won = 0\n' \
    >"$XDG_CONFIG_HOME/morvask/records.txt"
export MORVASK_STATUS_FILE=$OUTPUT_DIR/status.txt

opened() { (($(grep -c '^dialog: open ' "$GAME_LOG") >= $1)); }

start_game --scale 1 --record "$OUTPUT_DIR/run.mvr"
answer_next 1 # level 1's box
send_keys key r
until_deadline opened 2 || fail "R opened no box"
grep '^dialog: open ' "$GAME_LOG" | sed -n 2p | grep -q '"Records" "Highest level reached: 7"' ||
    fail "R did not show the records of level 7: $(grep '^dialog: open ' "$GAME_LOG" | sed -n 2p)"
send_keys key y
until_deadline opened 3 || fail "Yes started no game"
grep '^dialog: open ' "$GAME_LOG" | sed -n 3p | grep -q 'Get ready for level 7' ||
    fail "Yes did not start level 7: $(grep '^dialog: open ' "$GAME_LOG" | sed -n 3p)"
answer_next 3
status_at_seven() { grep -q 'Level 7 · Tanks 3 · Enemies 20' "$MORVASK_STATUS_FILE" 2>/dev/null; }
until_deadline status_at_seven || fail "the status never showed level 7: $(tail -2 "$MORVASK_STATUS_FILE")"
echo "ok: R offered level 7, Yes started it with three tanks, the status says so"

sleep 0.5
kill -INT "$GAME_PID"
wait_game_end
((GAME_STATUS == 130)) || fail "the game ended by SIGINT exited with $GAME_STATUS"
"$SIM_BINARY" --verify "$OUTPUT_DIR/run.mvr" >"$OUTPUT_DIR/verify.json" 2>"$OUTPUT_DIR/verify.log" ||
    fail "the run did not verify: $(cat "$OUTPUT_DIR/verify.log")"
grep -q '"result":"same"' "$OUTPUT_DIR/verify.json" || fail "the run did not verify: $(cat "$OUTPUT_DIR/verify.json")"
echo "ok: the continued run verifies in morvask-sim"
