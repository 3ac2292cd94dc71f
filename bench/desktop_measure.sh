#!/usr/bin/env bash
# What the desktop program costs on a virtual display: the time from start to
# its window showing the first box (over several starts), its peak resident memory, the
# CPU it takes during a stretch of busy play, and (with the tick probe) how
# steadily its ticks came.
#
#   bench/desktop_measure.sh build/morvask [PLAY_SECONDS] [STARTS]
#
# SCREEN=1920x1080 sets the virtual screen's size (default 1280x1024),
# GAME_ARGS the game's options (e.g. "--fullscreen --scale-mode sharp"; full
# screen needs openbox, which is then started).
# Needs Xvfb, xdotool, xwininfo, xprop and python3. Set LOAD=2 to keep two busy processes
# running during the play, as for the tick-pacing measurement; LOAD_SESSION=own
# starts them in sessions of their own (by default they share the game's).
set -euo pipefail

GAME=$(realpath "$1")
PLAY_SECONDS=${2:-20}
STARTS=${3:-5}
WORK=$(mktemp -d)
XVFB_PID=
WM_PID=
LOAD_PIDS=()
GAME_PID=
cleanup() {
    [[ -n $GAME_PID ]] && kill "$GAME_PID" 2>/dev/null || true
    for pid in "${LOAD_PIDS[@]}"; do kill "$pid" 2>/dev/null || true; done
    [[ -n $WM_PID ]] && kill "$WM_PID" 2>/dev/null || true
    [[ -n $XVFB_PID ]] && kill "$XVFB_PID" 2>/dev/null || true
    rm -rf "$WORK"
}
trap cleanup EXIT

# -noreset: otherwise the server resets each time its last client leaves,
# and drops a game that connects meanwhile.
Xvfb -displayfd 3 -screen 0 "${SCREEN:-1280x1024}x24" -nolisten tcp -noreset 3>"$WORK/display" 2>"$WORK/xvfb.log" &
XVFB_PID=$!
for _ in $(seq 50); do [[ -s $WORK/display ]] && break; sleep 0.1; done
export DISPLAY=:$(cat "$WORK/display")
export HOME=$WORK/home SDL_AUDIODRIVER=dummy
mkdir -p "$HOME"
if [[ ${GAME_ARGS:-} == *--fullscreen* ]]; then
    # Ready once it runs its start-up command; earlier, it can drop a map
    # request and the game would wait a second to ask again.
    openbox --sm-disable --startup "touch '$WORK/openbox-ready'" >/dev/null 2>&1 &
    WM_PID=$!
    for _ in $(seq 100); do
        [[ -e $WORK/openbox-ready ]] && break
        sleep 0.1
    done
fi

echo "== start to first box ($STARTS starts)"
# The boxes are drawn inside the game's window: the first is up when the
# window is first shown.
python3 "$(dirname "$0")/first_box.py" "$GAME" "$STARTS"

echo "== play for ${PLAY_SECONDS}s"
if [[ ${LOAD:-0} -gt 0 ]]; then
    for _ in $(seq "$LOAD"); do
        if [[ ${LOAD_SESSION:-} == own ]]; then
            # In a session of its own, as a build in another terminal is: the
            # kernel then shares the cores between sessions first.
            setsid bash -c 'while :; do :; done' &
        else
            (while :; do :; done) &
        fi
        LOAD_PIDS+=($!)
    done
fi
# shellcheck disable=SC2086  # the options are words
MORVASK_TICK_LOG=$WORK/ticks.log "$GAME" ${GAME_ARGS:-} >/dev/null 2>"$WORK/game.err" &
GAME_PID=$!
sleep 0.5
kill -0 "$GAME_PID" 2>/dev/null || {
    echo "the game ended at once: $(head -c 200 "$WORK/game.err")"
    exit 1
}
# Boxes are drawn inside the game's window and take their default answer
# with Return; the window has the keyboard.
MAIN=
for _ in $(seq 100); do
    MAIN=$(xdotool search --onlyvisible --name 'Morvask' 2>/dev/null | head -n1 || true)
    [[ -n $MAIN ]] && break
    sleep 0.1
done
answer_box() {
    [[ -z $MAIN ]] || xdotool windowfocus "$MAIN" 2>/dev/null || true
    xdotool key Return 2>/dev/null || true
}
# The three boxes of start-up and the first level's.
for _ in 1 2 3 4; do
    sleep 0.8
    answer_box
done
sleep 1
# Busy play: the player drives and fires all the time.
xdotool keydown space 2>/dev/null || true
ticks() { awk '{print $14 + $15}' "/proc/$GAME_PID/stat"; }
HZ=$(getconf CLK_TCK)
before=$(ticks)
start=$(date +%s.%N)
for k in $(seq "$PLAY_SECONDS"); do
    case $((k % 4)) in
        0) key=Left ;; 1) key=Up ;; 2) key=Right ;; *) key=Down ;;
    esac
    # A box of the game (a lost level) takes Return; play goes on.
    xdotool key Return 2>/dev/null || true
    xdotool keydown space 2>/dev/null || true
    xdotool keydown $key 2>/dev/null || true
    sleep 1
    xdotool keyup $key 2>/dev/null || true
done
after=$(ticks)
end=$(date +%s.%N)
python3 -c "print('game CPU: %.1f %% of one core over %.1f s' % (100.0 * ($after - $before) / $HZ / ($end - $start), $end - $start))"
grep -E 'VmHWM|VmRSS' "/proc/$GAME_PID/status"
kill "$GAME_PID"
wait "$GAME_PID" 2>/dev/null || true
GAME_PID=
TICKPACE=$(dirname "$GAME")/morvask-tickpace
if [[ -x $TICKPACE && -s $WORK/ticks.log ]]; then
    echo "== ticks during play (probe)"
    "$TICKPACE" stats "$WORK/ticks.log"
fi
