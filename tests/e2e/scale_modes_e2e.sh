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
# shellcheck disable=SC2317  # the predicates are called through until_deadline
set -u

GAME_BINARY=${1:?usage: scale_modes_e2e.sh PATH/TO/morvask [OUTPUT_DIR]}
OUTPUT_DIR=${2:-${TMPDIR:-/tmp}/morvask-scale-e2e}
# shellcheck source=tests/e2e/desktop_game.sh
source "$(dirname "$0")/desktop_game.sh"
desktop_setup 1920x1080
export SDL_AUDIODRIVER=dummy

# start_scaled NAME [OPTION...]: fresh settings, no start-up boxes; the
# level's box answered.
start_scaled() {
    printf 'intro = short\nlang = en\nhud = off\n' >"$SETTINGS"
    GAME_NAME=$1 start_game "${@:2}"
    answer_next 1
    sleep 0.5
}

# The non-black part of the window's picture (the field), as WxH+X+Y.
field_geometry() {
    shoot "$1.png"
    convert "$OUTPUT_DIR/$1.png" -fuzz 3% -trim -format '%wx%h%O' info:
}

# How many pixels of the indicator's brass border the screenshot holds.
indicator_pixels() {
    convert "$OUTPUT_DIR/$1.png" -fill white -opaque '#C9A84C' \
        -fill black +opaque white -format '%[fx:int(mean*w*h)]' info:
}

# ---- 1. Sharp at 1920 x 1080 full screen -----------------------------------
start_scaled sharp --fullscreen --scale-mode sharp
# To the editor, where no enemy ends the game while the checks take their
# time: F1, its question (Yes), the map file's absence and the level's title.
xdotool key F1
answer_next 4
sleep 0.5
geometry=$(field_geometry sharp-1080)
[[ $geometry =~ ^(14[67][0-9])x(10[78][0-9])\+(22[0-9])\+0$ ]] ||
    fail "sharp at 1080p: the field is $geometry, not about 1473x1080+223+0"
pass "sharp fills the height of a 1080p screen: $geometry"
xdotool key minus
wait_log "indicator: Volume 90%"
grep -qx "volume = 90" "$SETTINGS" || fail "the volume is not kept: $(grep volume "$SETTINGS")"
pass "- shows the volume and keeps it"
sleep 1.2

# ---- 2. F10 cycles, tells, remembers ---------------------------------------
expect_mode() {
    local mode=$1 want=$2 shot=$3 # $4: what auto chose, as the indicator says it
    xdotool key F10
    wait_log "indicator: Scale: $mode${4:-}"
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
new_display 1366x768 "$OUTPUT_DIR/rc.xml"
# openbox sets the work area a moment after it starts managing the screen.
work_area_set() { xprop -root _NET_WORKAREA | grep -q '0, 0, 1366, 696'; }
x_display_wait 10 work_area_set || fail "the work area is not 1366 x 696: $(xprop -root _NET_WORKAREA)"
start_scaled laptop
read -r x y width height < <(xwininfo -id "$WINDOW" |
    awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4}
         /^ *Width:/ {w=$2} /^ *Height:/ {h=$2} END {print x, y, w, h}')
((y >= 0 && y + height <= 696 && x >= 0 && x + width <= 1366)) ||
    fail "the window's client ${width}x${height}+$x+$y leaves the work area 1366x696"
geometry=$(field_geometry laptop)
[[ $geometry =~ ^([0-9]+)x([0-9]+)\+([0-9]+)\+([0-9]+)$ ]] || fail "laptop: no field in $geometry"
fw=${BASH_REMATCH[1]} fh=${BASH_REMATCH[2]}
((fw >= width - 2 && fh >= height - 2 && fw * 704 / 960 - fh <= 2 && fh - fw * 704 / 960 <= 2)) ||
    fail "laptop: the field $geometry is not the whole client ${width}x${height}"
pass "a 696-row work area shows the whole field, ${fw}x${fh}, inside the client ${width}x${height}+$x+$y"
finish
