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
# shellcheck source=tests/e2e/recorded_game.sh
source "$(dirname "$0")/recorded_game.sh"
recorded_game_setup
start_game --scale 1 --record "$OUTPUT_DIR/run.mvr"

# About, help, the sound question and the first level's box.
for n in 1 2 3 4; do answer_next "$n"; done

send_keys keydown Up space
sleep 1
send_keys keyup Up space
send_keys keydown Left
sleep 0.7
send_keys keyup Left
send_keys key a space
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
wait_game_end
status=$GAME_STATUS
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
