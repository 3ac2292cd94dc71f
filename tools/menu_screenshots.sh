#!/usr/bin/env bash
# The pictures of Esc's menu and its options screen in docs/menu/: the
# desktop program on a virtual X server at 1366x768 and 1920x1080 (full
# screen), in Chinese and in English.
# usage: tools/menu_screenshots.sh PATH/TO/morvask [DOCS_MENU_DIR]
set -u
GAME_BINARY=${1:?usage: menu_screenshots.sh PATH/TO/morvask [DOCS_MENU_DIR]}
TARGET=$(realpath "${2:-$(dirname "$0")/../docs/menu}")
OUTPUT_DIR=${TMPDIR:-/tmp}/morvask-menu-shots
mkdir -p "$TARGET"
# shellcheck source=tests/e2e/desktop_game.sh
source "$(dirname "$0")/../tests/e2e/desktop_game.sh"

shots() {
    local size=$1 lang=$2
    printf 'intro = short\nvolume = 0\nlang = %s\nfullscreen = yes\n' "$lang" >"$SETTINGS"
    start_game
    answer_next 1
    sleep 1
    send_keys key Escape
    sleep 0.5
    import -window root "$TARGET/menu-$lang-$size.png"
    # Options: the sixth row (below Play online and Choose level).
    send_keys key Down Down Down Down Down Return
    sleep 0.5
    import -window root "$TARGET/options-$lang-$size.png"
    send_keys key Escape Escape
    kill -INT "$GAME_PID"
    wait_game_end
}

desktop_setup 1366x768
shots 1366x768 zh
shots 1366x768 en
new_display 1920x1080
shots 1920x1080 zh
shots 1920x1080 en
finish
