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
for tool in Xvfb openbox xdotool python3; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "skipped: $tool is not installed"
        exit 77
    fi
done
GAME_BINARY=$(cd "$(dirname "$GAME_BINARY")" && pwd)/$(basename "$GAME_BINARY")
SIM_BINARY=$(cd "$(dirname "$SIM_BINARY")" && pwd)/$(basename "$SIM_BINARY")
rm -rf "$OUTPUT_DIR"
mkdir -p "$OUTPUT_DIR/work"
OUTPUT_DIR=$(cd "$OUTPUT_DIR" && pwd)
export LC_ALL=C.UTF-8
export DBUS_SESSION_BUS_ADDRESS=${DBUS_SESSION_BUS_ADDRESS:-disabled:}
export XDG_CONFIG_HOME=$OUTPUT_DIR/config
export MORVASK_TRACE_DIALOGS=1
GAME_LOG=$OUTPUT_DIR/game.log
GAME_PID=
# shellcheck source=tests/e2e/x_display.sh
source "$(dirname "$0")/x_display.sh"

cleanup() {
    [[ -n $GAME_PID ]] && kill "$GAME_PID" 2>/dev/null
    stop_x_display
    wait 2>/dev/null
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*"
    [[ -f $GAME_LOG ]] && tail -5 "$GAME_LOG"
    exit 1
}

start_x_display "$OUTPUT_DIR" 1280x1024 || fail "no display"

(cd "$OUTPUT_DIR/work" && exec "$GAME_BINARY" --scale 1 --lang en --record "$OUTPUT_DIR/run.mvr") 2>"$GAME_LOG" &
GAME_PID=$!

WINDOW=
for _ in $(seq 600); do
    WINDOW=$(xdotool search --pid "$GAME_PID" --name '^Morvask V1\.0$' 2>/dev/null | head -1)
    [[ -n $WINDOW ]] && break
    sleep 0.1
done
[[ -n $WINDOW ]] || fail "no window"
xdotool windowactivate --sync "$WINDOW" 2>/dev/null || true

# answer_next N: presses Return until N boxes have been answered.
answer_next() {
    local wanted=$1
    for _ in $(seq 300); do
        (($(grep -c '^dialog: answer ' "$GAME_LOG") >= wanted)) && return 0
        if (($(grep -c '^dialog: open ' "$GAME_LOG") >= wanted)); then
            xdotool key --window "$WINDOW" Return 2>/dev/null || xdotool key Return
        fi
        sleep 0.2
    done
    fail "box $wanted was not answered"
}
# About, help, the sound question and the first level's box.
for n in 1 2 3 4; do answer_next "$n"; done
xdotool keydown --window "$WINDOW" Up space 2>/dev/null || xdotool keydown Up space
sleep 1.5
xdotool keyup --window "$WINDOW" Up space 2>/dev/null || xdotool keyup Up space
# R: the records box (a fresh player's), answered.
xdotool key --window "$WINDOW" r 2>/dev/null || xdotool key r
answer_next 5
grep -q '^dialog: open "Records"' "$GAME_LOG" || fail "R opened no records box"
sleep 0.5
kill -INT "$GAME_PID"
for _ in $(seq 100); do kill -0 "$GAME_PID" 2>/dev/null || break; sleep 0.1; done
wait "$GAME_PID"
status=$?
GAME_PID=
((status == 130)) || fail "the game ended by SIGINT exited with $status, not 130"
[[ -s $OUTPUT_DIR/run.mvr ]] || fail "SIGINT wrote no replay"
[[ -s $XDG_CONFIG_HOME/morvask/records.txt ]] || fail "no records file beside the settings"

"$SIM_BINARY" --verify "$OUTPUT_DIR/run.mvr" >"$OUTPUT_DIR/verify.json" 2>"$OUTPUT_DIR/verify.log"
status=$?
cat "$OUTPUT_DIR/verify.json"
((status == 0)) || fail "the replay ended by SIGINT did not verify: $(cat "$OUTPUT_DIR/verify.log")"

# Played back for a player whose settings say Chinese: the boxes are English.
printf 'lang = zh\n' >"$XDG_CONFIG_HOME/morvask/settings.ini"
PLAY_LOG=$OUTPUT_DIR/play.log
(cd "$OUTPUT_DIR/work" && exec "$GAME_BINARY" --scale 1 --play "$OUTPUT_DIR/run.mvr" --speed 8) \
    >"$OUTPUT_DIR/play.out" 2>"$PLAY_LOG" &
GAME_PID=$!
for _ in $(seq 600); do kill -0 "$GAME_PID" 2>/dev/null || break; sleep 0.1; done
wait "$GAME_PID"
status=$?
GAME_PID=
((status == 0)) || fail "the playback exited with $status: $(tail -3 "$PLAY_LOG")"
grep -q '^dialog: open "About"' "$PLAY_LOG" || fail "the playback's first box is not in English"
grep -q '^dialog: open "Records"' "$PLAY_LOG" || fail "the playback showed no records box"
if grep -q '^dialog: open "版本信息"' "$PLAY_LOG"; then fail "the playback showed Chinese boxes"; fi
echo "replay_signal_check: SIGINT wrote a replay that verifies and plays back in English"
