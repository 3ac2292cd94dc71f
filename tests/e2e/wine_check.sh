#!/usr/bin/env bash
# End-to-end check of the Windows program under Wine: start morvask.exe in a
# fresh prefix on a private X server, answer its start-up boxes, play a few
# seconds, photograph the battlefield and a help box, close the window, and
# expect a clean exit.
#
# Usage: wine_check.sh path/to/morvask.exe [directory for the screenshots]
# Exits 77 (skipped) when Wine, Xvfb, xdotool or ImageMagick is missing.
set -euo pipefail

if [ $# -lt 1 ] || [ ! -f "$1" ]; then
    echo "usage: $0 path/to/morvask.exe [screenshot directory]" >&2
    exit 2
fi
exe="$(realpath "$1")"
# Wine names the X windows' class after the program's file.
window_class="$(basename "$exe" | tr '[:upper:]' '[:lower:]')"
shot_dir="${2:-}"

skip() {
    echo "skipped: $*"
    exit 77
}
for tool in wine wineboot wineserver Xvfb xdotool import convert; do
    command -v "$tool" >/dev/null 2>&1 || skip "$tool is not installed"
done

started=$SECONDS
work="$(mktemp -d "${TMPDIR:-/tmp}/morvask-wine.XXXXXX")"
xvfb_pid=""
wine_pid=""
cleanup() {
    # Only what this script started: its own prefix's server and its own X.
    if [ -d "$work/prefix" ]; then WINEPREFIX="$work/prefix" wineserver -k 2>/dev/null || true; fi
    if [ -n "$wine_pid" ]; then kill "$wine_pid" 2>/dev/null || true; fi
    if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
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

# ---- A private X server: Xvfb picks a free display and tells us which.
# It must not reset when its last client leaves: a client that connects
# during the reset is dropped.
mkfifo "$work/displayfd"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$work/displayfd" >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
read -r -t 20 display_number <"$work/displayfd" || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
export DISPLAY=":$display_number"
step "Xvfb on $DISPLAY"

# ---- A fresh prefix, without the Mono and Gecko installers' prompts.
export WINEPREFIX="$work/prefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree=;mshtml="
unset WINEARCH
timeout 300 wineboot -i >"$work/wineboot.log" 2>&1 || fail "wineboot failed: $(tail -5 "$work/wineboot.log")"
timeout 120 wineserver -w || true
step "prefix ready"

# Wine's own fonts (Tahoma, and Marlett for the caption buttons) go into the
# prefix, where Wine finds them whatever its data directory is.
if [ -d /usr/share/wine/fonts ]; then
    cp /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
fi

# Tahoma has no Chinese: link a CJK font of the system to the faces that
# message boxes and captions use, so that their texts are readable.
cjk_fonts="$(fc-list :lang=zh-cn:style=Regular file family 2>/dev/null | sort || true)"
cjk_font="$(grep -m1 ': Noto Sans CJK SC' <<<"$cjk_fonts" || grep -m1 -i 'sans' <<<"$cjk_fonts" ||
    head -1 <<<"$cjk_fonts" || true)"
{
    printf 'REGEDIT4\r\n\r\n'
    if [ -n "$cjk_font" ]; then
        font_file="$(basename "${cjk_font%%:*}")"
        font_family="$(echo "${cjk_font#*: }" | cut -d, -f1)"
        printf '[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontLink\\SystemLink]\r\n'
        # REG_MULTI_SZ as hex(7): "file,family" and the closing NULs.
        hex="$(printf '%s,%s' "$font_file" "$font_family" | od -An -tx1 -v | tr -s ' \n' ',' |
            sed 's/^,//;s/,$//')"
        for face in "Tahoma" "Tahoma Bold" "MS Shell Dlg" "MS Shell Dlg 2" "Microsoft Sans Serif"; do
            printf '"%s"=hex(7):%s,00,00\r\n' "$face" "$hex"
        done
        printf '\r\n'
    fi
    # No window manager here: Wine draws the captions and frames itself.
    printf '[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\r\n"Decorated"="N"\r\n'
} >"$work/settings.reg"
timeout 60 wine regedit /S "$work/settings.reg" >/dev/null 2>&1 || fail "regedit failed"
timeout 60 wineserver -w || true
if [ -n "$cjk_font" ]; then
    step "Chinese through $font_file ($font_family)"
else
    echo "warning: no Chinese font found (fonts-noto-cjk): the boxes will show empty squares"
fi

# ---- The program, in a directory of its own (map.txt would land there).
mkdir -p "$work/run"
(cd "$work/run" && exec wine "$exe") >"$work/wine.log" 2>&1 &
wine_pid=$!

# Visible top-level windows of the program, one "id<TAB>caption" a line.
program_windows() {
    local id
    for id in $(xdotool search --onlyvisible --classname "$window_class" 2>/dev/null); do
        printf '%s\t%s\n' "$id" "$(xdotool getwindowname "$id" 2>/dev/null || true)"
    done
}

main_window=""
# Waits for the main window to be mapped.
wait_for_main() {
    for _ in $(seq 1 300); do
        main_window="$(program_windows | awk -F'\t' '$2 == "Morvask V1.0" { print $1; exit }')"
        [ -n "$main_window" ] && return 0
        kill -0 "$wine_pid" 2>/dev/null || fail "the program ended before its window appeared"
        sleep 0.2
    done
    fail "no window titled 'Morvask V1.0' appeared"
}

# Waits for the message box (a window of the program other than the main one)
# with the caption given, focuses it and presses the key given.
answer_box() {
    local caption="$1" key="$2" box="" line
    for _ in $(seq 1 150); do
        line="$(program_windows | awk -F'\t' -v main="$main_window" '$1 != main { print; exit }')"
        if [ -n "$line" ]; then
            box="${line%%$'\t'*}"
            [ "${line#*$'\t'}" = "$caption" ] ||
                fail "expected the box '$caption', found '${line#*$'\t'}'"
            break
        fi
        kill -0 "$wine_pid" 2>/dev/null || fail "the program ended while waiting for the box '$caption'"
        sleep 0.2
    done
    [ -n "$box" ] || fail "the box '$caption' did not appear"
    sleep 0.3
    xdotool windowfocus --sync "$box" 2>/dev/null || true
    sleep 0.2
    xdotool key "$key"
    for _ in $(seq 1 100); do
        program_windows | cut -f1 | grep -qx "$box" || {
            step "answered '${caption:-(no caption)}' with $key"
            return 0
        }
        sleep 0.1
    done
    fail "the box '$caption' did not close on $key"
}

wait_for_main
step "main window $main_window"

# The client area must be the whole field, whatever Wine's frame takes: asked
# of Windows itself by a small program beside the game.
if command -v x86_64-w64-mingw32-gcc >/dev/null 2>&1; then
    x86_64-w64-mingw32-gcc -O1 -o "$work/client_size.exe" \
        "$(dirname "$(realpath "$0")")/client_size_probe.c" || fail "the client size probe did not build"
    client_size="$(timeout 60 wine "$work/client_size.exe" 2>/dev/null | tr -d '\r')"
    step "client area $client_size"
    [ "$client_size" = "960x704" ] || fail "the client area is $client_size, not 960x704"
else
    echo "warning: no x86_64-w64-mingw32-gcc: the client size is not checked"
fi
answer_box "版本信息" Return
answer_box "帮助" Return
answer_box "设置" n  # No: the check stays silent
answer_box "" Return # the announcement of level 1

# ---- A few seconds of play, with held keys polled by GetAsyncKeyState.
xdotool windowfocus --sync "$main_window" 2>/dev/null || true
sleep 0.5
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
step "played and took the screenshot"

# Counted well inside the client area, away from the caption Wine draws.
colours="$(convert "$work/battlefield.png" -gravity center -crop 900x600+0+0 +repage -format '%k' info:)"
size="$(convert "$work/battlefield.png" -format '%wx%h' info:)"
step "battlefield screenshot: $size, $colours colours in the field"
[ "$colours" -ge 64 ] || fail "the battlefield looks blank ($colours colours)"

# ---- The help box over the battlefield, for a look at its Chinese text.
xdotool windowfocus --sync "$main_window" 2>/dev/null || true
xdotool key h
for _ in $(seq 1 50); do
    program_windows | awk -F'\t' -v main="$main_window" '$1 != main' | grep -q . && break
    sleep 0.1
done
sleep 0.5
import -screen -window "$main_window" "$work/box.png"
answer_box "帮助" Return

# ---- Closing: Alt+F4, the farewell box, and a clean exit.
xdotool windowfocus --sync "$main_window" 2>/dev/null || true
sleep 0.3
xdotool key alt+F4
answer_box "" Return
status=""
for _ in $(seq 1 150); do
    if ! kill -0 "$wine_pid" 2>/dev/null; then
        wait "$wine_pid" && status=0 || status=$?
        break
    fi
    sleep 0.2
done
[ -n "$status" ] || fail "the program did not end after the farewell box"
wine_pid=""
[ "$status" -eq 0 ] || fail "wine exited with $status"
step "wine exited with 0"

if [ -n "$shot_dir" ]; then
    mkdir -p "$shot_dir"
    cp "$work/battlefield.png" "$shot_dir/windows-wine.png"
    cp "$work/box.png" "$shot_dir/windows-wine-box.png"
    step "screenshots in $shot_dir"
fi
echo "wine_check: 1 passed, 0 failed"
