#!/usr/bin/env bash
# End-to-end check of the Windows program and its installer under Wine, in a
# fresh prefix on a private X server:
#  - the installer installs silently (/S): the program, the Start menu
#    shortcut, the uninstaller registered with its icon and version;
#  - the installed game starts from its shortcut's folder; the about box's
#    Chinese is readable; the start-up boxes are answered; a few seconds of
#    play are photographed;
#  - the window resized to twice the field shows the same picture at 2x;
#    F11 covers the screen with the field centred on black, Alt+Enter comes
#    back; + and - change the volume and the settings file remembers it; a
#    move to a 2x monitor (WM_DPICHANGED) doubles the window and back;
#  - with Wine's DPI at 192 the window opens at 2x, and an editor click at
#    2x paints the cell under the pointer and no other;
#  - the uninstaller removes the program, its shortcut and its registration
#    silently, and leaves the player's settings and map.
#
# Usage: wine_check.sh path/to/morvask.exe [directory for the screenshots]
# The installer is the morvask-*-setup.exe beside the program (MORVASK_SETUP
# names another). Exits 77 (skipped) when Wine, Xvfb, xdotool, ImageMagick
# or the cross compiler (for the probe) is missing.
set -euo pipefail

if [ $# -lt 1 ] || [ ! -f "$1" ]; then
    echo "usage: $0 path/to/morvask.exe [screenshot directory]" >&2
    exit 2
fi
exe="$(realpath "$1")"
shot_dir="${2:-}"
here="$(dirname "$(realpath "$0")")"
setup="${MORVASK_SETUP:-$(ls "$(dirname "$exe")"/morvask-*-setup.exe 2>/dev/null | head -1 || true)}"

skip() {
    echo "skipped: $*"
    exit 77
}
for tool in wine wineboot wineserver winepath Xvfb xdotool import convert python3 fc-list strings \
    x86_64-w64-mingw32-gcc; do
    command -v "$tool" >/dev/null 2>&1 || skip "$tool is not installed"
done
[ -n "$setup" ] && [ -f "$setup" ] || {
    echo "FAIL: no installer beside $exe (scripts/build-windows makes it)"
    exit 1
}
setup="$(realpath "$setup")"

started=$SECONDS
work="$(mktemp -d "${TMPDIR:-/tmp}/morvask-wine.XXXXXX")"
wine_pid=""
# shellcheck source=tests/e2e/x_display.sh
source "$here/x_display.sh"
cleanup() {
    # Only what this script started: its own prefix's server and its own X.
    if [ -d "$work/prefix" ]; then WINEPREFIX="$work/prefix" wineserver -k 2>/dev/null || true; fi
    if [ -n "$wine_pid" ]; then kill "$wine_pid" 2>/dev/null || true; fi
    stop_x_display
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*"
    if [ -n "${DISPLAY:-}" ] && [ -n "$shot_dir" ]; then
        mkdir -p "$shot_dir"
        import -window root "$shot_dir/windows-wine-failure.png" 2>/dev/null || true
    fi
    if [ -s "$work/wine.log" ]; then tail -20 "$work/wine.log"; fi
    echo "0 passed, 1 failed"
    exit 1
}

step() { printf '[%3ds] %s\n' "$((SECONDS - started))" "$*"; }

# ---- A private X server without a window manager. Its screen holds a 2x
# window with its frame, and its nine tenths do not hold 2x, so that the
# window opens at 1x at 96 dpi.
screen_w=2000
screen_h=1600
start_x_display "$work" "${screen_w}x${screen_h}" none || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
step "Xvfb on $DISPLAY"

# ---- A fresh prefix, without the Mono and Gecko installers' prompts.
export WINEPREFIX="$work/prefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree=;mshtml="
unset WINEARCH
timeout 300 wineboot -i >"$work/wineboot.log" 2>&1 || fail "wineboot failed: $(tail -5 "$work/wineboot.log")"
timeout 120 wineserver -w || true
step "prefix ready"

windows_fonts="$WINEPREFIX/drive_c/windows/Fonts"
# Wine's own fonts (Tahoma, and Marlett for the caption buttons) go into the
# prefix, where Wine finds them whatever its data directory is.
if [ -d /usr/share/wine/fonts ]; then
    cp /usr/share/wine/fonts/*.ttf "$windows_fonts/" 2>/dev/null || true
fi

# Tahoma has no Chinese. Wine links it to fallback fonts, but rewrites those
# links whenever a program runs in another code page than the one before
# (the game runs in UTF-8, Wine's own programs do not), always to a list
# that names SIMSUN.TTC as SimSun. So the CJK font goes in under that file
# name, and SimSun stands for its family.
cjk_file="$(fc-list ':lang=zh-cn:style=Regular' file family 2>/dev/null |
    awk -F': ' '$2 ~ /(^|,)Noto Sans CJK SC(,|$)/ { print $1; exit }' || true)"
[ -n "$cjk_file" ] || fail "no Noto Sans CJK SC font (fonts-noto-cjk): the boxes would show empty squares"
ln -s "$cjk_file" "$windows_fonts/simsun.ttc"

# REG_MULTI_SZ as hex(7) in a REGEDIT4 file: the bytes of "file,family" in
# the ANSI code page, and the closing NULs.
multi_sz() {
    printf '%s' "$1" | od -An -tx1 -v | tr -s ' \n' ',' | sed 's/^,//;s/,$//'
}
{
    printf 'REGEDIT4\r\n\r\n'
    printf '[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontSubstitutes]\r\n'
    printf '"SimSun"="Noto Sans CJK SC"\r\n\r\n'
    # The bold captions; Wine leaves this link alone.
    printf '[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontLink\\SystemLink]\r\n'
    printf '"Tahoma Bold"=hex(7):%s,00,00\r\n\r\n' "$(multi_sz 'SIMSUN.TTC,SimSun')"
    # No window manager here: Wine draws the captions and frames itself.
    printf '[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\r\n"Decorated"="N"\r\n'
} >"$work/settings.reg"
timeout 60 wine regedit /S "$work/settings.reg" >/dev/null 2>&1 || fail "regedit failed"
timeout 60 wineserver -w || true
step "Chinese through $(basename "$cjk_file") as SimSun"

# The probe asks Windows about the game's window, and changes it.
x86_64-w64-mingw32-gcc -O1 -o "$work/window_probe.exe" "$here/window_probe.c" ||
    fail "the window probe did not build"
probe() { timeout 60 wine "$work/window_probe.exe" "$@" 2>/dev/null | tr -d '\r'; }

# Waits until the probe answers what is expected: expect_probe WANTED ARGS...
probe_says() { [ "$(probe "${@:2}")" = "$1" ]; }
expect_probe() { x_display_wait 30 probe_says "$@" || fail "probe ${*:2}: '$(probe "${@:2}")', not '$1'"; }

windows_path() { timeout 60 wine cmd /c echo "%$1%" 2>/dev/null | tr -d '\r'; }
appdata="$(winepath -u "$(windows_path APPDATA)")"
localappdata="$(winepath -u "$(windows_path LOCALAPPDATA)")"
install_dir="$localappdata/Programs/Morvask"
shortcut="$appdata/Microsoft/Windows/Start Menu/Programs/Morvask.lnk"
player_dir="$appdata/Morvask"
uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Morvask'

# ---- The installer, silently.
timeout 120 wine "$setup" /S >"$work/setup.log" 2>&1 || fail "the installer failed: $(tail -5 "$work/setup.log")"
cmp -s "$install_dir/morvask.exe" "$exe" || fail "the installer did not put morvask.exe in $install_dir"
for file in uninstall.exe README.txt LICENSE.txt; do
    [ -f "$install_dir/$file" ] || fail "the installer did not put $file in $install_dir"
done
[ -f "$shortcut" ] || fail "no Start menu shortcut"
link_strings="$(strings "$shortcut"; strings -el "$shortcut")"
grep -qi 'Programs\\Morvask\\morvask.exe' <<<"$link_strings" ||
    fail "the shortcut does not start the installed program"
grep -qi 'Roaming\\Morvask$' <<<"$link_strings" ||
    fail "the shortcut does not start in the player's folder"
registered="$(timeout 60 wine reg query "$uninstall_key" 2>/dev/null | tr -d '\r')"
for value in 'DisplayName +REG_SZ +Morvask$' 'DisplayVersion +REG_SZ +1\.0\.0$' \
    'DisplayIcon +REG_SZ +.*\\morvask\.exe,0$' 'UninstallString +REG_SZ +".*\\uninstall\.exe"$' \
    'QuietUninstallString +REG_SZ +".*\\uninstall\.exe" /S$'; do
    grep -qE "^ +$value" <<<"$registered" || fail "the uninstaller's registration lacks $value"
done
step "installed in $(basename "$install_dir"), shortcut and uninstaller registered"

# ---- The installed game, in the folder its shortcut starts it in.
# Wine names the X windows' class after the program's file.
window_class=morvask.exe
start_game() {
    mkdir -p "$player_dir"
    # What the status shows, a line each time it changes (Z: is the root).
    (cd "$player_dir" && MORVASK_STATUS_FILE="Z:$work/status.txt" \
        exec wine "$install_dir/morvask.exe") >"$work/wine.log" 2>&1 &
    wine_pid=$!
}

# Visible top-level windows of the program, one "id<TAB>caption" a line.
program_windows() {
    local id
    for id in $(xdotool search --onlyvisible --classname "$window_class" 2>/dev/null); do
        printf '%s\t%s\n' "$id" "$(xdotool getwindowname "$id" 2>/dev/null || true)"
    done
}

running() { kill -0 "$wine_pid" 2>/dev/null; }
main_window=""
main_found() {
    running || fail "the program ended before its window appeared"
    # The game's title, or it with the status after it (hud = auto).
    main_window="$(program_windows | awk -F'\t' 'index($2, "Morvask V1.0") == 1 { print $1; exit }')"
    [ -n "$main_window" ]
}
wait_for_main() { x_display_wait 60 main_found || fail "no window titled 'Morvask V1.0' appeared"; }

# The message box open now (a window of the program other than the main one):
# sets box and box_caption.
box=""
box_caption=""
box_found() {
    local line
    line="$(program_windows | awk -F'\t' -v main="$main_window" '$1 != main { print; exit }')"
    box="${line%%$'\t'*}"
    box_caption="${line#*$'\t'}"
    [ -n "$line" ]
}
box_awaited() { running || fail "the program ended while a box was awaited"; box_found; }
wait_for_box() { x_display_wait 30 box_awaited || fail "no box appeared"; }
box_gone() { ! program_windows | cut -f1 | grep -qx "$box"; }

# Waits for the box with the caption given, focuses it and presses the key.
answer_box() {
    local caption="$1" key="$2"
    wait_for_box
    [ "$box_caption" = "$caption" ] || fail "expected the box '$caption', found '$box_caption'"
    sleep 0.3
    xdotool windowfocus --sync "$box" 2>/dev/null || true
    sleep 0.2
    # A box takes no key for a moment after it opens (the reading pause): a
    # key that came too early on a slow machine is pressed once more.
    xdotool key "$key"
    x_display_wait 5 box_gone || xdotool key "$key"
    x_display_wait 10 box_gone || fail "the box '$caption' did not close on $key"
    step "answered '${caption:-(no caption)}' with $key"
}

focus_main() {
    xdotool windowfocus --sync "$main_window" 2>/dev/null || true
    sleep 0.3
}

# Waits for the program to end; fails unless it exits with 0.
ended() { ! running; }
expect_clean_exit() {
    local status=0
    x_display_wait 30 ended || fail "the program did not end after the farewell box"
    wait "$wine_pid" || status=$?
    wine_pid=""
    [ "$status" -eq 0 ] || fail "wine exited with $status"
    step "wine exited with 0"
}

# The box's position on the screen as X,Y,W,H.
box_rect() {
    local X Y WIDTH HEIGHT
    eval "$(xdotool getwindowgeometry --shell "$box" | grep -E '^(X|Y|WIDTH|HEIGHT)=')"
    echo "$X,$Y,$WIDTH,$HEIGHT"
}

# "WxH+X+Y" of the probe's client answer, split.
client_origin() { probe client | sed 's/^[0-9]*x[0-9]*+\([0-9-]*\)+\([0-9-]*\)$/\1 \2/'; }

settings_value() { sed -n "s/^$1 *= *//p" "$player_dir/settings.ini" | tr -d '\r'; }

# ==== At 96 dpi ================================================================
start_game
wait_for_main
step "main window $main_window"
expect_probe "framed" frame-kind
client="$(probe client)"
[ "${client%%+*}" = "960x704" ] || fail "the window opened with a client of $client, not 960x704"
step "opened at 1x: client $client"

# shows SHOT WINDOW FACT ARGS...: a screenshot of WINDOW (root: the screen)
# shows FACT (pictures.py). Waited for: a window repaints when it gets to it.
shows() { import -window "$2" "$work/$1" && python3 "$here/pictures.py" "$3" "$work/$1" "${@:4}"; }

# The about box: its Chinese in real glyphs.
wait_for_box
[ "$box_caption" = "版本信息" ] || fail "the first box is '$box_caption', not the about box"
x_display_wait 5 shows about.png "$box" readable || fail "the about box is not readable"
answer_box "版本信息" Return
answer_box "帮助" Return
answer_box "设置" n  # No: the check stays silent
answer_box "" Return # the announcement of level 1

# ---- A few seconds of play, with held keys polled by GetAsyncKeyState.
focus_main
hold() {
    xdotool keydown "$1"
    sleep "$2"
    xdotool keyup "$1"
}
hold Left 0.8
hold space 1.0
hold Up 0.8
xdotool keydown space
sleep 0.4
import -window "$main_window" "$work/battlefield.png"
xdotool keyup space
colours="$(convert "$work/battlefield.png" -gravity center -crop 900x600+0+0 +repage -format '%k' info:)"
step "battlefield screenshot: $colours colours in the field"
[ "$colours" -ge 64 ] || fail "the battlefield looks blank ($colours colours)"

# ---- The window's own keys in play: the volume, remembered; F11 and
# Alt+Enter (the game goes on meanwhile: a few seconds only).
volume_is() { [ "$(settings_value volume)" = "$1" ]; }
expect_volume() {
    x_display_wait 10 volume_is "$1" || fail "$2 left the volume at '$(settings_value volume)', not $1"
}
focus_main
xdotool key minus minus
expect_volume 80 "two presses of -"
step "- - took the volume to 80, remembered"

# ---- The status follows the game's title at 1x, where the bar beside the
# field has no room for the panel.
status_now() { [ -f "$work/status.txt" ] && tail -n 1 "$work/status.txt" | grep -q "$1"; }
expect_status() { x_display_wait 10 status_now "$1" || fail "the status shows '$(tail -n 1 "$work/status.txt" 2>/dev/null)', not '$1'"; }
expect_status "^title Morvask V1.0 — "

focus_main
xdotool key F11
expect_probe "${screen_w}x${screen_h}+0+0" client
expect_probe "popup" frame-kind
[ "$(settings_value fullscreen)" = yes ] || fail "full screen was not remembered"
# 2x fits the screen: the field at 1920 x 1408 in the middle, black around.
x_display_wait 5 shows fullscreen.png root framed "$screen_w" "$screen_h" \
    $(((screen_w - 1920) / 2)) $(((screen_h - 1408) / 2)) 1920 1408 ||
    fail "full screen does not show the field centred on black"
step "F11: full screen, the field at 2x on black bars"
focus_main
xdotool key alt+Return
expect_probe "framed" frame-kind
expect_probe "960x704" client-size
[ "$(settings_value fullscreen)" = no ] || fail "leaving full screen was not remembered"
step "Alt+Enter: back to the window at 960x704"

# ---- The help box over the field, which stands still while it is open: the
# field at 1x, then in a window twice the field, the same picture at 2x.
focus_main
xdotool key h
wait_for_box
[ "$box_caption" = "帮助" ] || fail "H opened '$box_caption', not the help"
sleep 0.5
import -screen -window "$main_window" "$work/box.png"
read -r one_x one_y <<<"$(client_origin)"
import -window root "$work/one.png"
probe resize 1920 1408
expect_probe "1920x1408" client-size
read -r two_x two_y <<<"$(client_origin)"
# The window repaints itself from the kept frame; a busy machine may take a
# while.
x_display_wait 10 shows two.png root doubled "$two_x" "$two_y" "$work/one.png" "$one_x" "$one_y" \
    "$(box_rect)" || fail "the window at twice the field does not show it at 2x"
step "resized to 1920x1408: the field shows at 2x"

# The window's own keys work while a box has the keyboard.
xdotool windowfocus --sync "$box" 2>/dev/null || true
sleep 0.2
xdotool key plus
expect_volume 90 "+ in the help box"
xdotool key F11
expect_probe "popup" frame-kind
expect_probe "${screen_w}x${screen_h}" client-size
xdotool key alt+Return
expect_probe "framed" frame-kind
expect_probe "1920x1408" client-size
step "in the help box: + took the volume to 90, F11 and Alt+Enter switched"

# ---- The status in a panel where the bar right of the field has room for
# one (a client of 1400 x 704: the field at 1x, bars of 220, the panel 176 x
# 586 at unit 1.375, the menu's hint under its rows), drawn as the window
# repaints behind the help box (the game stands still meanwhile); in the
# title again at 960 x 704.
probe resize 1400 704
expect_probe "1400x704" client-size
expect_status "^panel level=1 tanks=[0-9]* enemies=[0-9]* upgrades="
# The volume's indicator of a moment ago leaves the caption by its own timer,
# with the game standing still under the box.
title_plain() {
    [[ "$(program_windows | awk -F'\t' -v main="$main_window" '$1 == main { print $2 }')" == "Morvask V1.0" ]]
}
x_display_wait 5 title_plain ||
    fail "with the panel showing, the title still tells the status: $(program_windows | awk -F'\t' -v main="$main_window" '$1 == main { print $2 }')"
read -r client_x client_y <<<"$(client_origin)"
x_display_wait 5 shows panel.png root panel $((client_x + 1202)) "$client_y" 176 586 ||
    fail "the panel is not drawn in the bar right of the field"
convert "$work/panel.png" -crop "1400x704+$client_x+$client_y" +repage "$work/panel-window.png"
step "status: a panel beside the field at 1400x704 ($(tail -n 1 "$work/status.txt"))"

# ---- A move to a monitor of 192 dpi and back: the field keeps its size in
# the monitor's units.
probe resize 960 704
expect_probe "960x704" client-size
expect_status "^title Morvask V1.0 — "
probe dpi 192
expect_probe "1920x1408" client-size
probe resize 960 704
sleep 0.5
[ "$(probe client-size)" = "1920x1408" ] || fail "at 192 dpi the window shrank below 2x"
probe dpi 96
expect_probe "960x704" client-size
step "WM_DPICHANGED: 960x704 -> 1920x1408 (and no smaller) -> 960x704"
answer_box "帮助" Return
# The help's second page follows: the keys the game adds.
answer_box "帮助（第2页）" Return

# ---- Closing: Alt+F4, the farewell box, and a clean exit. The game went on
# between the boxes: a box it opened meanwhile (the level's end, the game's)
# is answered too, and the window closed again.
box_or_end() { box_found || ended; }
for _ in $(seq 1 4); do
    running || break
    if ! box_found; then
        focus_main
        xdotool key alt+F4
    fi
    x_display_wait 5 box_or_end || true
    running || break
    answer_box "" Return
    x_display_wait 5 ended || true
done
expect_clean_exit

if [ -n "$shot_dir" ]; then
    mkdir -p "$shot_dir"
    cp "$work/battlefield.png" "$shot_dir/windows-wine.png"
    cp "$work/panel-window.png" "$shot_dir/windows-wine-panel.png"
    convert "$work/box.png" +repage "$shot_dir/windows-wine-box.png"
fi

# ==== At 192 dpi ===============================================================
timeout 60 wineserver -k || true
{
    printf 'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Control Panel\\Desktop]\r\n'
    printf '"LogPixels"=dword:000000c0\r\n'
} >"$work/dpi.reg"
timeout 60 wine regedit /S "$work/dpi.reg" >/dev/null 2>&1 || fail "regedit failed"
timeout 60 wineserver -k || true
# The field is shown at the display's scale, full screen forgotten.
start_game
wait_for_main
expect_probe "framed" frame-kind
client="$(probe client)"
[ "${client%%+*}" = "1920x1408" ] || fail "at 192 dpi the window opened with a client of $client"
step "LogPixels 192: opened at 2x, client $client"
answer_box "版本信息" Return
answer_box "帮助" Return
answer_box "设置" n
answer_box "" Return

# ---- The editor at 2x: a click paints the cell under the pointer.
focus_main
xdotool key F1
answer_box "" y          # to the editor
answer_box "错误" Return # no map.txt yet
answer_box "" Return     # editing level 1
save_map() {
    focus_main
    xdotool key F3
    answer_box "" y
    answer_box "" Return # saved
}
save_map
cp "$player_dir/map.txt" "$work/map-before.txt" || fail "F3 wrote no map.txt in the player's folder"
focus_main
hold 6 0.8 # the sand brush
read -r client_x client_y <<<"$(client_origin)"
column=3
row=4
xdotool mousemove $((client_x + (column * 64 + 32) * 2)) $((client_y + (row * 64 + 32) * 2))
sleep 0.5
# Held for many ticks: painting the same cell again changes nothing.
xdotool mousedown 1
sleep 1
xdotool mouseup 1
sleep 0.3
save_map
python3 - "$work/map-before.txt" "$player_dir/map.txt" $((row * 15 + column)) <<'PY' ||
import re, sys
before, after = (re.findall(r"-?\d+", open(p).read()) for p in sys.argv[1:3])
cell = int(sys.argv[3])
changed = [k for k in range(min(len(before), len(after))) if before[k] != after[k]]
print(f"cells changed: {changed}, now {[after[k] for k in changed]}")
sys.exit(0 if changed == [cell] and int(after[cell]) % 100 == 11 else 1)
PY
    fail "the click at 2x did not paint sand in cell ($column, $row) alone"
step "editor at 2x: the click painted cell ($column, $row)"
focus_main
xdotool key alt+F4
answer_box "" n      # do not save again
answer_box "" Return # farewell
expect_clean_exit

# ==== Uninstalling, silently ==================================================
# The uninstaller copies itself away and returns at once: its work is
# waited for. The game's own Wine session is let end first: a program started
# while the last one's wineserver shuts down may hang on a loaded machine.
timeout 60 wineserver -w || true
uninstall_status=0
timeout 60 wine "$install_dir/uninstall.exe" /S >"$work/uninstall.log" 2>&1 || uninstall_status=$?
[ $uninstall_status -eq 0 ] ||
    fail "the uninstaller failed ($uninstall_status): $(tail -5 "$work/uninstall.log")"
uninstalled() { [ ! -e "$install_dir/morvask.exe" ] && [ ! -e "$install_dir/uninstall.exe" ]; }
x_display_wait 20 uninstalled || true
timeout 60 wineserver -w || true
[ ! -e "$install_dir" ] || fail "the uninstaller left $(ls "$install_dir" | tr '\n' ' ')"
[ ! -e "$shortcut" ] || fail "the uninstaller left the Start menu shortcut"
if timeout 60 wine reg query "$uninstall_key" >/dev/null 2>&1; then
    fail "the uninstaller is still registered"
fi
[ -f "$player_dir/settings.ini" ] && [ -f "$player_dir/map.txt" ] ||
    fail "uninstalling took the player's settings or map"
step "uninstalled: program, shortcut and registration gone, settings and map kept"

echo "wine_check: 1 passed, 0 failed"
