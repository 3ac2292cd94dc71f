# shellcheck shell=bash
# The desktop game run under a virtual X server for the end-to-end checks,
# sourced by them after they set GAME_BINARY, OUTPUT_DIR and, to verify
# replays, SIM_BINARY: recorded_game_setup [WIDTHxHEIGHT] makes the folders
# and the environment (its own settings folder, boxes traced to the game's
# log) and the display;
# start_game ARGS... starts the game in OUTPUT_DIR/work and finds its window;
# answer_next N answers boxes until N have been; wait_game_end waits for the
# game to end and sets GAME_STATUS. Every wait is a deadline in seconds: on a
# loaded machine each try (a grep, an xdotool call) takes longer.
# shellcheck source=tests/e2e/x_display.sh
source "$(dirname "${BASH_SOURCE[0]}")/x_display.sh"
WAIT_SECONDS=240
GAME_PID=
GAME_STATUS=
WINDOW=

# shellcheck disable=SC2317  # called by the trap
recorded_game_cleanup() {
    [[ -n $GAME_PID ]] && kill "$GAME_PID" 2>/dev/null
    stop_x_display
    wait 2>/dev/null
}

fail() {
    echo "FAIL: $*"
    if [[ -n $GAME_PID ]]; then
        kill -0 "$GAME_PID" 2>/dev/null && echo "the game is still running" || echo "the game has ended"
    fi
    [[ -f $GAME_LOG ]] && echo "its log:" && tail -8 "$GAME_LOG"
    exit 1
}

recorded_game_setup() {
    local tool
    for tool in Xvfb openbox xdotool xprop import python3; do
        if ! command -v "$tool" >/dev/null 2>&1; then
            echo "skipped: $tool is not installed"
            exit 77
        fi
    done
    GAME_BINARY=$(cd "$(dirname "$GAME_BINARY")" && pwd)/$(basename "$GAME_BINARY")
    if [[ -n ${SIM_BINARY:-} ]]; then
        SIM_BINARY=$(cd "$(dirname "$SIM_BINARY")" && pwd)/$(basename "$SIM_BINARY")
    fi
    rm -rf "$OUTPUT_DIR"
    mkdir -p "$OUTPUT_DIR/work" "$OUTPUT_DIR/config/morvask"
    OUTPUT_DIR=$(cd "$OUTPUT_DIR" && pwd)
    export LC_ALL=C.UTF-8
    export DBUS_SESSION_BUS_ADDRESS=${DBUS_SESSION_BUS_ADDRESS:-disabled:}
    export XDG_CONFIG_HOME=$OUTPUT_DIR/config
    export MORVASK_TRACE_DIALOGS=1
    GAME_LOG=$OUTPUT_DIR/game.log
    trap recorded_game_cleanup EXIT
    start_x_display "$OUTPUT_DIR" "${1:-1280x1024}" || fail "no display"
}

# until_deadline COMMAND...: true once COMMAND succeeds within WAIT_SECONDS.
until_deadline() {
    local deadline=$((SECONDS + WAIT_SECONDS))
    until "$@"; do
        ((SECONDS < deadline)) || return 1
        sleep 0.1
    done
}

game_window_found() {
    # The title may carry the status after the game's own.
    WINDOW=$(xdotool search --pid "$GAME_PID" --name '^Morvask V1\.0' 2>/dev/null | head -1)
    [[ -n $WINDOW ]]
}

start_game() {
    (cd "$OUTPUT_DIR/work" && exec "$GAME_BINARY" "$@") 2>>"$GAME_LOG" &
    GAME_PID=$!
    until_deadline game_window_found || fail "no window"
    xdotool windowactivate --sync "$WINDOW" 2>/dev/null || true
}

# send_keys xdotool-COMMAND KEYS...: to the game's window, or to the focus
# where the server takes no events sent to a window.
send_keys() {
    local command=$1
    shift
    xdotool "$command" --window "$WINDOW" "$@" 2>/dev/null || xdotool "$command" "$@"
}

# Presses Return while the Nth box is open; true once N have been answered.
box_answered() {
    (($(grep -c '^dialog: answer ' "$GAME_LOG") >= $1)) && return 0
    (($(grep -c '^dialog: open ' "$GAME_LOG") >= $1)) && send_keys key Return
    sleep 0.1
    return 1
}

answer_next() {
    until_deadline box_answered "$1" ||
        fail "box $1 was not answered ($(grep -c '^dialog: open ' "$GAME_LOG") opened)"
}

game_ended() { ! kill -0 "$GAME_PID" 2>/dev/null; }

stop_game() {
    [[ -n $GAME_PID ]] && kill "$GAME_PID" 2>/dev/null && wait "$GAME_PID" 2>/dev/null
    GAME_PID=
}

wait_game_end() {
    until_deadline game_ended || fail "the game does not end"
    wait "$GAME_PID"
    # shellcheck disable=SC2034  # read by the checks that source this
    GAME_STATUS=$?
    GAME_PID=
}
