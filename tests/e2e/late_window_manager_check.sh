#!/usr/bin/env bash
# The desktop window shows even when the window manager is still starting:
# openbox announces itself on the root window before it has finished its
# start-up, and a map request sent meanwhile can be dropped. Here openbox
# starts with an empty font cache (it scans the fonts, about a second) and
# the game starts as soon as openbox is announced; its window must still be
# shown, managed by openbox, and play on.
#
# usage: late_window_manager_check.sh PATH/TO/morvask [OUTPUT_DIR]
# Exits 0 when all holds, 1 when not, 77 when tools are missing.
set -u

GAME_BINARY=${1:?usage: late_window_manager_check.sh PATH/TO/morvask [OUTPUT_DIR]}
OUTPUT_DIR=${2:-${TMPDIR:-/tmp}/morvask-late-wm-check}
# shellcheck source=tests/e2e/desktop_game.sh
source "$(dirname "$0")/desktop_game.sh"
desktop_setup 1280x1024 none
export SDL_AUDIODRIVER=dummy
printf 'intro = short\nlang = en\nvolume = 0\n' >"$SETTINGS"

cat >"$OUTPUT_DIR/fonts.conf" <<EOF
<?xml version="1.0"?>
<!DOCTYPE fontconfig SYSTEM "fonts.dtd">
<fontconfig>
  <dir>/usr/share/fonts</dir>
  <cachedir>$OUTPUT_DIR/font-cache</cachedir>
</fontconfig>
EOF
FONTCONFIG_FILE=$OUTPUT_DIR/fonts.conf openbox --sm-disable >>"$OUTPUT_DIR/openbox.log" 2>&1 &
X_DISPLAY_PIDS+=($!)
x_display_wait 60 x_display_managed || fail "openbox did not start (see $OUTPUT_DIR/openbox.log)"

start_game
if log_says "asking again"; then
    pass "the window shows: openbox dropped its first map request, and the game asked again"
else
    pass "the window shows (openbox was ready in time: the map request was not dropped)"
fi
xprop -id "$WINDOW" WM_STATE 2>/dev/null | grep -q 'window state: Normal' ||
    fail "openbox does not manage the window: $(xprop -id "$WINDOW" WM_STATE 2>&1)"
pass "openbox manages the window"
answer_box 1 "Get ready for level 1"
pass "the game plays on: its first box was answered"
finish
