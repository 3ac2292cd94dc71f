# shellcheck shell=bash
# A virtual X server and a window manager for the end-to-end checks, sourced
# by them: start_x_display DIR WIDTHxHEIGHT [OPENBOX_CONFIG | none] starts
# both, or the server alone with none (it takes the first free display number
# itself), exports DISPLAY and returns once the window manager has started;
# stop_x_display ends both.
# Each wait is a deadline in seconds: a loaded machine starts them slower.
X_DISPLAY_PIDS=()

# x_display_wait SECONDS COMMAND...: true once COMMAND succeeds in time.
x_display_wait() {
    local deadline=$((SECONDS + $1))
    shift
    until "$@"; do
        ((SECONDS < deadline)) || return 1
        sleep 0.1
    done
}

# openbox has announced itself (not yet that it has started).
x_display_managed() {
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'
}

start_x_display() {
    local dir=$1 size=$2 config=${3:-} fd
    rm -f "$dir/display"
    exec {fd}>"$dir/display"
    # -noreset: a server that resets when its last client leaves drops those
    # that connect meanwhile.
    Xvfb -displayfd "$fd" -screen 0 "${size}x24" -nolisten tcp -noreset >>"$dir/xvfb.log" 2>&1 &
    X_DISPLAY_PIDS+=($!)
    exec {fd}>&-
    if ! x_display_wait 60 test -s "$dir/display"; then
        echo "Xvfb did not start (see $dir/xvfb.log)"
        return 1
    fi
    DISPLAY=:$(head -n1 "$dir/display" | tr -d '[:space:]')
    export DISPLAY
    [[ $config == none ]] && return 0
    # openbox announces itself on the root window early in its start-up, and
    # can drop a window's map request until it has finished: the checks wait
    # for the command it runs once it is ready.
    rm -f "$dir/openbox-ready"
    openbox --sm-disable ${config:+--config-file "$config"} --startup "touch '$dir/openbox-ready'" \
        >>"$dir/openbox.log" 2>&1 &
    X_DISPLAY_PIDS+=($!)
    if ! x_display_wait 60 test -e "$dir/openbox-ready"; then
        echo "openbox did not start (see $dir/openbox.log)"
        return 1
    fi
}

stop_x_display() {
    local pid
    for pid in "${X_DISPLAY_PIDS[@]}"; do
        { kill "$pid" && wait "$pid"; } 2>/dev/null || true
    done
    X_DISPLAY_PIDS=()
}
