#!/usr/bin/env bash
# The Windows program and the Linux program in one online game over
# loopback, three times: directly, through a morvask-lobby started here on
# 127.0.0.1 (the room's code, then the direct path), and through that
# lobby's relay; then once more through the lobby, hosted from the Windows
# program's menu (Play online, Host a game), whose game before is kept and
# verifies. morvask.exe hosts under Wine, the Linux program joins, each
# player drives and fires in their own window, and both end after a set
# number of agreed ticks. In the direct game each player pauses once: the
# box holds both games until a player answers, and the answer closes the
# other program's box too. Both must write the same replay, holding both
# players' keys, and it must verify. Exits 77 (skipped) without Wine or Xvfb;
# without morvask-lobby (built beside the Linux program unless named) the
# lobby's games are skipped with a note. Through the lobby, a Windows and a
# Linux viewer watch the game and must keep the players' replay.
# Usage: wine_online_check.sh path/to/morvask.exe path/to/morvask path/to/morvask-sim [path/to/morvask-lobby]
set -uo pipefail
if [ $# -lt 3 ] || [ $# -gt 4 ]; then
    echo "usage: $0 path/to/morvask.exe path/to/morvask path/to/morvask-sim [path/to/morvask-lobby]" >&2
    exit 2
fi
exe="$(realpath "$1")"
game="$(realpath "$2")"
sim="$(realpath "$3")"
lobby="$(realpath -m "${4:-$(dirname "$game")/morvask-lobby}")"
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
    for log in windows.out windows.err linux.out linux.err lobby.out lobby.err; do
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
printf 'volume = 0\nlang = en\nintro = short\n' >"$appdata/Morvask/settings.ini"
printf 'volume = 0\nlang = en\n' >"$work/linux/morvask/settings.ini"

# both_ended NAME WINDOWS_PID LINUX_PID ANSWERER: both programs of a game
# ended by themselves with 0; the answerer of their boxes is stopped.
both_ended() {
    local name=$1 windows_status linux_status
    wait "$2"
    windows_status=$?
    wait "$3"
    linux_status=$?
    kill "$4" 2>/dev/null
    wait "$4" 2>/dev/null
    [ "$windows_status" -eq 0 ] || fail "$name: the Windows program ended with $windows_status"
    [ "$linux_status" -eq 0 ] || fail "$name: the Linux program ended with $linux_status"
}

# play NAME TICKS JOIN_TEXT: one game. The Windows program hosts with the
# options in windows_options, JOIN_TEXT (a function) reads from its output
# what the Linux program joins with, which it does with linux_options; then
# both replays are compared, verified and searched for both players' keys.
play() {
    local name=$1 ticks=$2 join_text=$3 where
    rm -f "$work/windows.out" "$work/linux.out"
    (cd "$work/play" && exec timeout 300 wine "$exe" "${windows_options[@]}" --online-ticks "$ticks" \
        --record "windows-$name.mvr" >"$work/windows.out" 2>"$work/windows.err") &
    pids+=($!)
    local windows_pid=$!
    x_display_wait 120 quietly "$join_text" || fail "$name: the Windows program printed no way to join"
    where="$("$join_text")"
    (cd "$work/play" && XDG_CONFIG_HOME="$work/linux" MORVASK_TRACE_DIALOGS=1 exec timeout 300 "$game" --join "$where" \
        "${linux_options[@]}" --online-ticks "$ticks" --record "linux-$name.mvr" \
        >"$work/linux.out" 2>"$work/linux.err") &
    pids+=($!)
    local linux_pid=$!

    x_display_wait 60 both_windows || fail "$name: the two windows did not open"
    # The Linux window is SDL's (class morvask, exactly: Wine's is morvask.exe,
    # and may open first); Wine's is the other one.
    local linux_window wine_window
    linux_window="$(xdotool search --sync --onlyvisible --class '^morvask$' | head -1)"
    wine_window="$(xdotool search --onlyvisible --name 'Morvask V1.0' | grep -vx "$linux_window" | head -1)"
    [ -n "$wine_window" ] && [ -n "$linux_window" ] || fail "$name: both windows did not open"
    hold "$wine_window" Up space
    hold "$linux_window" Up space
    answer_boxes "$linux_window" &
    local answerer=$!
    if [ "$name" = direct ]; then
        paused_from_linux "$linux_window"
        paused_from_windows "$wine_window"
    fi
    # Through the lobby, a viewer of each program watches the game once it
    # runs (started after the players' windows were found).
    local viewers=()
    if [ "$name" = lobby ]; then
        (cd "$work/play" && exec timeout 300 wine "$exe" --watch "$where" "${windows_options[@]:1}" \
            --record windows-viewer.mvr >"$work/windows-viewer.out" 2>"$work/windows-viewer.err") &
        viewers+=($!)
        (cd "$work/play" && XDG_CONFIG_HOME="$work/linux" exec timeout 300 "$game" --watch "$where" \
            "${linux_options[@]}" --record linux-viewer.mvr \
            >"$work/linux-viewer.out" 2>"$work/linux-viewer.err") &
        viewers+=($!)
        pids+=("${viewers[@]}")
    fi

    both_ended "$name" "$windows_pid" "$linux_pid" "$answerer"
    cmp -s "$work/play/windows-$name.mvr" "$work/play/linux-$name.mvr" ||
        fail "$name: the two programs wrote different replays"
    echo "pass: $name: the Windows and the Linux program wrote the same replay of $ticks ticks"
    local viewer who=windows
    for viewer in "${viewers[@]}"; do
        wait "$viewer" || fail "$name: the $who viewer ended with $?: $(tail -2 "$work/$who-viewer.err")"
        cmp -s "$work/play/$who-viewer.mvr" "$work/play/linux-$name.mvr" ||
            fail "$name: the $who viewer kept another replay than the players'"
        echo "pass: $name: the $who program watched the game to its end and kept the players' replay"
        who=linux
    done
    local verify
    verify="$("$sim" --verify "$work/play/linux-$name.mvr" 2>&1)" ||
        fail "$name: the replay does not verify: $verify"
    echo "pass: $name: it verifies: $verify"
    python3 - "$work/play/linux-$name.mvr" "$here/../replays" <<'PY' ||
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
        fail "$name: the replay lacks a player's keys"
    echo "pass: $name: it holds both players' keys"
}
quietly() { "$@" >/dev/null; }
# The Linux program's boxes, as it traces them.
linux_count() { tr -d '\r' <"$work/linux.err" 2>/dev/null | grep -c -e "$1"; }
wine_windows() { xdotool search --onlyvisible --class '^morvask\.exe$' 2>/dev/null | wc -l; }
press() {
    local window=$1 key=$2
    xdotool windowfocus --sync "$window" 2>/dev/null
    sleep 0.5
    xdotool keydown "$key"
    sleep 0.3
    xdotool keyup "$key"
}
# The Linux player pauses: the pause box shows on both screens (the Windows
# program's is a window of its own) and holds both games; the Linux
# player's answer closes the Windows program's box too.
paused_from_linux() {
    local answers
    answers="$(linux_count 'dialog: answer')"
    press "$1" p
    x_display_wait 30 test_count 1 'Game paused' || fail "the Linux player's pause did not show"
    x_display_wait 30 test_wine_windows 2 || fail "the pause box did not show in the Windows program"
    sleep 2
    [ "$(linux_count 'dialog: answer')" -eq "$answers" ] && [ "$(wine_windows)" -eq 2 ] ||
        fail "the pause did not hold both games"
    echo "pass: the Linux player's pause shows on both screens and holds both games"
    # The Wine box may take the focus back just as the key goes: the press
    # is repeated until the Linux box took an answer.
    local tries
    for tries in 1 2 3; do
        press "$1" Return
        x_display_wait 10 test_count $((answers + 1)) 'dialog: answer' && break
    done
    x_display_wait 30 test_wine_windows 1 || fail "the Linux player's answer left the Windows box open"
    echo "pass: the Linux player's answer closed the Windows program's box"
}
# The Windows player pauses and answers in its own box: the Linux program's
# box closes by itself.
paused_from_windows() {
    press "$1" p
    x_display_wait 30 test_count 2 'Game paused' || fail "the Windows player's pause did not show on Linux"
    x_display_wait 30 test_wine_windows 2 || fail "the Windows player's pause box did not show"
    sleep 1
    xdotool key Return
    x_display_wait 30 test_count 1 'closed by the other player' ||
        fail "the Windows player's answer did not close the Linux box"
    echo "pass: the Windows player's answer closed the Linux program's box"
}
test_count() { [ "$(linux_count "$2")" -ge "$1" ]; }
test_wine_windows() { [ "$(wine_windows)" -eq "$1" ]; }
# Any other box of the game (a lost tank) waits for a player's answer: the
# Linux player gives it. The pause boxes are the checks' own to answer.
last_open_is_pause() {
    tr -d '\r' <"$work/linux.err" 2>/dev/null | grep 'dialog: open' | tail -1 | grep -q 'Game paused'
}
answer_boxes() {
    while sleep 1; do
        if [ "$(linux_count 'dialog: open')" -gt "$(linux_count 'dialog: answer')" ] &&
            ! last_open_is_pause; then
            sleep 1
            press "$1" Return
        fi
    done
}
both_windows() { [ "$(xdotool search --onlyvisible --name 'Morvask V1.0' 2>/dev/null | wc -l)" -ge 2 ]; }
# What the host printed for the other to join with: ADDRESS:PORT/SESSION
# directly, a room's code through a lobby.
direct_join() {
    tr -d '\r' 2>/dev/null <"$work/windows.out" | grep -o 'join ADDRESS:[0-9]*/[0-9a-f]*' |
        head -1 | sed 's/join ADDRESS/127.0.0.1/' | grep .
}
room_join() {
    tr -d '\r' 2>/dev/null <"$work/windows.out" | grep -o -e '--join [2-9A-Z]\{5\}-\{0,1\}[2-9A-Z]\{5\}' |
        head -1 | cut -d' ' -f2 | grep .
}

# The Windows player starts a game of their own, answers its first box, and
# hosts from the menu: Esc, Play online (below New game), Host a game. The
# box of the program's own shows the room's code until the Linux program
# joins; then the Windows game ends and the online game opens in a new
# window. Its replay is kept beside the settings.
play_from_menu() {
    rm -f "$work/windows.out" "$work/linux.out" "$appdata/Morvask/online-game.mvr"
    (cd "$work/play" && exec timeout 300 wine "$exe" "${linux_options[@]:0:2}" --online-ticks 600 \
        --record windows-menu-before.mvr >"$work/windows.out" 2>"$work/windows.err") &
    pids+=($!)
    local windows_pid=$! wine_window tries
    x_display_wait 120 test_wine_windows 2 || fail "menu: the level's first box did not show"
    sleep 1
    xdotool key Return
    x_display_wait 30 test_wine_windows 1 || fail "menu: the level's first box stayed open"
    wine_window="$(xdotool search --onlyvisible --name 'Morvask V1.0' | head -1)"
    for tries in 1 2 3; do
        xdotool windowfocus --sync "$wine_window" 2>/dev/null
        sleep 0.5
        xdotool key Escape
        sleep 0.5
        xdotool key Down Down Return
        sleep 0.5
        xdotool key Return
        x_display_wait 20 quietly room_join && break
    done
    room_join >/dev/null || fail "menu: the Windows program's menu hosted no room"
    [ "$(wine_windows)" -eq 2 ] || fail "menu: the Windows program shows no box while it waits"
    echo "pass: menu: the Windows program hosts from its menu, its box waiting for the other player"
    (cd "$work/play" && XDG_CONFIG_HOME="$work/linux" MORVASK_TRACE_DIALOGS=1 exec timeout 300 "$game" \
        --join "$(room_join)" "${linux_options[@]:0:2}" --online-ticks 600 --record linux-menu.mvr \
        >"$work/linux.out" 2>"$work/linux.err") &
    pids+=($!)
    local linux_pid=$!
    x_display_wait 60 both_windows || fail "menu: the two windows of the game did not open"
    answer_boxes "$(xdotool search --sync --onlyvisible --class '^morvask$' | head -1)" &
    local answerer=$!
    both_ended menu "$windows_pid" "$linux_pid" "$answerer"
    cmp -s "$appdata/Morvask/online-game.mvr" "$work/play/linux-menu.mvr" ||
        fail "menu: the Windows program kept another replay than the Linux one wrote"
    local verify
    verify="$("$sim" --verify "$work/play/linux-menu.mvr" 2>&1)" || fail "menu: the replay does not verify: $verify"
    echo "pass: menu: both programs kept the same replay of 600 ticks, which verifies: $verify"
    verify="$("$sim" --verify "$work/play/windows-menu-before.mvr" 2>&1)" &&
        [ "$(od -An -tu1 -j4 -N1 "$work/play/windows-menu-before.mvr" | tr -d ' ')" = 6 ] ||
        fail "menu: the Windows game before the online one does not verify as version 6: $verify"
    echo "pass: menu: the Windows game before it is kept and verifies with the menu's rows"
}

windows_options=(--host --port 0)
linux_options=()
play direct 1000 direct_join

if [ ! -x "$lobby" ]; then
    echo "note: no $lobby: the games through a lobby are skipped"
    exit 0
fi
(exec timeout 900 "$lobby" --port 0 --bind 127.0.0.1 >"$work/lobby.out" 2>"$work/lobby.err") &
pids+=($!)
lobby_pid=$!
lobby_port() { sed -n 's/^morvask-lobby: listening on 127\.0\.0\.1:\([0-9]*\)$/\1/p' "$work/lobby.out" | grep .; }
x_display_wait 30 quietly lobby_port || fail "the lobby did not listen"
windows_options=(--host --lobby "127.0.0.1:$(lobby_port)")
linux_options=(--lobby "127.0.0.1:$(lobby_port)")
play lobby 600 room_join
linux_options+=(--relay)
play relayed 600 room_join
play_from_menu
kill -TERM "$lobby_pid"
wait "$lobby_pid"
status=$?
[ $status -ne 124 ] || fail "the lobby was still running after its 900 s"
[ $status -eq 0 ] || fail "the lobby did not stop cleanly on SIGTERM (exit status $status)"
counts="$(grep 'stopped;' "$work/lobby.out")"
rooms="$(sed -n 's/.* \([0-9]*\) rooms made, \([0-9]*\) joined, \([0-9]*\) relayed.*/\1 \2 \3/p' <<<"$counts")"
read -r made joined relayed <<<"$rooms"
[ "${made:-0}" -eq 3 ] && [ "${joined:-0}" -eq 3 ] || fail "the lobby's counts: $counts"
[ "${relayed:-0}" -gt 100 ] || fail "the lobby relayed too little for a relayed game: $counts"
echo "pass: the lobby made and filled the three rooms and relayed the second game ($relayed datagrams)"
