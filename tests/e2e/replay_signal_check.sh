#!/usr/bin/env bash
# A game recorded in English and ended by Ctrl+C (SIGINT): the program ends
# cleanly and writes the replay, which verifies in morvask-sim, R's records
# box included; played back in the window of a player whose settings say
# Chinese, its boxes are in English, as recorded. On a virtual X server with
# a window manager, the boxes answered from the keyboard.
#
# usage: replay_signal_check.sh PATH/TO/morvask PATH/TO/morvask-sim [OUTPUT_DIR]
# Exits 0 when all holds, 1 when not, 77 when tools are missing.
set -u

GAME_BINARY=${1:?usage: replay_signal_check.sh PATH/TO/morvask PATH/TO/morvask-sim [OUTPUT_DIR]}
SIM_BINARY=${2:?usage: replay_signal_check.sh PATH/TO/morvask PATH/TO/morvask-sim [OUTPUT_DIR]}
OUTPUT_DIR=${3:-${TMPDIR:-/tmp}/morvask-replay-signal-e2e}
# shellcheck source=tests/e2e/desktop_game.sh
source "$(dirname "$0")/desktop_game.sh"
desktop_setup 1280x1024
start_game --scale 1 --lang en --record "$OUTPUT_DIR/run.mvr"

# About, help, the sound question and the first level's box.
answer_next 4
send_keys keydown Up space
sleep 1.5
send_keys keyup Up space
# R: the records box (a fresh player's), answered.
send_keys key r
answer_box 5 '"Records"'
sleep 0.5
kill -INT "$GAME_PID"
wait_game_end
((GAME_STATUS == 130)) || fail "the game ended by SIGINT exited with $GAME_STATUS, not 130"
[[ -s $OUTPUT_DIR/run.mvr ]] || fail "SIGINT wrote no replay"
[[ -s $XDG_CONFIG_HOME/morvask/records.txt ]] || fail "no records file beside the settings"
"$SIM_BINARY" --verify "$OUTPUT_DIR/run.mvr" >"$OUTPUT_DIR/verify.json" 2>"$OUTPUT_DIR/verify.log" ||
    fail "the replay ended by SIGINT did not verify: $(cat "$OUTPUT_DIR/verify.log")"
pass "SIGINT wrote a replay that verifies: $(cat "$OUTPUT_DIR/verify.json")"

# Played back for a player whose settings say Chinese: the boxes are English.
printf 'lang = zh\n' >"$SETTINGS"
GAME_NAME=play launch_game --scale 1 --play "$OUTPUT_DIR/run.mvr" --speed 8
wait_game_end
((GAME_STATUS == 0)) || fail "the playback exited with $GAME_STATUS"
[[ $(box_line 1) == 'dialog: open "About"'* ]] || fail "the playback's first box is not in English"
grep -q '^dialog: open "Records"' "$GAME_LOG" || fail "the playback showed no records box"
if grep -q '^dialog: open "版本信息"' "$GAME_LOG"; then fail "the playback showed Chinese boxes"; fi
pass "the playback's boxes are in English, as recorded"
finish
