#!/usr/bin/env bash
# The desktop program's share keys on a virtual X server: --open of a level
# code opens the editor on it, Ctrl+Shift+C puts its link on the X clipboard
# and shows it in a box (screenshot share-box.png), and Ctrl+Shift+V takes it
# back from the clipboard onto the level; after a game lost at once,
# Ctrl+Shift+C copies its run (screenshot share-run-box.png).
# usage: share_e2e.sh PATH/TO/morvask [OUTPUT_DIR]
# Exits 0 when every check passed, 1 when one failed, 77 without the tools.
set -u
GAME=${1:?usage: share_e2e.sh PATH/TO/morvask [OUTPUT_DIR]}
GAME=$(cd "$(dirname "$GAME")" && pwd)/$(basename "$GAME")
OUT=${2:-${TMPDIR:-/tmp}/morvask-share-e2e}
for tool in Xvfb openbox xdotool import; do
    command -v "$tool" >/dev/null 2>&1 || { echo "skipped: $tool is not installed"; exit 77; }
done
rm -rf "$OUT" && mkdir -p "$OUT/work" "$OUT/config/morvask"
OUT=$(cd "$OUT" && pwd)
export LC_ALL=C.UTF-8 DBUS_SESSION_BUS_ADDRESS=disabled: XDG_CONFIG_HOME=$OUT/config
export MORVASK_TRACE_DIALOGS=1 SDL_AUDIODRIVER=dummy
printf 'share_url = https://example.org/morvask/\nvolume = 0\n' >"$OUT/config/morvask/settings.ini"
# A level of bricks with odd codes among them, as a file in the map's format.
for k in $(seq 0 164); do
    case $((k % 7)) in 0) printf '105 , ' ;; 3) printf '23 , ' ;; *) printf '1 , ' ;; esac
done >"$OUT/level.txt"
CODE=$("$GAME" --share "$OUT/level.txt" | head -n 1)
# map.txt for a second run: every level the base beside the player's start,
# behind one brick on the right (the scenario english_game_over.sim's level).
mkdir -p "$OUT/run"
python3 - "$OUT/run/map.txt" <<'PY'
import sys
rows = ["." * 15, "@" * 15] + ["." * 15] * 7 + ["......###......", "....#.#B#......"]
codes = {".": 0, "#": 1, "@": 7, "B": 10}
level = [codes[c] for row in rows for c in row]
open(sys.argv[1], "w").write(" , ".join(str(v) for v in level * 35) + "\r\n")
PY
[ -n "$CODE" ] || { echo "FAIL: morvask --share made no code"; exit 1; }
# shellcheck source=tests/e2e/x_display.sh
source "$(dirname "$0")/x_display.sh"
GAME_PID=
stop() {
    [ -n "$GAME_PID" ] && kill "$GAME_PID" 2>/dev/null
    stop_x_display
}
trap stop EXIT
start_x_display "$OUT" 1280x900 || exit 1
failed=0
check() {
    if eval "$2"; then echo "ok: $1"; else echo "FAIL: $1"; failed=1; fi
}
# The waits are deadlines in seconds (x_display_wait): on a loaded machine
# the game is slower to open its boxes.
# opened N LOG: the log has N box openings or more.
opened() { [ "$(grep -c '^dialog: open' "$2")" -ge "$1" ]; }
# nth_box N LOG TEXT: the N-th box opened holds TEXT (its first line).
nth_box() { grep '^dialog: open' "$2" | sed -n "${1}p" | grep -q "$3"; }
# Waits until the log has N box openings; answers the newest with Return.
answer_box() {
    x_display_wait 60 opened "$1" "$OUT/game.log" || { echo "FAIL: box $1 did not open"; failed=1; }
    sleep 0.3
    xdotool key --clearmodifiers Return
}
(cd "$OUT/work" && exec "$GAME" --scale 1 --open "$CODE" 2>"$OUT/game.log") &
GAME_PID=$!
for n in 1 2 3 4 5; do answer_box "$n"; done  # about, help, sound, level 1, editing level 1
sleep 0.5
check "--open of a level code opens the editor on it" \
    'grep -q "dialog: open \"\" \"第1关地图编辑\"" "$OUT/game.log"'
xdotool keydown ctrl keydown shift key c keyup shift keyup ctrl
x_display_wait 60 opened 6 "$OUT/game.log"
sleep 0.5
import -window root "$OUT/share-box.png"
check "Ctrl+Shift+C shows the level's link in a box" \
    'grep -q "dialog: open \"分享\" \"第1关的分享码已复制到剪贴板：\"" "$OUT/game.log"'
xdotool key --clearmodifiers Return
sleep 0.3
xdotool keydown ctrl keydown shift key v keyup shift keyup ctrl
x_display_wait 60 opened 7 "$OUT/game.log"
check "Ctrl+Shift+V takes the link back from the X clipboard" \
    'grep -q "分享的关卡已放到第1关" "$OUT/game.log"'
xdotool key --clearmodifiers Return
kill "$GAME_PID" 2>/dev/null
wait "$GAME_PID" 2>/dev/null
# A game lost at once (map.txt's level 1 has the base beside the player,
# shot): after its box, Ctrl+Shift+C copies the run as a link.
(cd "$OUT/run" && exec "$GAME" --scale 1 2>"$OUT/run.log") &
GAME_PID=$!
# Waits for the box holding TEXT (its first line) to be the N-th opened,
# then presses KEY.
answer_text() {
    x_display_wait 60 nth_box "$1" "$OUT/run.log" "$2" || { echo "FAIL: box $1 is not $2"; failed=1; }
    sleep 0.3
    xdotool key --clearmodifiers "$3"
}
answer_text 1 Morvask Return
answer_text 2 按键说明 Return
answer_text 3 是否开启游戏音效 n
answer_text 4 准备进入第1关 Return
xdotool key --clearmodifiers F2
answer_text 5 是否载入自制地图 y
answer_text 6 准备进入第1关 Return
sleep 0.5
# Turned to the base and firing until the game is over.
xdotool keydown d keydown space
x_display_wait 60 nth_box 7 "$OUT/run.log" 游戏结束
xdotool keyup space keyup d
answer_text 7 游戏结束 Return
answer_text 8 准备进入第1关 Return
sleep 0.5
xdotool keydown ctrl keydown shift key c keyup shift keyup ctrl
x_display_wait 60 grep -q "上一局的回放链接" "$OUT/run.log"
sleep 0.5
import -window root "$OUT/share-run-box.png"
check "Ctrl+Shift+C after the game-over box shows the run's link" \
    'grep "^dialog: open" "$OUT/run.log" | sed -n 9p | grep -q "上一局的回放链接"'
if command -v xclip >/dev/null 2>&1; then
    xclip -o -selection clipboard >"$OUT/run-link.txt" 2>/dev/null
    check "the run's link on the clipboard verifies as the same game" \
        '"$(dirname "$GAME")/morvask-sim" --verify "$(cat "$OUT/run-link.txt")" | grep -q "\"result\":\"same\""'
else
    echo "skipped: xclip is not installed to read the run's link back"
fi
xdotool key --clearmodifiers Return
kill "$GAME_PID" 2>/dev/null
wait "$GAME_PID" 2>/dev/null
GAME_PID=
[ "$failed" = 0 ] || cat "$OUT/game.log"
exit "$failed"
