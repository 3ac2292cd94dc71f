#!/usr/bin/env bash
# The desktop program's peak resident memory against a bare SDL window's on
# the same virtual display, over several rounds: each round runs the bare
# window (build/morvask-bare-window) for as long as the play lasts, then the
# program through a stretch of busy play (bench/desktop_measure.sh), and
# prints both peaks; the last line gives the medians and their ratio.
#
#   bench/memory_measure.sh build/morvask [PLAY_SECONDS] [ROUNDS]
#
# SCREEN and GAME_ARGS as for bench/desktop_measure.sh (by default the
# window opens at 1x on a 1280x1024 screen).
set -euo pipefail

GAME=$(realpath "$1")
PLAY_SECONDS=${2:-20}
ROUNDS=${3:-3}
BARE=$(dirname "$GAME")/morvask-bare-window
HERE=$(dirname "$0")
WORK=$(mktemp -d)
XVFB_PID=
cleanup() {
    [[ -n $XVFB_PID ]] && kill "$XVFB_PID" 2>/dev/null || true
    rm -rf "$WORK"
}
trap cleanup EXIT

Xvfb -displayfd 3 -screen 0 "${SCREEN:-1280x1024}x24" -nolisten tcp -noreset 3>"$WORK/display" 2>/dev/null &
XVFB_PID=$!
for _ in $(seq 50); do [[ -s $WORK/display ]] && break; sleep 0.1; done

bare=() game=()
for round in $(seq "$ROUNDS"); do
    b=$(DISPLAY=:$(cat "$WORK/display") SDL_AUDIODRIVER=dummy "$BARE" "$PLAY_SECONDS" | awk '/VmHWM/ {print $2}')
    g=$("$HERE/desktop_measure.sh" "$GAME" "$PLAY_SECONDS" 1 | awk '/VmHWM/ {print $2}')
    echo "round $round: bare SDL window $b kB, program $g kB"
    bare+=("$b")
    game+=("$g")
done
median() { printf '%s\n' "$@" | sort -n | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }
mb=$(median "${bare[@]}")
mg=$(median "${game[@]}")
python3 -c "print('medians: bare SDL window %.1f MiB, program %.1f MiB, ratio %.2f' % ($mb / 1024, $mg / 1024, $mg / $mb))"
