#!/usr/bin/env bash
# The Windows program does what the desktop program does with runs and the
# window, under Wine on a virtual X server: --share prints the very code the
# desktop program prints; every pinned replay plays in it as the same game;
# a run it records (keys pressed by this script) verifies in morvask-sim and
# plays in the desktop program; and at 1920x1080 full screen F10 steps
# through the four scale modes, each showing the field at its size.
#
# usage: wine_runs_check.sh path/to/morvask.exe path/to/morvask path/to/morvask-sim REPLAY_DIR
#        [screenshot directory]
# Exits 0 when all is as it should be, 1 when not, 77 when tools are missing.
set -euo pipefail

if [ $# -lt 4 ]; then
    echo "usage: $0 morvask.exe morvask morvask-sim REPLAY_DIR [screenshot directory]" >&2
    exit 2
fi
exe="$(realpath "$1")"
desktop="$(realpath "$2")"
sim="$(realpath "$3")"
replays="$(realpath "$4")"
shot_dir="${5:-}"
here="$(dirname "$(realpath "$0")")"

for tool in wine wineboot wineserver Xvfb xdotool import convert python3 x86_64-w64-mingw32-gcc; do
    command -v "$tool" >/dev/null 2>&1 || { echo "skipped: $tool is not installed"; exit 77; }
done

started=$SECONDS
work="$(mktemp -d "${TMPDIR:-/tmp}/morvask-wine-runs.XXXXXX")"
wine_pid=""
# shellcheck source=tests/e2e/x_display.sh
source "$here/x_display.sh"
cleanup() {
    if [ -d "$work/prefix" ]; then WINEPREFIX="$work/prefix" wineserver -k 2>/dev/null || true; fi
    if [ -n "$wine_pid" ]; then kill "$wine_pid" 2>/dev/null || true; fi
    stop_x_display
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*"
    [ -f "$work/wine.log" ] && tail -5 "$work/wine.log" | sed 's/^/  wine: /'
    exit 1
}
step() { printf '[%3ds] %s\n' "$((SECONDS - started))" "$*"; }

start_x_display "$work" 1920x1080 none || fail "Xvfb did not start"
export WINEDEBUG=-all WINEPREFIX="$work/prefix" SDL_AUDIODRIVER=dummy
timeout 300 wineboot -i >"$work/wineboot.log" 2>&1 || fail "wineboot failed"
timeout 60 wineserver -w || true
x86_64-w64-mingw32-gcc -O1 -o "$work/window_probe.exe" "$here/window_probe.c" ||
    fail "the window probe did not build"
probe() { timeout 60 wine "$work/window_probe.exe" "$@" 2>/dev/null | tr -d '\r'; }
appdata="$(ls -d "$WINEPREFIX"/drive_c/users/*/AppData/Roaming | head -1)"
settings="$appdata/Morvask/settings.ini"
mkdir -p "$appdata/Morvask" "$work/player"
# No start-up boxes and no sound question: the script answers nothing it
# need not.
printf 'intro = short\nvolume = 0\n' >"$settings"
step "Wine ready"

# ---- --share: the same code from both programs.
level="$replays/two_players_map.txt"
"$desktop" --share "$level" >"$work/linux.code" || fail "morvask --share failed"
timeout 60 wine "$exe" --share "$level" 2>/dev/null | tr -d '\r' >"$work/windows.code" ||
    fail "morvask.exe --share failed"
cmp -s "$work/linux.code" "$work/windows.code" || fail "the two programs print different codes"
step "--share prints the desktop program's code ($(head -c 24 "$work/windows.code")...)"

# ---- Every pinned replay plays in the Windows program as the same game.
for replay in "$replays"/*.mvr; do
    said="$(cd "$work/player" && timeout 600 wine "$exe" --play "$replay" --speed 8 2>&1 | tr -d '\r')" ||
        fail "$(basename "$replay"): exit $?: $said"
    grep -q "the same game as recorded" <<<"$said" || fail "$(basename "$replay"): $said"
    step "$(basename "$replay") plays in morvask.exe: ${said##*: }"
done

# ---- A run recorded by the Windows program.
program_windows() {
    local id
    for id in $(xdotool search --onlyvisible --classname morvask.exe 2>/dev/null); do
        printf '%s\t%s\n' "$id" "$(xdotool getwindowname "$id" 2>/dev/null || true)"
    done
}
running() { kill -0 "$wine_pid" 2>/dev/null; }
main_window=""
main_found() {
    running || fail "the program ended before its window appeared"
    main_window="$(program_windows | awk -F'\t' 'index($2, "Morvask V1.0") == 1 { print $1; exit }')"
    [ -n "$main_window" ]
}
start_exe() {
    (cd "$work/player" && exec wine "$exe" "$@") >"$work/wine.log" 2>&1 &
    wine_pid=$!
    x_display_wait 60 main_found || fail "no window titled 'Morvask V1.0' appeared"
    sleep 1
}
# The level's announcement (the one box a short start shows), answered.
answer_box() {
    local deadline=$((SECONDS + 30)) box=""
    until [ -n "$box" ]; do
        ((SECONDS < deadline)) || fail "no box appeared"
        running || fail "the program ended while a box was awaited"
        box="$(program_windows | awk -F'\t' -v main="$main_window" '$1 != main { print $1; exit }')"
        sleep 0.2
    done
    sleep 0.3
    xdotool windowfocus --sync "$box" 2>/dev/null || true
    sleep 0.2
    # A box takes no key for a moment after it opens (the reading pause): a
    # key that came too early on a slow machine is pressed once more.
    xdotool key Return
    x_display_wait 5 box_gone "$box" || xdotool key Return
    x_display_wait 10 box_gone "$box" || fail "the box did not close on Enter"
    xdotool windowfocus --sync "$main_window" 2>/dev/null || true
    sleep 0.3
}
box_gone() { ! program_windows | cut -f1 | grep -qx "$1"; }

# The boxes that closing asks are answered with Enter until the program ends.
close_and_answer() {
    probe close >/dev/null
    local deadline=$((SECONDS + 60)) box
    while running; do
        ((SECONDS < deadline)) || fail "the program did not end after its window was closed"
        box="$(program_windows | awk -F'\t' -v main="$main_window" '$1 != main { print $1; exit }')"
        if [ -n "$box" ]; then
            xdotool windowfocus --sync "$box" 2>/dev/null || true
            sleep 0.2
            xdotool key Return
        fi
        sleep 0.5
    done
    wait "$wine_pid" || fail "morvask.exe exited with $?"
    wine_pid=""
}

start_exe --record 'Z:'"$work"/run.mvr
answer_box
for key in Right Right Up space Left space Down space; do
    xdotool keydown "$key"
    sleep 0.3
    xdotool keyup "$key"
done
close_and_answer
[ -s "$work/run.mvr" ] || fail "morvask.exe wrote no replay"
verified="$("$sim" --verify "$work/run.mvr" 2>&1)" || fail "morvask-sim --verify: $verified"
ticks="$(sed -n 's/.*"tick":\([0-9]*\).*/\1/p' <<<"$verified")"
[ "${ticks:-0}" -ge 100 ] || fail "the recorded run holds only ${ticks:-0} ticks: $verified"
step "the run morvask.exe recorded verifies in morvask-sim: $verified"
said="$(cd "$work/player" && timeout 120 "$desktop" --scale 1 --play "$work/run.mvr" --speed 8 2>&1)" ||
    fail "morvask --play of the Windows run: $said"
grep -q "the same game as recorded" <<<"$said" || fail "morvask --play of the Windows run: $said"
step "and plays in the desktop program as the same game"

# ---- F10 at 1920x1080 full screen: auto (sharp here), integer, fit, sharp.
field_size() {
    import -window root "$work/shot.png"
    [ -z "$shot_dir" ] || cp "$work/shot.png" "$shot_dir/windows-scale-$1.png"
    # The field is what is not black, centred; the bars are black, and the
    # status panel may stand in the right one.
    local height left
    read -r height left < <(convert "$work/shot.png" -fuzz 2% -trim -format '%h %X' info:)
    # A field w wide starts at (1920 - w) / 2: 480 for 960, 223 for 1473.
    echo "${left#+}+${height}"
}
scale_mode_saved() { grep -qx "scale_mode = $1" "$settings"; }
start_exe --fullscreen
answer_box
[ "$(field_size auto)" = "223+1080" ] || fail "auto shows the field at $(field_size auto)"
cp "$work/shot.png" "$work/auto.png"
# left edge + height: 960 x 704 at 1x, or 1473 x 1080 filling the height.
for mode in integer:480+704 fit:223+1080 sharp:223+1080 auto:223+1080; do
    xdotool key F10
    x_display_wait 10 scale_mode_saved "${mode%%:*}" || fail "F10 did not save scale_mode = ${mode%%:*}"
    sleep 0.5
    size="$(field_size "${mode%%:*}")"
    [ "$size" = "${mode#*:}" ] || fail "${mode%%:*} shows the field at $size, not ${mode#*:}"
    cp "$work/shot.png" "$work/${mode%%:*}.png"
    step "F10: ${mode%%:*}, the field at $size"
done
# Sharp blends the seams between enlarged pixels, fit does not.
colours() { convert "$1" -format '%k' info:; }
(($(colours "$work/sharp.png") > $(colours "$work/fit.png"))) ||
    fail "sharp shows no more colours than fit ($(colours "$work/sharp.png"))"
step "sharp blends ($(colours "$work/sharp.png") colours against fit's $(colours "$work/fit.png"))"
close_and_answer
echo "1 passed, 0 failed"
