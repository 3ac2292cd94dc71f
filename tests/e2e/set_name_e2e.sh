#!/usr/bin/env bash
# A named level set and the start-up's sound setting in the real window, on a
# virtual X server: with sound = off start-up shows the about and help boxes
# and no sound question; --open of a set's code names its title and author in
# its box (screenshot set-opened-box.png); the menu's share screen renames it
# (screenshot set-title-typing.png), and the set's code on the X clipboard
# then carries the new title, the player's settings file untouched.
# usage: set_name_e2e.sh PATH/TO/morvask PATH/TO/morvask-sim [OUTPUT_DIR]
# Exits 0 when every check passed, 1 when one failed, 77 without the tools.
set -u
GAME_BINARY=${1:?usage: set_name_e2e.sh PATH/TO/morvask PATH/TO/morvask-sim [OUTPUT_DIR]}
SIM_BINARY=${2:?usage: set_name_e2e.sh PATH/TO/morvask PATH/TO/morvask-sim [OUTPUT_DIR]}
OUTPUT_DIR=${3:-${TMPDIR:-/tmp}/morvask-set-name-e2e}
# shellcheck source=tests/e2e/desktop_game.sh
source "$(dirname "$0")/desktop_game.sh"
desktop_setup 1280x900
command -v xclip >/dev/null 2>&1 || { echo "skipped: xclip is not installed"; exit 77; }
export SDL_AUDIODRIVER=dummy
printf '# mine\nlang = en\nsound = off  # no question\nvolume = 0\n' >"$SETTINGS"
cp "$SETTINGS" "$OUTPUT_DIR/settings-before.ini"

# The set's code, named "Brick garden" by Lin on morvask-sim's share screen.
"$SIM_BINARY" >"$OUTPUT_DIR/named.jsonl" <<'SIM' || fail "morvask-sim could not name a set"
answer ok ok no ok
start
answer yes ok
press F1
menu
menu down
menu down
menu down
menu enter
menu down
menu down
menu enter
hold Shift
menu key B
release Shift
menu key R
menu key I
menu key C
menu key K
menu key Space
menu key G
menu key A
menu key R
menu key D
menu key E
menu key N
menu key Enter
menu down
menu enter
hold Shift
menu key L
release Shift
menu key I
menu key N
menu key Enter
menu esc
menu esc
hold Ctrl Shift
press A
release all
clipboard
SIM
CODE=$(python3 -c 'import json,sys; print([json.loads(l) for l in open(sys.argv[1]) if "\"clipboard\"" in l][-1]["text"])' "$OUTPUT_DIR/named.jsonl")
[[ -n $CODE ]] || fail "morvask-sim shared no set"

# The title and author a set's code carries (docs/share-codes.md).
names_of() {
    python3 - "$1" <<'PY'
import base64, sys
code = open(sys.argv[1]).read().strip().split("#levels=")[-1]
data = base64.urlsafe_b64decode(code + "=" * (-len(code) % 4))
at = 3
def varint():
    global at
    value = shift = 0
    while True:
        byte = data[at]; at += 1
        value |= (byte & 0x7F) << shift; shift += 7
        if byte < 0x80:
            return value
assert data[0] == 0x4D and data[2] == 2, "not a set's code"
varint()
names = []
for _ in range(2):
    length = varint(); names.append(data[at:at + length].decode()); at += length
print("|".join(names))
PY
}
ctrl_shift() { xdotool keydown ctrl keydown shift key "$1" keyup shift keyup ctrl; }

GAME_NAME=open start_game --scale 1 --open "$CODE"
answer_box 1 '"About"'
answer_box 2 '"Help"'
answer_box 3 "Get ready for level 1"
pass "sound = off: the about and help boxes, no sound question"
answer_box 4 "Editing the map of level 1"
wait_box 5 '"Share" "Opened the level set by Lin: "Brick garden"."'
shoot set-opened-box.png root
answer_next 5
pass "--open of a set's code names its title and maker in its box"
sleep 0.3
send_keys key Escape
sleep 0.3
# Share is the fourth row from the bottom (above the editor's, help and
# quit); its title and author are its last two rows.
send_keys key Up Up Up Up Return Up Up Return
sleep 0.2
for k in 1 2 3 4 5 6; do send_keys key BackSpace; done
xdotool keydown shift key w keyup shift
send_keys key a l l space 2
shoot set-title-typing.png root
send_keys key Return Escape Escape
sleep 0.3
ctrl_shift a
wait_box 6 "The code of all 35 levels"
answer_next 6
xclip -o -selection clipboard >"$OUTPUT_DIR/set-link.txt" 2>/dev/null || fail "the X clipboard holds nothing"
names=$(names_of "$OUTPUT_DIR/set-link.txt") || fail "the clipboard holds no set's code"
[[ $names == "Brick Wall 2|Lin" ]] || fail "the set's code carries \"$names\", not \"Brick Wall 2|Lin\""
cmp -s "$SETTINGS" "$OUTPUT_DIR/settings-before.ini" || fail "a shared set's name reached settings.ini"
pass "the share screen renames the set, whose code carries the new title"
stop_game
finish
