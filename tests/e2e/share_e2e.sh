#!/usr/bin/env bash
# The desktop program's share keys on a virtual X server: --open of a level
# code opens the editor on it, Ctrl+Shift+C puts its link on the X clipboard
# and shows it in a box (screenshot share-box.png), and Ctrl+Shift+V takes it
# back from the clipboard onto the level; after a game lost at once,
# Ctrl+Shift+C copies its run (screenshot share-run-box.png).
# usage: share_e2e.sh PATH/TO/morvask [OUTPUT_DIR]
# Exits 0 when every check passed, 1 when one failed, 77 without the tools.
set -u
GAME_BINARY=${1:?usage: share_e2e.sh PATH/TO/morvask [OUTPUT_DIR]}
OUTPUT_DIR=${2:-${TMPDIR:-/tmp}/morvask-share-e2e}
# shellcheck source=tests/e2e/desktop_game.sh
source "$(dirname "$0")/desktop_game.sh"
desktop_setup 1280x900
export SDL_AUDIODRIVER=dummy
printf 'share_url = https://example.org/morvask/\nvolume = 0\n' >"$SETTINGS"
# A level of bricks with odd codes among them, as a file in the map's format.
for k in $(seq 0 164); do
    case $((k % 7)) in 0) printf '105 , ' ;; 3) printf '23 , ' ;; *) printf '1 , ' ;; esac
done >"$OUTPUT_DIR/level.txt"
CODE=$("$GAME_BINARY" --share "$OUTPUT_DIR/level.txt" | sed -n 's/^code: //p')
[[ -n $CODE ]] || fail "morvask --share made no code"

ctrl_shift() { xdotool keydown ctrl keydown shift key "$1" keyup shift keyup ctrl; }

GAME_NAME=open start_game --scale 1 --open "$CODE"
answer_next 4 # about, help, sound, level 1
answer_box 5 '"第1关地图编辑"'
pass "--open of a level code opens the editor on it"
sleep 0.5
ctrl_shift c
wait_box 6 '"分享" "第1关的分享码已复制到剪贴板："'
shoot share-box.png root
pass "Ctrl+Shift+C shows the level's link in a box"
answer_next 6
sleep 0.3
ctrl_shift v
wait_box 7 "分享的关卡已放到第1关"
pass "Ctrl+Shift+V takes the link back from the X clipboard"
stop_game

# map.txt for a game lost at once: every level the base beside the player's
# start, behind one brick on the right (the scenario english_game_over.sim's
# level); after its box, Ctrl+Shift+C copies the run as a link.
python3 - "$OUTPUT_DIR/work/map.txt" <<'PY'
import sys
rows = ["." * 15, "@" * 15] + ["." * 15] * 7 + ["......###......", "....#.#B#......"]
codes = {".": 0, "#": 1, "@": 7, "B": 10}
level = [codes[c] for row in rows for c in row]
open(sys.argv[1], "w").write(" , ".join(str(v) for v in level * 35) + "\r\n")
PY
GAME_NAME=run start_game --scale 1
answer_box 1 Morvask
answer_box 2 按键说明
answer_box 3 是否开启游戏音效 n
answer_box 4 准备进入第1关
xdotool key --clearmodifiers F2
answer_box 5 是否载入自制地图 y
answer_box 6 准备进入第1关
sleep 0.5
# Turned to the base and firing until the game is over.
xdotool keydown d keydown space
wait_box 7 游戏结束
xdotool keyup space keyup d
answer_box 7 游戏结束
answer_box 8 准备进入第1关
sleep 0.5
ctrl_shift c
wait_box 9 上一局的回放链接
shoot share-run-box.png root
pass "Ctrl+Shift+C after the game-over box shows the run's link"
if command -v xclip >/dev/null 2>&1; then
    xclip -o -selection clipboard >"$OUTPUT_DIR/run-link.txt" 2>/dev/null
    "$(dirname "$GAME_BINARY")/morvask-sim" --verify "$(cat "$OUTPUT_DIR/run-link.txt")" |
        grep -q '"result":"same"' || fail "the run's link on the clipboard does not verify"
    pass "the run's link on the clipboard verifies as the same game"
else
    echo "skipped: xclip is not installed to read the run's link back"
fi
finish
