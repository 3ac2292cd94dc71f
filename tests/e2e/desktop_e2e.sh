#!/usr/bin/env bash
# End-to-end checks of the desktop program on a virtual X server with a window
# manager (openbox), through screenshots of its window:
#  1. start-up: one window of 960 x 704 (--scale 1), its boxes answered from
#     the keyboard; a second of play; the pause box inside the window with
#     the field around it, the same after a minimise and restore, and the
#     process owning exactly one top-level window; F11 covers the screen and
#     gives the window back; closing asks the farewell box and exits 0;
#  2. the start size on a large screen (twice the field), the picture scaled
#     exactly 2x, a cell painted in the editor at a 2x pointer position
#     landing in the cell under the pointer, the game silent without an audio
#     device, and a close of the window while a box is open;
#  3. a 2x display (Xft.dpi 192) opens the window at 2x, with half that as
#     its minimum size.
# The program tells which box it opens and how it was answered on standard
# error when MORVASK_TRACE_DIALOGS is set; the checks follow the boxes by it.
#
# usage: desktop_e2e.sh PATH/TO/morvask [OUTPUT_DIR]
# Exits 0 when every check passed, 1 when one failed, 77 when the tools it
# needs are missing.
set -u

GAME_BINARY=${1:?usage: desktop_e2e.sh PATH/TO/morvask [OUTPUT_DIR]}
OUTPUT_DIR=${2:-${TMPDIR:-/tmp}/morvask-desktop-e2e}
WAIT_SECONDS=${MORVASK_E2E_WAIT:-15}
HERE=$(cd "$(dirname "$0")" && pwd)
SCREEN_WIDTH=2560
SCREEN_HEIGHT=1600

for tool in Xvfb openbox xdotool wmctrl xwininfo xprop import convert identify compare python3 ps; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "skipped: $tool is not installed (needs xvfb, openbox, xdotool, wmctrl, x11-utils, imagemagick, python3, procps)"
        exit 77
    fi
done
if [[ ! -x $GAME_BINARY ]]; then
    echo "FAIL: $GAME_BINARY is not an executable"
    exit 1
fi
GAME_BINARY=$(cd "$(dirname "$GAME_BINARY")" && pwd)/$(basename "$GAME_BINARY")

rm -rf "$OUTPUT_DIR"
mkdir -p "$OUTPUT_DIR/work"
OUTPUT_DIR=$(cd "$OUTPUT_DIR" && pwd)
LOG=$OUTPUT_DIR/e2e.log
: >"$LOG"
export LC_ALL=C.UTF-8
# A bare X server has no desktop session bus; saying so spares the program's
# libraries an attempt to start one (which also leaks in sanitizer builds).
export DBUS_SESSION_BUS_ADDRESS=${DBUS_SESSION_BUS_ADDRESS:-disabled:}
# The game writes its settings file on first start: into the output, not
# into the home of whoever runs the tests.
export XDG_CONFIG_HOME=$OUTPUT_DIR/config
export MORVASK_TRACE_DIALOGS=1

# shellcheck source=tests/e2e/x_display.sh
source "$(dirname "$0")/x_display.sh"
GAME_PID=
GAME_LOG=
WINDOW=
CHECKS_PASSED=0
OPENS_SEEN=0
ANSWERS_SEEN=0

say() { echo "$*" | tee -a "$LOG"; }

# shellcheck disable=SC2317  # called by the trap
cleanup() {
    [[ -n $GAME_PID ]] && kill -9 "$GAME_PID" 2>/dev/null && wait "$GAME_PID" 2>/dev/null
    stop_x_display
}
trap cleanup EXIT

fail() {
    say "FAIL: $*"
    if [[ -n ${DISPLAY:-} ]]; then
        import -window root "$OUTPUT_DIR/failure.png" 2>/dev/null &&
            say "  screen at failure: $OUTPUT_DIR/failure.png"
    fi
    if [[ -n $GAME_LOG && -s $GAME_LOG ]]; then
        say "  game output:"
        sed 's/^/    /' "$GAME_LOG" | tee -a "$LOG"
    fi
    say "$CHECKS_PASSED passed, 1 failed"
    exit 1
}

pass() {
    CHECKS_PASSED=$((CHECKS_PASSED + 1))
    say "ok: $*"
}

# ---- The X server and the window manager ---------------------------------

start_x_display "$OUTPUT_DIR" "${SCREEN_WIDTH}x${SCREEN_HEIGHT}" || fail "no display"
say "Xvfb on $DISPLAY, ${SCREEN_WIDTH}x${SCREEN_HEIGHT}"
say "openbox is managing the screen"

# ---- The game, its window and its boxes ----------------------------------

# An ended game stays a zombie until it is waited for.
game_running() {
    local state
    state=$(ps -o stat= -p "$GAME_PID" 2>/dev/null) || return 1
    [[ $state != Z* ]]
}

# start_game NAME [OPTION...]: starts the game and waits for its window;
# sets GAME_PID, GAME_LOG and WINDOW.
start_game() {
    local name=$1
    shift
    GAME_LOG=$OUTPUT_DIR/game-$name.log
    OPENS_SEEN=0
    ANSWERS_SEEN=0
    (cd "$OUTPUT_DIR/work" && exec "$GAME_BINARY" "$@") >"$GAME_LOG" 2>&1 &
    GAME_PID=$!
    say "game \"$name\" started: pid $GAME_PID, options: $*"
    local deadline=$((SECONDS + WAIT_SECONDS)) id
    WINDOW=
    while ((SECONDS < deadline)); do
        game_running || fail "the game ended before its window appeared"
        for id in $(xdotool search --pid "$GAME_PID" --name '^Morvask V1\.0$' 2>/dev/null); do
            if xwininfo -id "$id" 2>/dev/null | grep -q 'Map State: IsViewable'; then
                WINDOW=$id
                return 0
            fi
        done
        sleep 0.1
    done
    fail "no window titled \"Morvask V1.0\" within ${WAIT_SECONDS}s"
}

# The size of the window's client area, as WIDTHxHEIGHT.
client_size() {
    xwininfo -id "$WINDOW" | awk '/^ *Width:/ {w = $2} /^ *Height:/ {h = $2} END {print w "x" h}'
}

# wait_for_size WIDTHxHEIGHT: the client area reaches that size.
wait_for_size() {
    local deadline=$((SECONDS + WAIT_SECONDS))
    while ((SECONDS < deadline)); do
        [[ $(client_size) == "$1" ]] && return 0
        sleep 0.1
    done
    fail "the window's client area is $(client_size), not $1"
}

# The process's top-level windows, as the window manager lists them.
count_top_level_windows() {
    wmctrl -lp | awk -v pid="$GAME_PID" '$3 == pid' | wc -l
}

expect_one_window() {
    local count
    count=$(count_top_level_windows)
    [[ $count == 1 ]] || fail "$1: the game has $count top-level windows, not one ($(wmctrl -lp))"
}

# expect_box CAPTION TEXT: the next box the game opens has this caption and
# this first line of text.
expect_box() {
    local caption=$1 text=$2 deadline=$((SECONDS + WAIT_SECONDS)) line
    while ((SECONDS < deadline)); do
        game_running || fail "the game ended while the box \"$text\" was awaited"
        line=$(grep '^dialog: open ' "$GAME_LOG" | sed -n "$((OPENS_SEEN + 1))p")
        if [[ -n $line ]]; then
            OPENS_SEEN=$((OPENS_SEEN + 1))
            [[ $line == "dialog: open \"$caption\" \"$text\"" ]] ||
                fail "expected the box \"$caption\" \"$text\", found: $line"
            sleep 0.2
            return 0
        fi
        sleep 0.1
    done
    fail "no box \"$text\" within ${WAIT_SECONDS}s"
}

answers_given() {
    grep -c '^dialog: answer ' "$GAME_LOG"
}

# answer KEY ANSWER: presses KEY in the window; the open box must close with
# ANSWER (ok, yes or no).
answer() {
    local key=$1 wanted=$2 deadline=$((SECONDS + WAIT_SECONDS)) line
    # A window just mapped or resized may not have the keyboard yet: a key
    # sent then is lost, so the window is given the focus first, as a click
    # on it would.
    timeout 5 xdotool windowactivate --sync "$WINDOW" >/dev/null 2>&1 || true
    xdotool key --window "$WINDOW" "$key" 2>/dev/null || xdotool key "$key"
    # Under a sanitizer on a busy machine, a key can still be lost while a
    # freshly opened window settles: after a long silence it is pressed once
    # more (a second answer would then show as a wrong one below).
    local again=$((SECONDS + WAIT_SECONDS / 2))
    while ((SECONDS < deadline)); do
        if ((again > 0 && SECONDS >= again)) && (($(answers_given) == ANSWERS_SEEN)); then
            again=0
            timeout 5 xdotool windowactivate --sync "$WINDOW" >/dev/null 2>&1 || true
            xdotool key --window "$WINDOW" "$key" 2>/dev/null || xdotool key "$key"
        fi
        if (($(answers_given) > ANSWERS_SEEN)); then
            ANSWERS_SEEN=$((ANSWERS_SEEN + 1))
            line=$(grep '^dialog: answer ' "$GAME_LOG" | sed -n "${ANSWERS_SEEN}p")
            [[ $line == "dialog: answer $wanted" ]] || fail "$key answered: $line, not $wanted"
            return 0
        fi
        sleep 0.1
    done
    fail "the box did not close on $key"
}

# Asks the window to close, as a window manager's close button does.
close_window() {
    python3 - "$1" <<'PYTHON'
import ctypes, sys
x11 = ctypes.cdll.LoadLibrary("libX11.so.6")
x11.XOpenDisplay.restype = ctypes.c_void_p
x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
x11.XInternAtom.restype = ctypes.c_ulong
x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
x11.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long, ctypes.c_void_p]
x11.XFlush.argtypes = [ctypes.c_void_p]
x11.XCloseDisplay.argtypes = [ctypes.c_void_p]

class ClientMessage(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong),
                ("message_type", ctypes.c_ulong), ("format", ctypes.c_int),
                ("data", ctypes.c_long * 5), ("pad", ctypes.c_long * 12)]

display = x11.XOpenDisplay(None)
if not display:
    sys.exit("cannot open the display")
window = int(sys.argv[1], 0)
event = ClientMessage()
event.type = 33  # ClientMessage
event.window = window
event.message_type = x11.XInternAtom(display, b"WM_PROTOCOLS", 0)
event.format = 32
event.data[0] = x11.XInternAtom(display, b"WM_DELETE_WINDOW", 0)
event.data[1] = 0  # CurrentTime
x11.XSendEvent(display, window, 0, 0, ctypes.byref(event))
x11.XFlush(display)
x11.XCloseDisplay(display)
PYTHON
}

shoot() {
    sleep 0.3
    import -window "$WINDOW" "$OUTPUT_DIR/$1" || fail "cannot take a screenshot of the window"
}

wait_for_exit() {
    local code=
    for _ in $(seq $((WAIT_SECONDS * 10))); do
        if ! game_running; then
            wait "$GAME_PID"
            code=$?
            break
        fi
        sleep 0.1
    done
    [[ -n $code ]] || fail "the game did not end"
    GAME_PID=
    [[ $code == 0 ]] || fail "the game ended with code $code"
}

stop_game() {
    kill "$GAME_PID" 2>/dev/null
    wait "$GAME_PID" 2>/dev/null
    GAME_PID=
}

# answer_start_up KEY ANSWER: the sound question is answered with KEY.
answer_start_up() {
    expect_box "版本信息" "Morvask Version 1.0"
    answer Return ok
    expect_box "帮助" "按键说明："
    answer space ok
    expect_box "设置" "是否开启游戏音效？"
    answer "$1" "$2"
    expect_box "" "准备进入第1关"
    answer Return ok
}

# ---- 1. Boxes inside the window, minimise and restore, full screen --------

start_game boxes --scale 1
wait_for_size 960x704
pass "window $WINDOW titled \"Morvask V1.0\", client area 960x704"
expect_one_window "at start"
# No to the sound question keeps the run silent.
answer_start_up Escape no
pass "the start-up boxes were answered with Return, Space, Escape and Return"

# Play: the field must change while a move key and the gun are held.
shoot field-before.png
xdotool keydown --window "$WINDOW" Up keydown --window "$WINDOW" space
sleep 1
shoot desktop.png
xdotool keyup --window "$WINDOW" space keyup --window "$WINDOW" Up
(($(grep -c '^dialog: open' "$GAME_LOG") == OPENS_SEEN)) ||
    fail "a box opened while playing: $(tail -n1 "$GAME_LOG")"
CHANGED=$(compare -metric AE "$OUTPUT_DIR/field-before.png" "$OUTPUT_DIR/desktop.png" null: 2>&1)
[[ $CHANGED =~ ^[0-9]+$ && $CHANGED -gt 0 ]] || fail "the field did not change in a second of play"
pass "the field changed in a second of play ($CHANGED pixels)"

xdotool key --window "$WINDOW" p
expect_box "" "游戏暂停！休息一下！"
shoot pause.png
python3 "$HERE/window_picture.py" dialog "$OUTPUT_DIR/pause.png" >>"$LOG" ||
    fail "the pause box is not inside the window over the field (see $OUTPUT_DIR/pause.png)"
expect_one_window "with the pause box open"
pass "the pause box is drawn inside the window, centred, with the field around it"

xdotool windowminimize "$WINDOW"
for _ in $(seq 50); do
    xwininfo -id "$WINDOW" | grep -q 'Map State: IsViewable' || break
    sleep 0.1
done
xwininfo -id "$WINDOW" | grep -q 'Map State: IsViewable' && fail "the window was not minimised"
sleep 0.3
wmctrl -i -a "$WINDOW"
for _ in $(seq 50); do
    xwininfo -id "$WINDOW" | grep -q 'Map State: IsViewable' && break
    sleep 0.1
done
shoot pause-restored.png
python3 "$HERE/window_picture.py" dialog "$OUTPUT_DIR/pause-restored.png" >>"$LOG" ||
    fail "after a restore the window lost its picture (see $OUTPUT_DIR/pause-restored.png)"
expect_one_window "after a minimise and restore"
(($(answers_given) == ANSWERS_SEEN)) || fail "minimising answered the pause box"
pass "after a minimise and restore the pause box and the field are shown again"
answer Return ok

xdotool key --window "$WINDOW" F11
wait_for_size "${SCREEN_WIDTH}x${SCREEN_HEIGHT}"
shoot fullscreen.png
pass "F11 covers the screen"
xdotool key --window "$WINDOW" F11
wait_for_size 960x704
pass "F11 again gives the window back"

close_window "$WINDOW" || fail "cannot send the close request"
expect_box "" "感谢使用！再见！"
answer Return ok
wait_for_exit
pass "closing asks the farewell box, then the game ends with code 0"
if grep -q '^morvask: ' "$GAME_LOG"; then
    fail "the game reported problems: $(grep '^morvask: ' "$GAME_LOG" | head -n3)"
fi
pass "nothing reported on standard error"

# ---- 2. Twice the field: the picture and the editor's pointer -------------

# Nine tenths of 2560 x 1600 hold twice the field.
start_game scaled
wait_for_size 1920x1408
pass "on a ${SCREEN_WIDTH}x${SCREEN_HEIGHT} screen the window opens at twice the field"
# Sound on: a machine without an audio device stays silent.
answer_start_up y yes

xdotool key --window "$WINDOW" F1
expect_box "" "是否切换到地图编辑模式？"
answer y yes
# There is no map.txt in the working directory.
expect_box "错误" "载入地图失败！"
answer Return ok
expect_box "" "第1关地图编辑"
answer Return ok

# Cell (2, 2) of level 1 is empty. Field pixel (129, 129), just inside it,
# is window pixel (258, 258) at 2x. The pointer rests elsewhere for both
# pictures, so that only the painted cell differs.
xdotool mousemove --window "$WINDOW" 1900 1390
shoot editor-before.png
python3 "$HERE/window_picture.py" scaled "$OUTPUT_DIR/editor-before.png" 2 >>"$LOG" ||
    fail "the picture is not scaled exactly 2x (see $OUTPUT_DIR/editor-before.png)"
pass "the picture is the field scaled 2x with sharp pixels"
xdotool mousemove --window "$WINDOW" 258 258
sleep 0.3
xdotool mousedown 1
sleep 0.3
xdotool mouseup 1
xdotool mousemove --window "$WINDOW" 1900 1390
shoot editor-after.png
python3 "$HERE/window_picture.py" cell "$OUTPUT_DIR/editor-before.png" \
    "$OUTPUT_DIR/editor-after.png" 256 256 128 >>"$LOG" ||
    fail "painting at window pixel 258,258 did not paint field cell 2,2 (see $OUTPUT_DIR/editor-after.png)"
pass "a click at a 2x pointer position paints the cell under the pointer"

# Closing the window while a box is open answers it as Escape does; then the
# close runs: in the editor it asks whether to save, then says goodbye.
xdotool key --window "$WINDOW" h
expect_box "帮助" "按键说明："
close_window "$WINDOW" || fail "cannot send the close request"
for _ in $(seq $((WAIT_SECONDS * 10))); do
    (($(answers_given) > ANSWERS_SEEN)) && break
    sleep 0.1
done
ANSWERS_SEEN=$((ANSWERS_SEEN + 1))
[[ $(grep '^dialog: answer ' "$GAME_LOG" | sed -n "${ANSWERS_SEEN}p") == "dialog: answer ok" ]] ||
    fail "closing the window did not answer the help box"
expect_box "" "是否保存自制地图？"
answer n no
expect_box "" "感谢使用！再见！"
answer Return ok
wait_for_exit
[[ ! -e $OUTPUT_DIR/work/map.txt ]] || fail "the map was saved though the answer was No"
pass "closing the window with a box open answers it, then asks to save and says goodbye"
OTHER_LINES=$(grep -vc '^dialog: ' "$GAME_LOG")
((OTHER_LINES <= 1)) || fail "with sound on, the game wrote $OTHER_LINES lines: $(grep -v '^dialog: ' "$GAME_LOG")"
pass "with sound on the game wrote at most one line besides the boxes: $(grep -v '^dialog: ' "$GAME_LOG")"

# ---- 3. A 2x display ------------------------------------------------------

xprop -root -format RESOURCE_MANAGER 8s -set RESOURCE_MANAGER "Xft.dpi:	192"
start_game hidpi --scale 1
wait_for_size 1920x1408
MINIMUM=$(xprop -id "$WINDOW" WM_NORMAL_HINTS | sed -n 's/.*minimum size: \([0-9]*\) by \([0-9]*\).*/\1x\2/p')
# Half the field at the display's scale: the window may shrink below 1x.
[[ $MINIMUM == 960x704 ]] || fail "the minimum size on a 2x display is \"$MINIMUM\", not 960x704"
pass "with Xft.dpi 192 the window opens at 2x (1920x1408), its minimum size is half that"
stop_game
xprop -root -remove RESOURCE_MANAGER

say "$CHECKS_PASSED passed, 0 failed"
exit 0
