#!/usr/bin/env bash
# End to end, two players in the real window: the desktop program started
# with --players 2 on a virtual X server; the first player drives and fires
# with the arrows and Space, the second with the keypad (8 and 0), both at
# once; the run is recorded. The replay must be of two players, hold both
# players' keys, and verify; a screenshot of the window shows the two tanks
# (coop-play.png in the output).
#
# usage: coop_e2e.sh PATH/TO/morvask PATH/TO/morvask-sim [OUTPUT_DIR]
# Exits 0 when every check passed, 1 when one failed, 77 when the tools it
# needs are missing.
set -u

GAME=${1:?usage: coop_e2e.sh PATH/TO/morvask PATH/TO/morvask-sim [OUTPUT_DIR]}
SIM=${2:?usage: coop_e2e.sh PATH/TO/morvask PATH/TO/morvask-sim [OUTPUT_DIR]}
OUT=${3:-${TMPDIR:-/tmp}/morvask-coop-e2e}
WAIT_SECONDS=${MORVASK_E2E_WAIT:-15}
HERE=$(cd "$(dirname "$0")" && pwd)

for tool in Xvfb xdotool xwininfo import python3; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "skipped: $tool is not installed (needs xvfb, xdotool, x11-utils, imagemagick)"
        exit 77
    fi
done
GAME=$(realpath "$GAME")
SIM=$(realpath "$SIM")
rm -rf "$OUT"
mkdir -p "$OUT/work" "$OUT/config/morvask"
OUT=$(cd "$OUT" && pwd)
export LC_ALL=C.UTF-8
export DBUS_SESSION_BUS_ADDRESS=${DBUS_SESSION_BUS_ADDRESS:-disabled:}
export XDG_CONFIG_HOME=$OUT/config
export MORVASK_TRACE_DIALOGS=1
# No start-up boxes and no sound device: the level's box is the only one.
printf 'intro = short\nvolume = 0\n' >"$OUT/config/morvask/settings.ini"

XVFB_PID=
GAME_PID=
cleanup() {
    [[ -n $GAME_PID ]] && kill -9 "$GAME_PID" 2>/dev/null && wait "$GAME_PID" 2>/dev/null
    [[ -n $XVFB_PID ]] && kill "$XVFB_PID" 2>/dev/null && wait "$XVFB_PID" 2>/dev/null
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*"
    [[ -s $OUT/game.log ]] && sed 's/^/    /' "$OUT/game.log"
    exit 1
}

Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$OUT/display" \
    >"$OUT/xvfb.log" 2>&1 &
XVFB_PID=$!
for _ in $(seq 600); do
    [[ -s $OUT/display ]] && break
    sleep 0.1
done
[[ -s $OUT/display ]] || fail "Xvfb did not start"
export DISPLAY=:$(head -n1 "$OUT/display" | tr -d '[:space:]')

(cd "$OUT/work" && exec "$GAME" --players 2 --scale 1 --record "$OUT/coop.mvr") \
    >"$OUT/game.log" 2>&1 &
GAME_PID=$!
WINDOW=
deadline=$((SECONDS + WAIT_SECONDS))
while ((SECONDS < deadline)) && [[ -z $WINDOW ]]; do
    for id in $(xdotool search --pid "$GAME_PID" --name '^Morvask V1\.0$' 2>/dev/null); do
        xwininfo -id "$id" 2>/dev/null | grep -q 'Map State: IsViewable' && WINDOW=$id
    done
    sleep 0.1
done
[[ -n $WINDOW ]] || fail "no game window within ${WAIT_SECONDS}s"
wait_for_log() {
    local deadline=$((SECONDS + WAIT_SECONDS))
    while ((SECONDS < deadline)); do
        grep -q "$1" "$OUT/game.log" && return 0
        sleep 0.1
    done
    fail "the game's log never said: $1"
}
wait_for_log '^dialog: open'
xdotool windowfocus --sync "$WINDOW" 2>/dev/null || true
xdotool key --window "$WINDOW" Return
wait_for_log '^dialog: answer'
sleep 0.5
# Both players at once: the first drives up and fires, the second drives up
# on Keypad 8 and fires on Keypad 0.
xdotool keydown Up keydown space keydown KP_8 keydown KP_0
sleep 1.5
xdotool keyup Up keyup space keyup KP_8 keyup KP_0
sleep 0.3
import -window "$WINDOW" "$OUT/coop-play.png" || fail "no screenshot of the window"
kill -INT "$GAME_PID"
wait "$GAME_PID"
status=$?
GAME_PID=
[[ $status == 130 ]] || fail "the game ended with $status after SIGINT, not 130"
[[ -s $OUT/coop.mvr ]] || fail "no replay was written"

python3 - "$OUT/coop.mvr" "$HERE/../replays" <<'PY' || fail "the replay does not hold two players' keys"
import sys
sys.path.insert(0, sys.argv[2])
from replay_events import events, varint
data = open(sys.argv[1], "rb").read()
assert data[4] == 3, f"format version {data[4]}, not 3"
options = {}
# The keys events (2) list the keys held: the first player's Up (0x26) and
# Space (0x20) and the second player's up (0x88) and fire (0x98) all appear.
seen = set()
for op, at, tick in events(data, options):
    if op == 2:
        count, keys_at = varint(data, at + 1)
        seen.update(data[keys_at:keys_at + count])
assert options.get(5) == 2, f"players {options.get(5)}, not 2"
missing = {0x26, 0x20, 0x88, 0x98} - seen
assert not missing, f"keys never held: {sorted(missing)}"
PY
echo "ok: the replay is of two players and holds both players' keys"
"$SIM" --verify "$OUT/coop.mvr" >"$OUT/verify.txt" 2>&1 || fail "the replay does not verify: $(cat "$OUT/verify.txt")"
echo "ok: the replay verifies: $(cat "$OUT/verify.txt")"
echo "screenshot: $OUT/coop-play.png"
