#!/usr/bin/env bash
# What the desktop program costs on a virtual display: the time from exec to
# its first message box (over several starts), its peak resident memory, the
# CPU it takes during a stretch of busy play, and (with the tick probe) how
# steadily its ticks came.
#
#   bench/desktop_measure.sh build/morvask [PLAY_SECONDS] [STARTS]
#
# Needs Xvfb, xdotool, xwininfo, xprop, perf and python3. Set LOAD=2 to keep two busy processes
# running during the play, as for the tick-pacing measurement.
set -euo pipefail

GAME=$(realpath "$1")
PLAY_SECONDS=${2:-20}
STARTS=${3:-5}
WORK=$(mktemp -d)
XVFB_PID=
LOAD_PIDS=()
GAME_PID=
cleanup() {
    [[ -n $GAME_PID ]] && kill "$GAME_PID" 2>/dev/null || true
    for pid in "${LOAD_PIDS[@]}"; do kill "$pid" 2>/dev/null || true; done
    [[ -n $XVFB_PID ]] && kill "$XVFB_PID" 2>/dev/null || true
    rm -rf "$WORK"
}
trap cleanup EXIT

Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$WORK/display" 2>"$WORK/xvfb.log" &
XVFB_PID=$!
for _ in $(seq 50); do [[ -s $WORK/display ]] && break; sleep 0.1; done
export DISPLAY=:$(cat "$WORK/display")
export HOME=$WORK/home SDL_AUDIODRIVER=dummy
mkdir -p "$HOME"

echo "== exec to first box ($STARTS starts)"
# SDL shows a box from a child process of its own: the box is up when that
# child is forked. The first fork of the program (about 40 ms in) is the
# session bus's autolaunch check; the box's is the last one before the kill.
for _ in $(seq "$STARTS"); do
    timeout 3 perf record -q -o "$WORK/perf.data" \
        -e sched:sched_process_exec,sched:sched_process_fork -- "$GAME" >/dev/null 2>&1 || true
    perf script -i "$WORK/perf.data" 2>/dev/null | python3 -c '
import re, sys
exec_at = None; forks = []
for line in sys.stdin:
    m = re.search(r"\s([0-9]+\.[0-9]+):\s+sched:(sched_process_\w+)", line)
    if not m: continue
    t, what = float(m.group(1)), m.group(2)
    if what == "sched_process_exec" and exec_at is None: exec_at = t
    elif what == "sched_process_fork" and exec_at is not None: forks.append(t)
print("first box %.0f ms after exec" % ((forks[-1] - exec_at) * 1000) if forks else "no box")'
done

echo "== play for ${PLAY_SECONDS}s"
if [[ ${LOAD:-0} -gt 0 ]]; then
    for _ in $(seq "$LOAD"); do
        (while :; do :; done) &
        LOAD_PIDS+=($!)
    done
fi
MORVASK_TICK_LOG=$WORK/ticks.log "$GAME" >/dev/null 2>&1 &
GAME_PID=$!
# Boxes take their default answers: each is a window of its own beside the
# game's, answered once it has the focus. True when one was answered.
answer_box() {
    local id
    for id in $(xwininfo -root -children 2>/dev/null | awk '$1 ~ /^0x/ {print $1}'); do
        xwininfo -id "$id" 2>/dev/null | grep -q 'Map State: IsViewable' || continue
        xprop -id "$id" _NET_WM_NAME 2>/dev/null | grep -q '"Morvask V1.0"' && continue
        xprop -id "$id" _NET_WM_NAME 2>/dev/null | grep -q '_NET_WM_NAME' || continue
        xdotool windowfocus "$id" 2>/dev/null || continue
        sleep 0.1
        xdotool key Return 2>/dev/null || continue
        sleep 0.3
        return 0
    done
    return 1
}
# The boxes of start-up and of the first level, until none comes for a while.
answered=0 quiet=0
while ((quiet < 8)); do
    if answer_box; then
        answered=$((answered + 1)) quiet=0
    else
        quiet=$((quiet + 1))
        sleep 0.25
    fi
done
echo "answered $answered boxes"
MAIN=$(xdotool search --name 'Morvask V1.0' 2>/dev/null | head -n1)
[[ -n $MAIN ]] && xdotool windowfocus "$MAIN" 2>/dev/null || true
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
    # A box of the game (a lost level) is answered and play goes on.
    answer_box && [[ -n $MAIN ]] && xdotool windowfocus "$MAIN" 2>/dev/null && xdotool keydown space
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
