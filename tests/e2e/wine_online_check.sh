#!/usr/bin/env bash
# The Windows program and the Linux program in one online game over
# loopback: morvask.exe hosts under Wine, the Linux program joins, each
# player drives and fires in their own window, and both end after a set
# number of agreed ticks. Both must write the same replay, holding both
# players' keys, and it must verify. Exits 77 (skipped) without Wine or Xvfb.
# Usage: wine_online_check.sh path/to/morvask.exe path/to/morvask path/to/morvask-sim
set -uo pipefail
if [ $# -ne 3 ]; then
    echo "usage: $0 path/to/morvask.exe path/to/morvask path/to/morvask-sim" >&2
    exit 2
fi
exe="$(realpath "$1")"
game="$(realpath "$2")"
sim="$(realpath "$3")"
here="$(dirname "$(realpath "$0")")"
for tool in wine wineboot wineserver Xvfb xdotool python3; do
    command -v "$tool" >/dev/null 2>&1 || { echo "skipped: $tool is not installed"; exit 77; }
done

work="$(mktemp -d "${TMPDIR:-/tmp}/morvask-wine-online.XXXXXX")"
pids=()
# shellcheck source=tests/e2e/x_display.sh
source "$here/x_display.sh"
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    if [ -d "$work/prefix" ]; then WINEPREFIX="$work/prefix" wineserver -k 2>/dev/null || true; fi
    stop_x_display
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*"
    for log in windows.out windows.err linux.out linux.err; do
        [ -f "$work/$log" ] && tr -d '\r' <"$work/$log" | tail -3 | sed "s/^/  $log: /"
    done
    exit 1
}
# hold WINDOW KEYS...: the window takes the focus, then the keys are held a
# moment (a program forgets keys held across a change of focus).
hold() {
    local window=$1
    shift
    xdotool windowfocus --sync "$window" 2>/dev/null
    sleep 0.5
    xdotool keydown "$@"
    sleep 1.5
    xdotool keyup "$@"
}

start_x_display "$work" 1920x1080 none || fail "Xvfb did not start"
export WINEDEBUG=-all WINEPREFIX="$work/prefix" SDL_AUDIODRIVER=dummy
timeout 300 wineboot -i >"$work/wineboot.log" 2>&1 || fail "wineboot failed"
timeout 60 wineserver -w || true
appdata="$(ls -d "$WINEPREFIX"/drive_c/users/*/AppData/Roaming | head -1)"
mkdir -p "$appdata/Morvask" "$work/linux/morvask" "$work/play"
printf 'volume = 0\n' >"$appdata/Morvask/settings.ini"
printf 'volume = 0\n' >"$work/linux/morvask/settings.ini"

ticks=1000
(cd "$work/play" && exec timeout 300 wine "$exe" --host --port 0 --online-ticks "$ticks" \
    --record 'windows.mvr' >"$work/windows.out" 2>"$work/windows.err") &
pids+=($!)
windows_pid=$!
joined() { tr -d '\r' <"$work/windows.out" 2>/dev/null | grep -q 'join ADDRESS:'; }
x_display_wait 120 joined || fail "the Windows program printed no way to join"
where="$(tr -d '\r' <"$work/windows.out" | grep -o 'join ADDRESS:[0-9]*/[0-9a-f]*' |
    sed 's/join ADDRESS/127.0.0.1/')"
(cd "$work/play" && XDG_CONFIG_HOME="$work/linux" exec timeout 300 "$game" --join "$where" \
    --online-ticks "$ticks" --record linux.mvr >"$work/linux.out" 2>"$work/linux.err") &
pids+=($!)
linux_pid=$!

windows_window() { xdotool search --onlyvisible --name 'Morvask V1.0' 2>/dev/null | head -1 | grep -q .; }
x_display_wait 60 windows_window || fail "no window opened"
# The Linux window is SDL's (class morvask); Wine's is the other one.
linux_window="$(xdotool search --sync --onlyvisible --class morvask | head -1)"
wine_window="$(xdotool search --onlyvisible --name 'Morvask V1.0' | grep -vx "$linux_window" | head -1)"
[ -n "$wine_window" ] && [ -n "$linux_window" ] || fail "both windows did not open"
hold "$wine_window" Up space
hold "$linux_window" Up space

wait "$windows_pid"
windows_status=$?
wait "$linux_pid"
linux_status=$?
[ "$windows_status" -eq 0 ] || fail "the Windows program ended with $windows_status"
[ "$linux_status" -eq 0 ] || fail "the Linux program ended with $linux_status"
cmp -s "$work/play/windows.mvr" "$work/play/linux.mvr" ||
    fail "the two programs wrote different replays"
echo "pass: the Windows and the Linux program wrote the same replay of $ticks ticks"
verify="$("$sim" --verify "$work/play/linux.mvr" 2>&1)" || fail "the replay does not verify: $verify"
echo "pass: it verifies: $verify"
python3 - "$work/play/linux.mvr" "$here/../replays" <<'PY' || fail "the replay lacks a player's keys"
import sys
sys.path.insert(0, sys.argv[2])
from replay_events import events, varint
data = open(sys.argv[1], "rb").read()
seen = set()
for op, at, tick in events(data, {}):
    if op == 2:
        count, keys_at = varint(data, at + 1)
        seen.update(data[keys_at:keys_at + count])
missing = {0x26, 0x20, 0x88, 0x98} - seen
assert not missing, f"keys never held: {sorted(missing)}"
PY
echo "pass: it holds both players' keys"
