#!/usr/bin/env bash
# End-to-end checks of the desktop window's scale modes on virtual X servers
# with a window manager (openbox), through screenshots:
#  1. 1920 x 1080 full screen, --scale-mode sharp: the field's rows span the
#     whole height, its columns the width of its aspect, centred;
#  2. F10 goes through auto, integer, fit and back to sharp, each shown by
#     the brief indicator (on the screen, then gone) and kept in
#     settings.ini; integer shows the field at 1x again;
#  3. a 1366 x 768 screen whose panels leave a work area of 696 rows (an
#     openbox margin): the window opens inside it, with the whole field.
# Screenshots are kept in OUTPUT_DIR to be looked at.
#
# usage: scale_modes_e2e.sh PATH/TO/morvask [OUTPUT_DIR]
# Exits 0 when every check passed, 1 when one failed, 77 when the tools it
# needs are missing.
set -u

GAME_BINARY=$(realpath "${1:?usage: scale_modes_e2e.sh PATH/TO/morvask [OUTPUT_DIR]}")
OUTPUT_DIR=${2:-${TMPDIR:-/tmp}/morvask-scale-e2e}
WAIT_SECONDS=${MORVASK_E2E_WAIT:-60}
for tool in Xvfb openbox xdotool xwininfo xprop import convert; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "skipped: $tool is not installed"
        exit 77
    fi
done
rm -rf "$OUTPUT_DIR"
mkdir -p "$OUTPUT_DIR"
LOG=$OUTPUT_DIR/log.txt
GAME_PID=''
GAME_LOG=''
WINDOW=''
PASSED=0
# shellcheck source=tests/e2e/x_display.sh
source "$(dirname "$0")/x_display.sh"

say() { echo "$*" | tee -a "$LOG"; }
stop_all() {
    [[ -n $GAME_PID ]] && kill "$GAME_PID" 2>/dev/null && wait "$GAME_PID" 2>/dev/null
    GAME_PID=
    stop_x_display
}
trap stop_all EXIT
fail() {
    say "FAIL: $*"
    [[ -n $GAME_LOG && -s $GAME_LOG ]] && sed 's/^/    /' "$GAME_LOG" | tee -a "$LOG"
    exit 1
}
pass() {
    PASSED=$((PASSED + 1))
    say "ok: $*"
}

# start_screen WIDTHxHEIGHT [OPENBOX_CONFIG]: a fresh X server and openbox.
start_screen() {
    stop_all
    start_x_display "$OUTPUT_DIR" "$@" || fail "no display"
}

# start_game NAME [OPTION...]: no start-up boxes; the level's box answered.
start_game() {
    local name=$1
    shift
    export HOME=$OUTPUT_DIR/home-$name XDG_CONFIG_HOME=$OUTPUT_DIR/home-$name/config
    export SDL_AUDIODRIVER=dummy MORVASK_TRACE_DIALOGS=1
    SETTINGS=$XDG_CONFIG_HOME/morvask/settings.ini
    mkdir -p "$XDG_CONFIG_HOME/morvask"
    printf 'intro = short\nlang = en\nhud = off\n' >"$SETTINGS"
    GAME_LOG=$OUTPUT_DIR/game-$name.log
    mkdir -p "$OUTPUT_DIR/work-$name"
    (cd "$OUTPUT_DIR/work-$name" && exec "$GAME_BINARY" "$@") >"$GAME_LOG" 2>&1 &
    GAME_PID=$!
    WINDOW=
    local deadline=$((SECONDS + WAIT_SECONDS))
    while ((SECONDS < deadline)) && [[ -z $WINDOW ]]; do
        WINDOW=$(xdotool search --onlyvisible --pid "$GAME_PID" --name 'Morvask' 2>/dev/null | head -n1)
        sleep 0.1
    done
    [[ -n $WINDOW ]] || fail "$name: no window"
    wait_for_line 'dialog: open' "$name: the level's box"
    sleep 0.3
    xdotool windowfocus "$WINDOW" 2>/dev/null
    xdotool key Return
    wait_for_line 'dialog: answer' "$name: the level's box answered"
    sleep 0.5
}

# answer_boxes N: Return to each box until N have been answered.
answer_boxes() {
    local deadline=$((SECONDS + WAIT_SECONDS))
    local answered
    while ((SECONDS < deadline)); do
        answered=$(grep -c '^dialog: answer' "$GAME_LOG")
        ((answered >= $1)) && return 0
        (($(grep -c '^dialog: open' "$GAME_LOG") > answered)) && xdotool key Return
        sleep 0.3
    done
    fail "box $1 was not answered"
}

# To the editor, where no enemy ends the game while the checks take their
# time: F1, its question (Yes), the map file's absence and the level's title.
enter_editor() {
    xdotool key F1
    answer_boxes 4
    sleep 0.5
}

# wait_for_line TEXT WHAT: the game's trace says TEXT (a fixed string).
wait_for_line() {
    local deadline=$((SECONDS + WAIT_SECONDS))
    while ((SECONDS < deadline)); do
        grep -qF -- "$1" "$GAME_LOG" && return 0
        sleep 0.1
    done
    fail "$2: no \"$1\" in the game's output"
}

# The non-black part of the window's picture (the field), as WxH+X+Y.
field_geometry() {
    import -window "$WINDOW" "$OUTPUT_DIR/$1.png" 2>/dev/null || fail "no screenshot $1"
    convert "$OUTPUT_DIR/$1.png" -fuzz 3% -trim -format '%wx%h%O' info:
}

# How many pixels of the indicator's brass border the screenshot holds.
indicator_pixels() {
    convert "$OUTPUT_DIR/$1.png" -fill white -opaque '#C9A84C' \
        -fill black +opaque white -format '%[fx:int(mean*w*h)]' info:
}

# ---- 1. Sharp at 1920 x 1080 full screen -----------------------------------
start_screen 1920x1080
start_game sharp --fullscreen --scale-mode sharp
enter_editor
geometry=$(field_geometry sharp-1080)
say "sharp at 1920x1080: the field is $geometry"
[[ $geometry =~ ^(14[67][0-9])x(10[78][0-9])\+(22[0-9])\+0$ ]] ||
    fail "sharp at 1080p: the field is $geometry, not about 1473x1080+223+0"
pass "sharp fills the height of a 1080p screen"
xdotool key minus
wait_for_line "indicator: Volume 90%" "the volume's indicator"
grep -qx "volume = 90" "$SETTINGS" || fail "the volume is not kept: $(grep volume "$SETTINGS")"
pass "- shows the volume and keeps it"
sleep 1.2

# ---- 2. F10 cycles, tells, remembers ---------------------------------------
expect_mode() {
    local mode=$1 want=$2 shot=$3 # $4: what auto chose, as the indicator says it
    xdotool key F10
    wait_for_line "indicator: Scale: $mode${4:-}" "F10 to $mode"
    sleep 0.2
    local geometry count
    geometry=$(field_geometry "$shot")
    count=$(indicator_pixels "$shot")
    ((count > 100)) || fail "F10 to $mode: no indicator on the screen ($count pixels)"
    grep -qx "scale_mode = $mode" "$SETTINGS" || fail "F10 to $mode: settings.ini says $(grep scale_mode "$SETTINGS")"
    [[ $geometry =~ $want ]] || fail "F10 to $mode: the field is $geometry"
    pass "F10 to $mode: the field is $geometry, the indicator shows, settings.ini keeps it"
}
expect_mode auto '^(14[67][0-9])x(10[78][0-9])\+' f10-auto " (sharp)"
expect_mode integer '^960x704\+480\+188$' f10-integer
expect_mode fit '^(14[67][0-9])x(10[78][0-9])\+' f10-fit
expect_mode sharp '^(14[67][0-9])x(10[78][0-9])\+' f10-sharp
sleep 1.5
field_geometry indicator-gone >/dev/null
count=$(indicator_pixels indicator-gone)
((count < 20)) || fail "the indicator is still up after 1.5 s ($count pixels)"
pass "the indicator goes after its second"

# ---- 3. A laptop's 1366 x 768 with 72 rows of panels -----------------------
sed 's#<bottom>0</bottom>#<bottom>72</bottom>#' /etc/xdg/openbox/rc.xml >"$OUTPUT_DIR/rc.xml" 2>/dev/null ||
    fail "no openbox configuration to copy"
start_screen 1366x768 "$OUTPUT_DIR/rc.xml"
xprop -root _NET_WORKAREA | grep -q '0, 0, 1366, 696' ||
    fail "the work area is not 1366 x 696: $(xprop -root _NET_WORKAREA)"
start_game laptop
read -r x y width height < <(xwininfo -id "$WINDOW" |
    awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4}
         /^ *Width:/ {w=$2} /^ *Height:/ {h=$2} END {print x, y, w, h}')
say "laptop: the window's client is ${width}x${height} at $x,$y"
((y >= 0 && y + height <= 696 && x >= 0 && x + width <= 1366)) ||
    fail "the window's client ${width}x${height}+$x+$y leaves the work area 1366x696"
geometry=$(field_geometry laptop)
[[ $geometry =~ ^([0-9]+)x([0-9]+)\+([0-9]+)\+([0-9]+)$ ]] || fail "laptop: no field in $geometry"
fw=${BASH_REMATCH[1]} fh=${BASH_REMATCH[2]}
((fw >= width - 2 && fh >= height - 2 && fw * 704 / 960 - fh <= 2 && fh - fw * 704 / 960 <= 2)) ||
    fail "laptop: the field $geometry is not the whole client ${width}x${height}"
pass "a 696-row work area shows the whole field, ${fw}x${fh}, inside it"
say "$PASSED passed"
