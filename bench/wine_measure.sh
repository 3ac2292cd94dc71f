#!/usr/bin/env bash
# What the Windows program costs under Wine against the Linux program, on the
# same busy play: both play the same replay at 1x on one virtual display, in
# turns, and the CPU of the game's process, of Wine's server and of the X
# server is counted over the same stretch of the play.
#
#   bench/wine_measure.sh dist/morvask.exe build/morvask REPLAY [SECONDS] [ROUNDS]
#
# The anchor, run in the same turns: build-windows/morvask-win32-bench.exe
# --paced (beside morvask.exe's build), a bare Win32 program that only
# presents a frame of play's changes every 10 ms: what Wine costs any
# program doing that much. Prints one line a program a round (% of one core)
# and the medians' ratios. Needs Xvfb, wine and python3; the replay is played
# from its start, and the count starts 8 s in (Wine's start-up, the first
# boxes).
set -euo pipefail

EXE=$(realpath "$1")
GAME=$(realpath "$2")
REPLAY=$(realpath "$3")
SECONDS_PLAYED=${4:-20}
ROUNDS=${5:-3}
BENCH=$(realpath "${BENCH:-$(dirname "$0")/../build-windows/morvask-win32-bench.exe}")
WORK=$(mktemp -d)
# shellcheck source=tests/e2e/x_display.sh
source "$(dirname "$(realpath "$0")")/../tests/e2e/x_display.sh"
cleanup() {
    pkill -f "$WORK" 2>/dev/null || true
    [[ -d $WORK/prefix ]] && WINEPREFIX=$WORK/prefix wineserver -k 2>/dev/null || true
    stop_x_display
    rm -rf "$WORK"
}
trap cleanup EXIT

start_x_display "$WORK" 1280x1024 none
XVFB_PID=${X_DISPLAY_PIDS[0]}
export HOME=$WORK/home SDL_AUDIODRIVER=dummy WINEDEBUG=-all WINEPREFIX=$WORK/prefix
mkdir -p "$HOME/.config/morvask" "$WORK/play"
printf 'volume = 0\n' >"$HOME/.config/morvask/settings.ini"
timeout 300 wineboot -i >"$WORK/wineboot.log" 2>&1
timeout 60 wineserver -w || true
appdata="$(ls -d "$WINEPREFIX"/drive_c/users/*/AppData/Roaming | head -1)"
mkdir -p "$appdata/Morvask"
printf 'volume = 0\n' >"$appdata/Morvask/settings.ini"
cp "$REPLAY" "$WORK/play/run.mvr"

# CPU ticks (user + system) of the processes whose command line matches.
ticks_of() {
    local total=0 pid
    for pid in $(pgrep -f "$1" || true); do
        [[ -r /proc/$pid/stat ]] || continue
        total=$((total + $(awk '{ print $14 + $15 }' "/proc/$pid/stat" 2>/dev/null || echo 0)))
    done
    echo "$total"
}
# One round of one program: its game's, Wine's server's and the X server's
# CPU over the stretch, in % of a core.
measure() {
    local name=$1 pattern=$2
    shift 2
    (cd "$WORK/play" && exec "$@" >"$WORK/$name.log" 2>&1) &
    local pid=$!
    sleep 8
    local game0 server0 x0 game1 server1 x1 hz
    hz=$(getconf CLK_TCK)
    game0=$(ticks_of "$pattern")
    server0=$(ticks_of wineserver)
    x0=$(awk '{ print $14 + $15 }' "/proc/$XVFB_PID/stat")
    sleep "$SECONDS_PLAYED"
    game1=$(ticks_of "$pattern")
    server1=$(ticks_of wineserver)
    x1=$(awk '{ print $14 + $15 }' "/proc/$XVFB_PID/stat")
    kill "$pid" 2>/dev/null || true
    pkill -f "$pattern" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    sleep 2
    python3 -c "
import sys
hz, seconds = $hz, $SECONDS_PLAYED
game, server, x = ($game1 - $game0), ($server1 - $server0), ($x1 - $x0)
pct = lambda t: 100.0 * t / hz / seconds
print(f'$name game {pct(game):.2f} wineserver {pct(server):.2f} X {pct(x):.2f}')"
}

for round in $(seq "$ROUNDS"); do
    echo "== round $round"
    measure linux 'morvask .*--play run\.mvr' "$GAME" --scale 1 --play run.mvr | tee -a "$WORK/results"
    measure windows 'morvask\.exe .*--play run\.mvr' wine "$EXE" --scale 1 --play run.mvr |
        tee -a "$WORK/results"
    measure bare 'morvask-win32-bench' wine "$BENCH" --paced $((SECONDS_PLAYED + 12)) |
        tee -a "$WORK/results"
done
python3 - "$WORK/results" <<'PY'
import statistics
import sys
rows = {}
for line in open(sys.argv[1]):
    name, _, game, _, server, _, x = line.split()
    rows.setdefault(name, []).append((float(game), float(server), float(x)))
med = {name: [statistics.median(v[i] for v in values) for i in range(3)]
       for name, values in rows.items()}
lin, win, bare = med["linux"], med["windows"], med["bare"]
print(f"medians, % of a core: linux game {lin[0]:.2f} X {lin[2]:.2f}; "
      f"windows game {win[0]:.2f} wineserver {win[1]:.2f} X {win[2]:.2f}; "
      f"bare present under Wine {bare[0]:.2f} wineserver {bare[1]:.2f} X {bare[2]:.2f}")
if lin[0] > 0 and lin[2] > 0:
    print(f"windows/linux: game {win[0] / lin[0]:.2f}x, game and wineserver "
          f"{(win[0] + win[1]) / lin[0]:.2f}x, X server {win[2] / lin[2]:.2f}x")
if bare[0] > 0:
    print(f"windows less the bare present under Wine: game {win[0] - bare[0]:.2f} % "
          f"({(win[0] - bare[0]) / lin[0]:.2f}x linux's game)")
PY
