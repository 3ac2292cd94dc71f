#!/usr/bin/env bash
# A run whose sound question the settings answered (sound = on or off),
# recorded by morvask-sim, is a replay of format version 5 that verifies; the
# same run with the question asked is of the version it always was.
# usage: sound_replay_check.sh PATH/TO/morvask-sim SCENARIO_DIR
set -u
SIM=$(realpath "${1:?usage: sound_replay_check.sh PATH/TO/morvask-sim SCENARIO_DIR}")
SCENARIOS=$(realpath "${2:?usage: sound_replay_check.sh PATH/TO/morvask-sim SCENARIO_DIR}")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
status=0
check() { # NAME SCRIPT VERSION
    if ! "$SIM" --lang en --record "$1.mvr" "$2" >/dev/null 2>"$1.err"; then
        echo "FAIL: $1 could not be recorded: $(cat "$1.err")"
        status=1
        return
    fi
    local version result
    version=$(od -An -tu1 -j4 -N1 "$1.mvr" | tr -d ' ')
    result=$("$SIM" --verify "$1.mvr" 2>&1)
    if [[ $version != "$3" || $result != *'"result":"same"'* ]]; then
        echo "FAIL: $1: version $version (not $3), $result"
        status=1
    else
        echo "ok: $1 verifies (version $3)"
    fi
}
for name in startup_sound_off startup_sound_on; do
    grep -v '^#' "$SCENARIOS/$name.sim" >"$name.sim"
    check "$name" "$name.sim" 5
    # Asked instead: the game's own start, written as before.
    grep -v '^sound ' "$name.sim" | grep -v '^menu' | sed 's/^answer ok ok ok$/answer ok ok yes ok/' >"$name-asked.sim"
    check "$name-asked" "$name-asked.sim" 2
done
exit $status
