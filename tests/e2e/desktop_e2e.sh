#!/usr/bin/env bash
# End-to-end check of the desktop program on a virtual X server with no window
# manager: start it, answer its start-up boxes from the keyboard, play a
# second, take a screenshot, close the window and answer the farewell box.
#
# usage: desktop_e2e.sh PATH/TO/morvask [OUTPUT_DIR]
# Exits 0 when every check passed, 1 when one failed, 77 when the tools it
# needs (Xvfb, xdotool, xwininfo, xprop, ImageMagick, python3, procps) are
# missing.
set -u

GAME_BINARY=${1:?usage: desktop_e2e.sh PATH/TO/morvask [OUTPUT_DIR]}
OUTPUT_DIR=${2:-${TMPDIR:-/tmp}/morvask-desktop-e2e}
WAIT_SECONDS=${MORVASK_E2E_WAIT:-15}

for tool in Xvfb xdotool xwininfo xprop import convert compare identify python3 ps pgrep; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "skipped: $tool is not installed (needs xvfb, xdotool, x11-utils, imagemagick, python3, procps)"
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
# The captions are Chinese: the X tools print them as text only in a UTF-8
# locale.
export LC_ALL=C.UTF-8
# A bare X server has no desktop session bus; saying so spares the program's
# libraries an attempt to start one (which also leaks in sanitizer builds).
export DBUS_SESSION_BUS_ADDRESS=${DBUS_SESSION_BUS_ADDRESS:-disabled:}
# The game writes its settings file on first start: into the output, not
# into the home of whoever runs the tests.
export XDG_CONFIG_HOME=$OUTPUT_DIR/config

XVFB_PID=
GAME_PID=
CHECKS_PASSED=0

say() { echo "$*" | tee -a "$LOG"; }

# shellcheck disable=SC2317  # called by the trap
cleanup() {
    if [[ -n $GAME_PID ]]; then
        # The game's open message box lives in a child process of its own.
        local children
        children=$(pgrep -P "$GAME_PID" 2>/dev/null || true)
        # shellcheck disable=SC2086  # one pid a word
        kill -9 "$GAME_PID" $children 2>/dev/null
        wait "$GAME_PID" 2>/dev/null
    fi
    if [[ -n $XVFB_PID ]]; then
        kill "$XVFB_PID" 2>/dev/null
        wait "$XVFB_PID" 2>/dev/null
    fi
}
trap cleanup EXIT

fail() {
    say "FAIL: $*"
    if [[ -n ${DISPLAY:-} ]]; then
        import -window root "$OUTPUT_DIR/failure.png" 2>/dev/null &&
            say "  screen at failure: $OUTPUT_DIR/failure.png"
    fi
    if [[ -s $OUTPUT_DIR/game.log ]]; then
        say "  game output:"
        sed 's/^/    /' "$OUTPUT_DIR/game.log" | tee -a "$LOG"
    fi
    say "$CHECKS_PASSED passed, 1 failed"
    exit 1
}

pass() {
    CHECKS_PASSED=$((CHECKS_PASSED + 1))
    say "ok: $*"
}

# ---- The X server --------------------------------------------------------

DISPLAY_FILE=$OUTPUT_DIR/display
# -displayfd lets the server take the first free display number itself.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$DISPLAY_FILE" \
    >"$OUTPUT_DIR/xvfb.log" 2>&1 &
XVFB_PID=$!
for _ in $(seq 100); do
    [[ -s $DISPLAY_FILE ]] && break
    kill -0 "$XVFB_PID" 2>/dev/null || break
    sleep 0.1
done
[[ -s $DISPLAY_FILE ]] || fail "Xvfb did not start (see $OUTPUT_DIR/xvfb.log)"
DISPLAY=:$(head -n1 "$DISPLAY_FILE" | tr -d '[:space:]')
export DISPLAY
say "Xvfb on $DISPLAY"

# ---- Windows and boxes ---------------------------------------------------

# The mapped top-level windows, one id a line.
viewable_windows() {
    local id
    for id in $(xwininfo -root -children 2>/dev/null | awk '$1 ~ /^0x/ {print $1}'); do
        if xwininfo -id "$id" 2>/dev/null | grep -q 'Map State: IsViewable'; then
            echo "$id"
        fi
    done
}

window_title() {
    xprop -id "$1" _NET_WM_NAME 2>/dev/null | sed -n 's/^_NET_WM_NAME([^)]*) = "\(.*\)"$/\1/p'
}

# An ended game stays a zombie until it is waited for.
game_running() {
    local state
    state=$(ps -o stat= -p "$GAME_PID" 2>/dev/null) || return 1
    [[ $state != Z* ]]
}

# Waits for the main window; sets MAIN_WINDOW.
wait_for_main_window() {
    local deadline=$((SECONDS + WAIT_SECONDS)) id
    while ((SECONDS < deadline)); do
        game_running || fail "the game ended before its window appeared"
        for id in $(viewable_windows); do
            if [[ $(window_title "$id") == "Morvask V1.0" ]]; then
                MAIN_WINDOW=$id
                return 0
            fi
        done
        sleep 0.1
    done
    fail "no window titled \"Morvask V1.0\" within ${WAIT_SECONDS}s"
}

# Waits for a message box (a mapped top-level window other than the main
# one); sets BOX_WINDOW, BOX_CAPTION and BOX_PROCESS. SDL shows each box from
# a child process of its own, whose window may take the same id as the box
# before it: a box is known to be answered when its process has ended.
wait_for_box() {
    local deadline=$((SECONDS + WAIT_SECONDS)) id
    while ((SECONDS < deadline)); do
        game_running || fail "the game ended while a message box was awaited"
        for id in $(viewable_windows); do
            if [[ $((id)) -ne $((MAIN_WINDOW)) ]]; then
                BOX_WINDOW=$id
                BOX_CAPTION=$(window_title "$id")
                BOX_PROCESS=$(pgrep -P "$GAME_PID" 2>/dev/null | head -n1)
                return 0
            fi
        done
        sleep 0.1
    done
    fail "no message box within ${WAIT_SECONDS}s"
}

box_is_open() {
    if [[ -n $BOX_PROCESS ]]; then
        local state
        state=$(ps -o stat= -p "$BOX_PROCESS" 2>/dev/null) || return 1
        [[ $state != Z* ]]
    else
        xwininfo -id "$BOX_WINDOW" 2>/dev/null | grep -q 'Map State: IsViewable'
    fi
}

# Answers the open box with a key: a box takes keys once it has the focus.
answer_box() {
    local key=$1
    for _ in 1 2 3 4 5; do
        xdotool windowfocus "$BOX_WINDOW" 2>/dev/null
        sleep 0.1
        xdotool key "$key" 2>/dev/null
        for _ in $(seq 20); do
            box_is_open || return 0
            sleep 0.1
        done
    done
    fail "the box \"$BOX_CAPTION\" did not close on $key"
}

# Expects the next box to have this caption, then answers it.
expect_box() {
    local caption=$1 key=$2 what=$3
    wait_for_box
    [[ $BOX_CAPTION == "$caption" ]] ||
        fail "expected the $what box (caption \"$caption\"), found \"$BOX_CAPTION\""
    sleep 0.2
    import -window "$BOX_WINDOW" "$OUTPUT_DIR/box-$what.png" 2>/dev/null
    answer_box "$key"
    pass "$what box \"$caption\" answered with $key"
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

# True when the picture has more than a handful of colours and is not flat.
picture_has_content() {
    local colours deviation
    colours=$(identify -format '%k' "$1" 2>/dev/null) || return 1
    deviation=$(convert "$1" -colorspace Gray -format '%[fx:standard_deviation]' info: 2>/dev/null) ||
        return 1
    say "  $1: $colours colours, deviation $deviation"
    ((colours > 64)) && awk -v d="$deviation" 'BEGIN { exit !(d > 0.01) }'
}

# ---- The run -------------------------------------------------------------

cd "$OUTPUT_DIR/work" || fail "cannot enter $OUTPUT_DIR/work"
"$GAME_BINARY" >"$OUTPUT_DIR/game.log" 2>&1 &
GAME_PID=$!
say "game started: pid $GAME_PID"

MAIN_WINDOW=
wait_for_main_window
pass "main window $MAIN_WINDOW titled \"Morvask V1.0\""

INFO=$(xwininfo -id "$MAIN_WINDOW")
WIDTH=$(awk '/^ *Width:/ {print $2}' <<<"$INFO")
HEIGHT=$(awk '/^ *Height:/ {print $2}' <<<"$INFO")
[[ $WIDTH == 960 && $HEIGHT == 704 ]] || fail "client area is ${WIDTH}x${HEIGHT}, not 960x704"
pass "client area 960x704"

expect_box "版本信息" Return about
expect_box "帮助" Return help
# No to the sound question keeps the run silent.
expect_box "设置" Escape sound
# The level announcement has no caption.
expect_box "" Return announcement

# Play: the field must change while a move key and the gun are held.
xdotool windowfocus "$MAIN_WINDOW" 2>/dev/null
sleep 0.5
import -window "$MAIN_WINDOW" "$OUTPUT_DIR/field-before.png" ||
    fail "cannot take a screenshot of the window"
xdotool keydown Up keydown space
sleep 1
import -window "$MAIN_WINDOW" "$OUTPUT_DIR/desktop.png"
xdotool keyup space keyup Up
game_running || fail "the game ended while playing"
for box in $(viewable_windows); do
    [[ $((box)) -eq $((MAIN_WINDOW)) ]] ||
        fail "an unexpected box \"$(window_title "$box")\" opened while playing"
done
picture_has_content "$OUTPUT_DIR/desktop.png" || fail "the window shows a blank picture"
pass "the window shows a picture ($OUTPUT_DIR/desktop.png)"
CHANGED=$(compare -metric AE "$OUTPUT_DIR/field-before.png" "$OUTPUT_DIR/desktop.png" null: 2>&1)
[[ $CHANGED =~ ^[0-9]+$ && $CHANGED -gt 0 ]] || fail "the field did not change in a second of play"
pass "the field changed in a second of play ($CHANGED pixels)"

say "  resident memory: $(awk '/^VmHWM/ {print $2, $3}' "/proc/$GAME_PID/status" 2>/dev/null) at most"

# Close: the farewell box, then the program ends with code 0.
close_window "$MAIN_WINDOW" || fail "cannot send the close request"
expect_box "" Return farewell
EXIT_CODE=
for _ in $(seq $((WAIT_SECONDS * 10))); do
    if ! game_running; then
        wait "$GAME_PID"
        EXIT_CODE=$?
        break
    fi
    sleep 0.1
done
[[ -n $EXIT_CODE ]] || fail "the game did not end after the farewell box"
GAME_PID=
[[ $EXIT_CODE == 0 ]] || fail "the game ended with code $EXIT_CODE"
pass "the game ended with code 0"

# A box that could not be shown is written to standard error instead.
if grep -q '^morvask: ' "$OUTPUT_DIR/game.log"; then
    fail "the game reported problems: $(head -n3 "$OUTPUT_DIR/game.log")"
fi
pass "nothing reported on standard error"

say "$CHECKS_PASSED passed, 0 failed"
exit 0
