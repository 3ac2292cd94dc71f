#!/usr/bin/env bash
# Replays played in the desktop program's window, on a virtual X server with
# a window manager: a recorded game plays to its end at eight times the speed
# as the same game, whatever the viewer presses meanwhile, and P pauses it; a
# closed window stops a playback; a replay with a changed checksum stops at
# that tick with a box naming it; files that are not replays of this game are
# refused before any window opens.
#
# usage: replay_play_check.sh PATH/TO/morvask REPLAY [OUTPUT_DIR]
# Exits 0 when all is as it should be, 1 when not, 77 when tools are missing.
# shellcheck disable=SC2317,SC2015  # predicates called through waits; A && B || fail
set -u

GAME_BINARY=${1:?usage: replay_play_check.sh PATH/TO/morvask REPLAY [OUTPUT_DIR]}
REPLAY=$(realpath "${2:?usage: replay_play_check.sh PATH/TO/morvask REPLAY [OUTPUT_DIR]}")
OUTPUT_DIR=${3:-${TMPDIR:-/tmp}/morvask-replay-play-e2e}
HERE=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=tests/e2e/desktop_game.sh
source "$HERE/desktop_game.sh"
desktop_setup 1280x1024

# The replay spoilt three ways, and with one stored checksum changed: the
# tick of that checksum.
TICK=$(python3 - "$REPLAY" "$OUTPUT_DIR" "$HERE/../replays" <<'PY'
import sys
sys.path.insert(0, sys.argv[3])
from replay_events import checksum_offsets, varint
replay, out = open(sys.argv[1], "rb").read(), sys.argv[2]
open(f"{out}/notes.mvr", "w").write("not a replay\n")
spoilt = bytearray(replay)
spoilt[4] = 2
open(f"{out}/version2.mvr", "wb").write(spoilt)
# The hash of the built-in levels follows the seed.
spoilt = bytearray(replay)
_, at = varint(spoilt, 4)
length, at = varint(spoilt, at)
spoilt[at + length + 4] ^= 0x01
open(f"{out}/levels.mvr", "wb").write(spoilt)
spoilt = bytearray(replay)
at, tick = checksum_offsets(spoilt)[2]
spoilt[at + 1] ^= 0x10
open(f"{out}/tampered.mvr", "wb").write(spoilt)
print(tick)
PY
)
[[ -n $TICK ]] || fail "the replay could not be spoilt"

# Refused before any window: with no display at all, which would otherwise
# be the complaint.
for refused in "notes.mvr:not a replay" "version2.mvr:version" \
    "levels.mvr:level set that is not here" "missing.mvr:cannot read"; do
    file=$OUTPUT_DIR/${refused%%:*}
    (cd "$OUTPUT_DIR/work" && exec env -u DISPLAY timeout 20 "$GAME_BINARY" --play "$file") \
        >/dev/null 2>"$OUTPUT_DIR/refused.txt"
    status=$?
    said=$(cat "$OUTPUT_DIR/refused.txt")
    [[ $status == 2 && $said == *"${refused#*:}"* && $said == *"$file"* && $said != *"no display"* ]] ||
        fail "${file##*/}: exit $status, said: $said"
    pass "${file##*/} is refused with exit 2 before any window"
done

title() { xdotool getwindowname "$WINDOW"; }
title_ends() { [[ $(title) == *"$1" ]]; }

# The whole game at eight times the speed, the viewer pressing keys and
# moving the pointer meanwhile: none of it reaches the game.
GAME_NAME=play start_game --scale 1 --play "$REPLAY" --speed 8
title_ends "replay x8" || fail "the playback's title is $(title)"
pass "the playback opens a window that says it is a replay at x8"
sleep 0.5
press_in_window p
until_deadline title_ends "replay paused (P goes on)" || fail "P did not pause: $(title)"
pass "P pauses the playback, and the caption says so"
sleep 0.5
import -window "$WINDOW" rgb:- >"$OUTPUT_DIR/paused-1.rgb"
sleep 0.5
import -window "$WINDOW" rgb:- >"$OUTPUT_DIR/paused-2.rgb"
game_running && [[ -s $OUTPUT_DIR/paused-1.rgb ]] && cmp -s "$OUTPUT_DIR/paused-1.rgb" "$OUTPUT_DIR/paused-2.rgb" ||
    fail "the paused playback did not wait"
pass "a paused playback waits: the window shows the same picture"
send_keys key p
until_deadline title_ends "replay x8" || fail "P again did not go on: $(title)"
pass "P again goes on"
for keys in "Left space" F1 Escape Return h "Up w"; do
    # shellcheck disable=SC2086  # a few keys at once
    send_keys key $keys
    sleep 0.1
done
xdotool mousemove --window "$WINDOW" 300 300 click 1
WAIT_SECONDS=600 wait_game_end
log_says "the same game as recorded" && log_says "end of the replay" && ((GAME_STATUS == 0)) ||
    fail "the playback ended with $GAME_STATUS"
pass "the replay plays to its end as the same game and exits 0"
(($(opened) >= 4 && $(opened) == $(answered))) && log_says 游戏结束 ||
    fail "$(opened) boxes opened, $(answered) closed"
pass "its $(opened) boxes showed and closed by themselves, the game-over box among them"

# In a replayed box the window's own keys work as in play: P held at the
# first start-up boxes (a paused box stays open), F10 changes the scale.
GAME_NAME=box-keys start_game --scale 1 --play "$REPLAY"
press_in_window p
until_deadline title_ends "replay paused (P goes on)" || fail "P did not pause: $(title)"
(($(opened) > $(answered))) || fail "no box stood open when P paused the playback"
press_in_window F10
# The indicator speaks the replay's language: any indicator at all is F10's.
wait_log "indicator: "
(($(opened) > $(answered))) || fail "the paused box closed"
pass "F10 changes the scale mode while a replayed box stands open"
close_window
WAIT_SECONDS=10 wait_game_end

# Closing the window stops a playback at normal speed at once.
GAME_NAME=closed start_game --scale 1 --play "$REPLAY"
sleep 2
close_window
WAIT_SECONDS=10 wait_game_end
log_says "playback stopped at tick" && ((GAME_STATUS == 0)) || fail "the playback ended with $GAME_STATUS"
pass "closing the window stops the playback with exit 0"

# A stored checksum changed: the playback stops at its tick with a box that
# names it, and the program exits 1 once the box is answered.
GAME_NAME=tampered start_game --scale 1 --play "$OUTPUT_DIR/tampered.mvr" --speed 8
notice_shown() { grep '^dialog: open "回放"' "$GAME_LOG" | grep -q " $TICK "; }
until_deadline notice_shown || fail "no box naming tick $TICK"
pass "a changed checksum stops the playback with a box naming tick $TICK"
# The box waits for its reader.
sleep 1
game_running || fail "the box did not wait to be answered"
until_deadline box_ready || fail "the box never took answers"
press_in_window Return
wait_game_end
log_says "desync at tick $TICK: the state differs" && ((GAME_STATUS == 1)) ||
    fail "the playback ended with $GAME_STATUS"
pass "the desync is told with its tick and reason, and the exit is 1"
finish
