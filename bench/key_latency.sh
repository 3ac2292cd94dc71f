#!/usr/bin/env bash
# The time from a key press to the tank's changed pixels on the screen, for
# the desktop program on a virtual display (bench/key_to_pixels.py does the
# pressing and the watching), with the game's tick log beside it.
#
#   bench/key_latency.sh build/morvask [PRESSES] [SCALE]
#
# Needs Xvfb, xdotool and python3. SCALE (default 1) is the window's size as
# a multiple of the field (--scale).
set -euo pipefail

GAME=$(realpath "$1")
PRESSES=${2:-40}
SCALE=${3:-1}
HERE=$(dirname "$(realpath "$0")")
WORK=$(mktemp -d)
XVFB_PID=
GAME_PID=
cleanup() {
    [[ -n $GAME_PID ]] && kill "$GAME_PID" 2>/dev/null || true
    [[ -n $XVFB_PID ]] && kill "$XVFB_PID" 2>/dev/null || true
    rm -rf "$WORK"
}
trap cleanup EXIT

Xvfb -displayfd 3 -screen 0 2048x1600x24 -nolisten tcp -noreset 3>"$WORK/display" 2>"$WORK/xvfb.log" &
XVFB_PID=$!
for _ in $(seq 50); do [[ -s $WORK/display ]] && break; sleep 0.1; done
export DISPLAY=:$(cat "$WORK/display")
export HOME=$WORK/home SDL_AUDIODRIVER=dummy XDG_CONFIG_HOME=$WORK/home/.config
mkdir -p "$XDG_CONFIG_HOME/morvask"
# No start-up boxes: the first box is the level's.
printf 'intro = short\nvolume = 0\n' >"$XDG_CONFIG_HOME/morvask/settings.ini"
MORVASK_TICK_LOG=$WORK/ticks.log "$GAME" --scale "$SCALE" >/dev/null 2>"$WORK/game.err" &
GAME_PID=$!
MAIN=
for _ in $(seq 100); do
    MAIN=$(xdotool search --onlyvisible --name 'Morvask' 2>/dev/null | head -n1 || true)
    [[ -n $MAIN ]] && break
    sleep 0.1
done
[[ -n $MAIN ]] || { echo "no window: $(head -c 300 "$WORK/game.err")"; exit 1; }
sleep 0.5
xdotool windowfocus "$MAIN" 2>/dev/null || true
# The level's box.
xdotool key Return
sleep 1
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
python3 "$HERE/key_to_pixels.py" "$MAIN" "$PRESSES" "$WORK/ticks.log"
