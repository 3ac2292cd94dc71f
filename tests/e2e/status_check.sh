#!/usr/bin/env bash
# The status around the field on the desktop: at 1920x1080 full screen the
# panel beside the field shows the level, tanks, enemies and upgrades after
# a scripted sequence (Z with Down twice: level 3; Z with F: every upgrade),
# read back through MORVASK_STATUS_FILE and checked in a screenshot (the
# panel in the right bar, the left bar black); in a 1x window the same shows
# in the title (xprop _NET_WM_NAME). On a virtual X server with a window
# manager.
#
# usage: status_check.sh PATH/TO/morvask [OUTPUT_DIR]
# Exits 0 when all holds, 1 when not, 77 when tools are missing.
set -u

GAME_BINARY=${1:?usage: status_check.sh PATH/TO/morvask [OUTPUT_DIR]}
OUTPUT_DIR=${2:-${TMPDIR:-/tmp}/morvask-status-e2e}
for tool in Xvfb openbox xdotool xprop import python3; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "skipped: $tool is not installed"
        exit 77
    fi
done
GAME_BINARY=$(cd "$(dirname "$GAME_BINARY")" && pwd)/$(basename "$GAME_BINARY")
rm -rf "$OUTPUT_DIR"
mkdir -p "$OUTPUT_DIR/work" "$OUTPUT_DIR/config/morvask"
OUTPUT_DIR=$(cd "$OUTPUT_DIR" && pwd)
export LC_ALL=C.UTF-8
export DBUS_SESSION_BUS_ADDRESS=${DBUS_SESSION_BUS_ADDRESS:-disabled:}
export XDG_CONFIG_HOME=$OUTPUT_DIR/config
export MORVASK_TRACE_DIALOGS=1
# No boxes at the start and no sound device: the first game starts at once.
printf 'intro = short\nvolume = 0\nlang = en\n' >"$XDG_CONFIG_HOME/morvask/settings.ini"
GAME_LOG=$OUTPUT_DIR/game.log
STATUS=$OUTPUT_DIR/status.txt
XVFB_PID= WM_PID= GAME_PID=

stop_game() {
    [[ -n $GAME_PID ]] && kill "$GAME_PID" 2>/dev/null && wait "$GAME_PID" 2>/dev/null
    GAME_PID=
}
cleanup() {
    stop_game
    [[ -n $WM_PID ]] && kill "$WM_PID" 2>/dev/null
    [[ -n $XVFB_PID ]] && kill "$XVFB_PID" 2>/dev/null
    wait 2>/dev/null
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*"
    [[ -f $STATUS ]] && tail -5 "$STATUS"
    [[ -f $GAME_LOG ]] && tail -5 "$GAME_LOG"
    exit 1
}
pass() { echo "ok: $*"; }

exec 3>"$OUTPUT_DIR/display"
Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp -noreset 2>"$OUTPUT_DIR/xvfb.log" &
XVFB_PID=$!
exec 3>&-
for _ in $(seq 50); do [[ -s $OUTPUT_DIR/display ]] && break; sleep 0.1; done
[[ -s $OUTPUT_DIR/display ]] || fail "Xvfb did not start"
export DISPLAY=:$(head -1 "$OUTPUT_DIR/display")
openbox >"$OUTPUT_DIR/openbox.log" 2>&1 &
WM_PID=$!
sleep 0.5

# start_game OPTIONS...: the game in the work folder, its window in WINDOW.
start_game() {
    rm -f "$STATUS"
    (cd "$OUTPUT_DIR/work" && MORVASK_STATUS_FILE=$STATUS exec "$GAME_BINARY" "$@") \
        2>>"$GAME_LOG" &
    GAME_PID=$!
    WINDOW=
    for _ in $(seq 600); do
        WINDOW=$(xdotool search --pid "$GAME_PID" --name '^Morvask V1\.0' 2>/dev/null | head -1)
        [[ -n $WINDOW ]] && break
        sleep 0.1
    done
    [[ -n $WINDOW ]] || fail "no window"
    xdotool windowactivate --sync "$WINDOW" 2>/dev/null || true
}

# wait_status TEXT: until the last line of the status file is TEXT.
wait_status() {
    for _ in $(seq 200); do
        [[ -s $STATUS && $(tail -1 "$STATUS") == "$1" ]] && return 0
        sleep 0.05
    done
    fail "the status is not \"$1\""
}

# answer_boxes N: presses Return until N boxes have been answered.
answer_boxes() {
    for _ in $(seq 100); do
        (($(grep -c '^dialog: answer ' "$GAME_LOG") >= $1)) && return 0
        if (($(grep -c '^dialog: open ' "$GAME_LOG") >= $1)); then
            xdotool key --window "$WINDOW" Return 2>/dev/null || xdotool key Return
        fi
        sleep 0.1
    done
    fail "box $1 was not answered"
}

# chord KEYS...: the keys held together for a moment (the game polls them).
chord() {
    local key
    for key in "$@"; do xdotool keydown --window "$WINDOW" "$key"; done
    sleep 0.15
    for key in "$@"; do xdotool keyup --window "$WINDOW" "$key"; done
}

: >"$GAME_LOG"
start_game --fullscreen
# The level's box of level 1, then the game.
answer_boxes 1
wait_status "panel level=1 tanks=3 enemies=20 upgrades=0/0/0/0"
pass "1920x1080 full screen: the panel shows level 1, 3 tanks, 20 enemies"
chord z Down
answer_boxes 2
chord z Down
answer_boxes 3
chord z f
wait_status "panel level=3 tanks=3 enemies=20 upgrades=2/4/4/1"
pass "after Z+Down twice and Z+F the panel shows level 3 and every upgrade"
sleep 0.3
import -window root "$OUTPUT_DIR/hud-1080p.png" || fail "no screenshot"
python3 - "$OUTPUT_DIR/hud-1080p.png" <<'PY' || fail "the screenshot does not show the panel beside the field"
import subprocess, sys
# Raw RGB rows of the screenshot through ImageMagick.
raw = subprocess.run(["convert", sys.argv[1], "-depth", "8", "rgb:-"], capture_output=True).stdout
width, height = 1920, 1080
assert len(raw) == width * height * 3, len(raw)
def lit(x0, x1, y0, y1):
    count = 0
    for y in range(y0, y1):
        row = raw[(y * width + x0) * 3:(y * width + x1) * 3]
        count += sum(1 for i in range(0, len(row), 3) if max(row[i:i + 3]) > 24)
    return count
# The field in the middle, as large as the scale mode makes it: its left
# edge is the first lit column of the middle row, and the bar on its right
# is as wide as the one on its left.
middle = raw[(height // 2) * width * 3:(height // 2 + 1) * width * 3]
bar = next(x for x in range(width) if max(middle[x * 3:x * 3 + 3]) > 24)
assert bar >= 160, bar
left, right = lit(0, bar, 0, height), lit(width - bar, width, 0, height)
print("bars of", bar, "pixels; lit pixels: left bar", left, "right bar", right)
assert left == 0 and right > 10000
PY
pass "the screenshot has the panel in the right bar and a black left bar"
stop_game

: >"$GAME_LOG"
start_game --windowed --scale 1
answer_boxes 1
wait_status "title Morvask V1.0 — Level 1 · Tanks 3 · Enemies 20 · Armour 0 Fire 0 Speed 0 Bullets 0"
# The window system has the title once the program's requests reach it.
for _ in $(seq 50); do
    name=$(xprop -id "$WINDOW" _NET_WM_NAME)
    [[ $name == *'"Morvask V1.0 — Level 1 · Tanks 3 · Enemies 20 · Armour 0 Fire 0 Speed 0 Bullets 0"'* ]] &&
        break
    sleep 0.1
done
[[ $name == *'"Morvask V1.0 — Level 1 · Tanks 3 · Enemies 20 · Armour 0 Fire 0 Speed 0 Bullets 0"'* ]] ||
    fail "the window's title is $name"
pass "a 1x window: the title reads $name"
import -window root "$OUTPUT_DIR/title-1x.png" 2>/dev/null
stop_game
echo "status_check: all holds"
