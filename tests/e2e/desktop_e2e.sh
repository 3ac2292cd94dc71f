#!/usr/bin/env bash
# End-to-end checks of the desktop program on a virtual X server with a window
# manager (openbox), through screenshots of its window:
#  1. start-up: one window of 960 x 704 (--scale 1), its boxes answered from
#     the keyboard; a second of play; the pause box inside the window with
#     the field around it, the same after a minimise and restore, and the
#     process owning exactly one top-level window; F11 covers the screen and
#     gives the window back; closing asks the farewell box and exits 0; the
#     game, recorded, plays back as the same game in morvask-sim --verify;
#  2. the start size on a large screen (twice the field), the picture scaled
#     exactly 2x, a cell painted in the editor at a 2x pointer position
#     landing in the cell under the pointer, the game silent without an audio
#     device, and a close of the window while a box is open;
#  3. a 2x display (Xft.dpi 192) opens the window at 2x, with half that as
#     its minimum size.
# The program tells which box it opens and how it was answered on standard
# error when MORVASK_TRACE_DIALOGS is set; the checks follow the boxes by it.
#
# usage: desktop_e2e.sh PATH/TO/morvask PATH/TO/morvask-sim [OUTPUT_DIR]
# Exits 0 when every check passed, 1 when one failed, 77 when the tools it
# needs are missing.
# shellcheck disable=SC2317,SC2015  # predicates called through waits; A && B || fail
set -u

GAME_BINARY=${1:?usage: desktop_e2e.sh PATH/TO/morvask PATH/TO/morvask-sim [OUTPUT_DIR]}
SIM_BINARY=${2:?usage: desktop_e2e.sh PATH/TO/morvask PATH/TO/morvask-sim [OUTPUT_DIR]}
OUTPUT_DIR=${3:-${TMPDIR:-/tmp}/morvask-desktop-e2e}
HERE=$(cd "$(dirname "$0")" && pwd)
SCREEN=2560x1600
# shellcheck source=tests/e2e/desktop_game.sh
source "$HERE/desktop_game.sh"
WINDOW_NAME='^Morvask V1\.0$'
desktop_setup "$SCREEN"

client_size() {
    xwininfo -id "$WINDOW" | awk '/^ *Width:/ {w = $2} /^ *Height:/ {h = $2} END {print w "x" h}'
}
size_is() { [[ $(client_size) == "$1" ]]; }
wait_for_size() { until_deadline size_is "$1" || fail "the window's client area is $(client_size), not $1"; }

# The process's top-level windows, as the window manager lists them.
expect_one_window() {
    local count
    count=$(wmctrl -lp | awk -v pid="$GAME_PID" '$3 == pid' | wc -l)
    ((count == 1)) || fail "$1: the game has $count top-level windows, not one ($(wmctrl -lp))"
}

# picture FACT SHOT... WHY: pictures.py finds FACT in the screenshots.
picture() {
    python3 "$HERE/pictures.py" "${@:1:$#-1}" >>"$OUTPUT_DIR/pictures.log" || fail "${*: -1}"
}

viewable() { xwininfo -id "$WINDOW" | grep -q 'Map State: IsViewable'; }
hidden() { ! viewable; }

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

GAME_NAME=boxes start_game --scale 1 --record "$OUTPUT_DIR/boxes.mvr"
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
(($(opened) == OPENS_SEEN)) || fail "a box opened while playing: $(box_line "$(opened)")"
CHANGED=$(compare -metric AE "$OUTPUT_DIR/field-before.png" "$OUTPUT_DIR/desktop.png" null: 2>&1)
[[ $CHANGED =~ ^[0-9]+$ && $CHANGED -gt 0 ]] || fail "the field did not change in a second of play"
pass "the field changed in a second of play ($CHANGED pixels)"

xdotool key --window "$WINDOW" p
expect_box "" "游戏暂停！休息一下！"
shoot pause.png
picture dialog "$OUTPUT_DIR/pause.png" "the pause box is not inside the window over the field"
expect_one_window "with the pause box open"
pass "the pause box is drawn inside the window, centred, with the field around it"

xdotool windowminimize "$WINDOW"
x_display_wait 5 hidden || fail "the window was not minimised"
sleep 0.3
wmctrl -i -a "$WINDOW"
x_display_wait 5 viewable
shoot pause-restored.png
picture dialog "$OUTPUT_DIR/pause-restored.png" "after a restore the window lost its picture"
expect_one_window "after a minimise and restore"
(($(answered) == ANSWERS_SEEN)) || fail "minimising answered the pause box"
pass "after a minimise and restore the pause box and the field are shown again"
answer Return ok

# A box that opens in play takes no key for a moment: Return mashed from the
# moment it opens closes it only after the trace says it takes answers.
xdotool key --window "$WINDOW" p
until_deadline box_opened || fail "P opened no box the second time"
OPENS_SEEN=$((OPENS_SEEN + 1))
xdotool key --window "$WINDOW" --repeat 25 --delay 40 Return
expect_answer ok
LAST_BOX=$(grep -E '^dialog: (open|ready|answer)' "$GAME_LOG" | tail -n 3 | cut -d' ' -f2 | tr '\n' ' ')
[[ $LAST_BOX == "open ready answer " ]] || fail "the mashed box went: $LAST_BOX"
pass "keys mashed as the box opened were not taken before it was ready"

xdotool key --window "$WINDOW" F11
wait_for_size "$SCREEN"
shoot fullscreen.png
pass "F11 covers the screen"
xdotool key --window "$WINDOW" F11
wait_for_size 960x704
pass "F11 again gives the window back"

close_window
expect_box "" "感谢使用！再见！"
answer Return ok
wait_game_end
((GAME_STATUS == 0)) || fail "the game ended with code $GAME_STATUS"
pass "closing asks the farewell box, then the game ends with code 0"
if grep -q '^morvask: ' "$GAME_LOG"; then
    fail "the game reported problems: $(grep '^morvask: ' "$GAME_LOG" | head -n3)"
fi
pass "nothing reported on standard error"
# The desktop program and the headless one are the same game tick for tick,
# boxes, keys, pauses, a minimised window and full screen included.
"$SIM_BINARY" --verify "$OUTPUT_DIR/boxes.mvr" >"$OUTPUT_DIR/verify.json" 2>&1 &&
    python3 -c 'import json, sys; line = json.load(open(sys.argv[1]))
sys.exit(line["result"] != "same" or line["tick"] < 100)' "$OUTPUT_DIR/verify.json" ||
    fail "the recorded game did not verify as the same game: $(cat "$OUTPUT_DIR/verify.json")"
pass "the recorded game verifies as the same game: $(cat "$OUTPUT_DIR/verify.json")"

# ---- 2. Twice the field: the picture and the editor's pointer -------------

# Nine tenths of 2560 x 1600 hold twice the field.
GAME_NAME=scaled start_game
wait_for_size 1920x1408
pass "on a $SCREEN screen the window opens at twice the field"
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
picture scaled "$OUTPUT_DIR/editor-before.png" 2 "the picture is not scaled exactly 2x"
pass "the picture is the field scaled 2x with sharp pixels"
xdotool mousemove --window "$WINDOW" 258 258
sleep 0.3
xdotool mousedown 1
sleep 0.3
xdotool mouseup 1
xdotool mousemove --window "$WINDOW" 1900 1390
shoot editor-after.png
picture cell "$OUTPUT_DIR/editor-before.png" "$OUTPUT_DIR/editor-after.png" 256 256 128 \
    "painting at window pixel 258,258 did not paint field cell 2,2"
pass "a click at a 2x pointer position paints the cell under the pointer"

# Closing the window while a box is open answers it as Escape does; then the
# close runs: in the editor it asks whether to save, then says goodbye.
xdotool key --window "$WINDOW" h
expect_box "帮助" "按键说明："
close_window
expect_answer ok
expect_box "" "是否保存自制地图？"
answer n no
expect_box "" "感谢使用！再见！"
answer Return ok
wait_game_end
[[ ! -e $OUTPUT_DIR/work/map.txt ]] || fail "the map was saved though the answer was No"
pass "closing the window with a box open answers it, then asks to save and says goodbye"
OTHER_LINES=$(grep -vc '^dialog: ' "$GAME_LOG")
((OTHER_LINES <= 1)) || fail "with sound on, the game wrote $OTHER_LINES lines: $(grep -v '^dialog: ' "$GAME_LOG")"
pass "with sound on the game wrote at most one line besides the boxes: $(grep -v '^dialog: ' "$GAME_LOG")"

# ---- 3. A 2x display ------------------------------------------------------

xprop -root -format RESOURCE_MANAGER 8s -set RESOURCE_MANAGER "Xft.dpi:	192"
GAME_NAME=hidpi start_game --scale 1
wait_for_size 1920x1408
MINIMUM=$(xprop -id "$WINDOW" WM_NORMAL_HINTS | sed -n 's/.*minimum size: \([0-9]*\) by \([0-9]*\).*/\1x\2/p')
# Half the field at the display's scale: the window may shrink below 1x.
[[ $MINIMUM == 960x704 ]] || fail "the minimum size on a 2x display is \"$MINIMUM\", not 960x704"
pass "with Xft.dpi 192 the window opens at 2x (1920x1408), its minimum size is half that"
stop_game
finish
