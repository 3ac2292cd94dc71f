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
    if [[ -n $GAME_PID ]]; then
        kill -0 "$GAME_PID" 2>/dev/null && echo "the game is still running" || echo "the game has ended"
    fi
    [[ -f $GAME_LOG ]] && echo "its log:" && tail -8 "$GAME_LOG"
    exit 1
}
# The waits are deadlines in seconds, not counts of tries: on a loaded machine
# each try (a grep, an xdotool call) takes longer, and the game starts slower.
WAIT_SECONDS=240

start_x_display "$OUTPUT_DIR" 1280x1024 || fail "no display"

(cd "$OUTPUT_DIR/work" && exec "$GAME_BINARY" --scale 1 --record "$OUTPUT_DIR/run.mvr") 2>"$GAME_LOG" &
GAME_PID=$!

WINDOW=
deadline=$((SECONDS + WAIT_SECONDS))
while ((SECONDS < deadline)); do
    WINDOW=$(xdotool search --pid "$GAME_PID" --name '^Morvask V1\.0$' 2>/dev/null | head -1)
    [[ -n $WINDOW ]] && break
    sleep 0.1
done
[[ -n $WINDOW ]] || fail "no window"
xdotool windowactivate --sync "$WINDOW" 2>/dev/null || true

# answer_next N: presses Return until N boxes have been answered.
answer_next() {
    local wanted=$1
    local deadline=$((SECONDS + WAIT_SECONDS))
    while ((SECONDS < deadline)); do
        (($(grep -c '^dialog: answer ' "$GAME_LOG") >= wanted)) && return 0
        if (($(grep -c '^dialog: open ' "$GAME_LOG") >= wanted)); then
            xdotool key --window "$WINDOW" Return 2>/dev/null || xdotool key Return
        fi
        sleep 0.2
    done
    fail "box $wanted was not answered ($(grep -c '^dialog: open ' "$GAME_LOG") opened)"
}
# About, help, the sound question and the first level's box.
for n in 1 2 3 4; do answer_next "$n"; done

xdotool keydown --window "$WINDOW" Up space 2>/dev/null || xdotool keydown Up space
sleep 1
xdotool keyup --window "$WINDOW" Up space 2>/dev/null || xdotool keyup Up space
xdotool keydown --window "$WINDOW" Left 2>/dev/null || xdotool keydown Left
sleep 0.7
xdotool keyup --window "$WINDOW" Left 2>/dev/null || xdotool keyup Left
xdotool key --window "$WINDOW" a space 2>/dev/null || xdotool key a space
sleep 1

python3 - "$WINDOW" <<'PYTHON'
import ctypes, sys
x11 = ctypes.cdll.LoadLibrary("libX11.so.6")
x11.XOpenDisplay.restype = ctypes.c_void_p
x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
x11.XInternAtom.restype = ctypes.c_ulong
x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
x11.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long, ctypes.c_void_p]
x11.XFlush.argtypes = [ctypes.c_void_p]

class ClientMessage(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong),
                ("message_type", ctypes.c_ulong), ("format", ctypes.c_int),
                ("data", ctypes.c_long * 5), ("pad", ctypes.c_long * 12)]

display = x11.XOpenDisplay(None)
event = ClientMessage()
event.type = 33
event.window = int(sys.argv[1], 0)
event.message_type = x11.XInternAtom(display, b"WM_PROTOCOLS", 0)
event.format = 32
event.data[0] = x11.XInternAtom(display, b"WM_DELETE_WINDOW", 0)
x11.XSendEvent(display, event.window, 0, 0, ctypes.byref(event))
x11.XFlush(display)
PYTHON
# The farewell box.
answer_next 5
for _ in $(seq 600); do kill -0 "$GAME_PID" 2>/dev/null || break; sleep 0.1; done
wait "$GAME_PID"
status=$?
GAME_PID=
((status == 0)) || fail "the game exited with $status"
[[ -s $OUTPUT_DIR/run.mvr ]] || fail "no replay was written"

"$SIM_BINARY" --verify "$OUTPUT_DIR/run.mvr" >"$OUTPUT_DIR/verify.json" 2>"$OUTPUT_DIR/verify.log"
status=$?
cat "$OUTPUT_DIR/verify.json"
((status == 0)) || fail "the recorded game did not verify: $(cat "$OUTPUT_DIR/verify.log")"
python3 -c '
import json, sys
line = json.load(open(sys.argv[1]))
sys.exit(0 if line["result"] == "same" and line["tick"] >= 100 else 1)' "$OUTPUT_DIR/verify.json" ||
    fail "the replay holds too few ticks"
echo "replay_record_check: the desktop game verified as the same game"
