# shellcheck shell=bash
# shellcheck disable=SC2034,SC2317  # read by the checks; called through waits
# The desktop program on a virtual X server for the end-to-end checks, sourced
# by them after they set GAME_BINARY, OUTPUT_DIR and, to verify replays,
# SIM_BINARY:
#   desktop_setup [WIDTHxHEIGHT [OPENBOX_CONFIG | none]]: fresh folders, the
#     environment (a settings folder of its own, SETTINGS its file, boxes
#     traced to the game's log, no session bus) and the display; exits 77
#     when a tool is missing; new_display starts another display;
#   launch_game ARGS... starts the game in OUTPUT_DIR/work, its output in
#     GAME_LOG (game-$GAME_NAME.log when GAME_NAME is set); start_game also
#     finds its window (WINDOW_NAME) in WINDOW;
#   answer_next N [KEY] presses KEY (Return) whenever a box is open, until N
#     have been answered; wait_box N TEXT: the Nth box opens and holds TEXT;
#     answer_box N TEXT [KEY] waits for it, then answers it;
#   expect_box CAPTION TEXT and answer KEY ANSWER follow the boxes one by one;
#   wait_game_end sets GAME_STATUS; pass, fail and finish tell the result.
# Every wait is a deadline of WAIT_SECONDS: on a loaded machine, or in a
# sanitizer build, each step takes longer; only a failure waits it out.
# shellcheck source=tests/e2e/x_display.sh
source "$(dirname "${BASH_SOURCE[0]}")/x_display.sh"
WAIT_SECONDS=${MORVASK_E2E_WAIT:-240}
WINDOW_NAME='^Morvask V1\.0'
GAME_PID=
GAME_STATUS=
GAME_LOG=
WINDOW=
PASSED=0
OPENS_SEEN=0
ANSWERS_SEEN=0

desktop_setup() {
    local tool
    for tool in Xvfb openbox xdotool wmctrl xwininfo xprop import convert python3; do
        if ! command -v "$tool" >/dev/null 2>&1; then
            echo "skipped: $tool is not installed"
            exit 77
        fi
    done
    GAME_BINARY=$(realpath "$GAME_BINARY")
    [[ -z ${SIM_BINARY:-} ]] || SIM_BINARY=$(realpath "$SIM_BINARY")
    rm -rf "$OUTPUT_DIR"
    mkdir -p "$OUTPUT_DIR/work" "$OUTPUT_DIR/config/morvask"
    OUTPUT_DIR=$(realpath "$OUTPUT_DIR")
    # A bare X server has no session bus: saying so spares the program's
    # libraries an attempt to start one (which also leaks in sanitizer builds).
    export LC_ALL=C.UTF-8 DBUS_SESSION_BUS_ADDRESS=disabled: MORVASK_TRACE_DIALOGS=1
    # The game writes its settings on first start: into the output, not into
    # the home of whoever runs the tests.
    export XDG_CONFIG_HOME=$OUTPUT_DIR/config
    SETTINGS=$XDG_CONFIG_HOME/morvask/settings.ini
    trap desktop_cleanup EXIT
    start_x_display "$OUTPUT_DIR" "${1:-1280x1024}" "${2:-}" || fail "no display"
}

# new_display WIDTHxHEIGHT [OPENBOX_CONFIG]: the game ended, a fresh display.
new_display() {
    stop_game
    stop_x_display
    start_x_display "$OUTPUT_DIR" "$@" || fail "no display"
}

# At the end, or at a failure: a game stuck (in its window's start, say) is
# not waited for.
desktop_cleanup() {
    [[ -n $GAME_PID ]] && kill -9 "$GAME_PID" 2>/dev/null && wait "$GAME_PID" 2>/dev/null
    stop_x_display
}

fail() {
    echo "FAIL: $*"
    if [[ -n ${DISPLAY:-} ]] && import -window root "$OUTPUT_DIR/failure.png" 2>/dev/null; then
        echo "  the screen then: $OUTPUT_DIR/failure.png"
    fi
    if [[ -n $GAME_PID ]]; then
        game_running && echo "  the game is still running" || echo "  the game has ended"
    fi
    [[ -s $GAME_LOG ]] && echo "  its log:" && tail -n 12 "$GAME_LOG" | sed 's/^/    /'
    echo "$PASSED passed, 1 failed"
    exit 1
}

pass() {
    PASSED=$((PASSED + 1))
    echo "ok: $*"
}

finish() {
    echo "$PASSED passed, 0 failed"
    exit 0
}

until_deadline() { x_display_wait "$WAIT_SECONDS" "$@"; }

# An ended game stays a zombie until it is waited for.
game_running() { [[ -n $GAME_PID && $(ps -o stat= -p "$GAME_PID" 2>/dev/null) == [^Z]* ]]; }
game_ended() { ! game_running; }

launch_game() {
    GAME_LOG=$OUTPUT_DIR/game${GAME_NAME:+-$GAME_NAME}.log
    OPENS_SEEN=0
    ANSWERS_SEEN=0
    (cd "$OUTPUT_DIR/work" && exec "$GAME_BINARY" "$@") >"$GAME_LOG" 2>&1 &
    GAME_PID=$!
}

game_window_found() {
    game_running || fail "the game ended before its window appeared"
    WINDOW=$(xdotool search --onlyvisible --pid "$GAME_PID" --name "$WINDOW_NAME" 2>/dev/null | head -n1)
    [[ -n $WINDOW ]]
}

# The window is given the focus, through the window manager when there is one.
focus_window() {
    timeout 5 xdotool windowactivate --sync "$WINDOW" >/dev/null 2>&1 ||
        timeout 5 xdotool windowfocus --sync "$WINDOW" >/dev/null 2>&1
}

start_game() {
    launch_game "$@"
    until_deadline game_window_found || fail "no window named $WINDOW_NAME"
    focus_window
}

stop_game() {
    [[ -n $GAME_PID ]] && kill "$GAME_PID" 2>/dev/null && wait "$GAME_PID" 2>/dev/null
    GAME_PID=
}

wait_game_end() {
    until_deadline game_ended || fail "the game does not end"
    wait "$GAME_PID"
    GAME_STATUS=$?
    GAME_PID=
}

# send_keys xdotool-COMMAND KEYS...: to the game's window, or to the focus
# where the server takes no events sent to a window.
send_keys() {
    local command=$1
    shift
    xdotool "$command" --window "$WINDOW" "$@" 2>/dev/null || xdotool "$command" "$@"
}

# As a window manager's close button asks: WM_DELETE_WINDOW.
close_window() { wmctrl -i -c "$WINDOW"; }

shoot() {
    sleep 0.3
    import -window "${2:-$WINDOW}" "$OUTPUT_DIR/$1" || fail "no screenshot $1"
}

log_says() { grep -qF -- "$1" "$GAME_LOG"; }
wait_log() { until_deadline log_says "$1" || fail "the game's output never said: $1"; }

opened() { grep -c '^dialog: open ' "$GAME_LOG"; }
answered() { grep -c '^dialog: answer ' "$GAME_LOG"; }
box_line() { grep '^dialog: open ' "$GAME_LOG" | sed -n "${1}p"; }
boxes_opened() { (($(opened) >= $1)); }

wait_box() {
    until_deadline boxes_opened "$1" || fail "box $1 (\"$2\") did not open ($(opened) opened)"
    [[ $(box_line "$1") == *"$2"* ]] || fail "box $1 is not \"$2\": $(box_line "$1")"
}

# A box takes no key for a moment after it opens; the trace says "dialog:
# ready" when it starts to, and a key is pressed only into a ready box.
box_ready() { [[ $(grep -E '^dialog: (open|ready|answer)' "$GAME_LOG" | tail -n 1) == "dialog: ready" ]]; }

box_answered() {
    (($(answered) >= $1)) && return 0
    (($(opened) > $(answered))) && box_ready && send_keys key "$2"
    sleep 0.1
    return 1
}

answer_next() {
    until_deadline box_answered "$1" "${2:-Return}" || fail "box $1 was not answered ($(opened) opened)"
}

# answer_box N TEXT [KEY]: the Nth box holds TEXT, and KEY answers it.
answer_box() {
    wait_box "$1" "$2"
    answer_next "$1" "${3:-Return}"
}

# expect_box CAPTION TEXT: the next box the game opens is this one.
box_opened() {
    game_running || fail "the game ended while a box was awaited"
    (($(opened) > OPENS_SEEN))
}
expect_box() {
    until_deadline box_opened || fail "no box \"$2\""
    OPENS_SEEN=$((OPENS_SEEN + 1))
    local line
    line=$(box_line "$OPENS_SEEN")
    [[ $line == "dialog: open \"$1\" \"$2\"" ]] || fail "expected the box \"$1\" \"$2\", found: $line"
    sleep 0.2
}

# expect_answer ANSWER: the open box closes with ANSWER (ok, yes or no).
box_closed() { (($(answered) > ANSWERS_SEEN)); }
expect_answer() {
    until_deadline box_closed || fail "the box was not answered $1"
    ANSWERS_SEEN=$((ANSWERS_SEEN + 1))
    local line
    line=$(grep '^dialog: answer ' "$GAME_LOG" | sed -n "${ANSWERS_SEEN}p")
    [[ $line == "dialog: answer $1" ]] || fail "the box was answered: $line, not $1"
}

# A window just mapped or resized may not have the keyboard yet: it is given
# the focus first, as a click would.
press_in_window() {
    focus_window
    send_keys key "$1"
}

# answer KEY ANSWER: KEY closes the open box with ANSWER. A key still lost
# while a fresh window settles (a sanitizer build on a busy machine) is
# pressed once more after a silence; a second answer would then show.
answer() {
    until_deadline box_ready || fail "the box never took answers"
    press_in_window "$1"
    x_display_wait 10 box_closed || press_in_window "$1"
    expect_answer "$2"
}
