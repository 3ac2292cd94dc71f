#!/usr/bin/env bash
# Fuzzes every reader of outside input from its seeds, one target after the
# other: the map file, the replay file, the settings file, the records file,
# morvask-sim's scripts, the share codes, the datagrams of online play and
# the lobby's messages. Fails on any finding (a crash, a sanitizer report,
# a broken property, a leak, a time-out); each target's corpus grows from run
# to run.
# usage: run_fuzz.sh FUZZ_BUILD_DIR [SECONDS]       the budget in all, shared (default 60)
#        run_fuzz.sh --each SECONDS FUZZ_BUILD_DIR  that long for every target
# MORVASK_FUZZ_RUNS=N ends a target after N runs if that comes first;
# MORVASK_FUZZ_TARGETS="map replay" runs only those.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
each=""
if [ "${1:-}" = --each ]; then
    each="$2"
    shift 2
fi
build="$(realpath "$1")"
read -r -a targets <<<"${MORVASK_FUZZ_TARGETS:-map replay settings records script share datagram lobby}"
budget="${2:-60}"
started=$SECONDS

# Seeds, made afresh: what the game writes, and the tests' own files.
seeds="$build/fuzz-seeds"
rm -rf "$seeds"
mkdir -p "$seeds/map" "$seeds/settings" "$seeds/replay" "$seeds/script" "$seeds/share" \
    "$seeds/records" "$seeds/datagram"
"$build/morvask-fuzz-seeds" "$seeds" "$root"/tests/replays/*.mvr
cp "$root"/tests/fuzz/seeds/settings/* "$seeds/settings/"
cp "$root"/tests/fuzz/seeds/records/* "$seeds/records/"
cp "$root"/tests/fuzz/seeds/datagram/* "$seeds/datagram/"
mkdir -p "$seeds/lobby"
cp "$root"/tests/fuzz/seeds/lobby/* "$seeds/lobby/"
cp "$root"/tests/replays/*.mvr "$root"/tests/fuzz/seeds/replay/* "$seeds/replay/"
cp "$root"/tests/scenarios/*.sim "$seeds/script/"

# The longest input each reader gets: a saved map is 29,711 bytes, the
# replays and scripts of the tests a few thousand, a settings file 1,700, the
# code of the built-in set 2,062 and of the longest pinned replay 4,468.
max_len() {
    case "$1" in
    map) echo 32768 ;;
    replay) echo 16384 ;;
    share) echo 12288 ;;
    datagram) echo 400 ;;
    lobby) echo 1200 ;;
    *) echo 8192 ;;
    esac
}

# Every run frees what it wrote; under the default 256 MB quarantine each run
# then touches fresh pages, which cost more than the run itself. 16 MB still
# keeps the memory of the last hundreds of runs poisoned.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}quarantine_size_mb=16"

failed=0
left=${#targets[@]}
for name in "${targets[@]}"; do
    # A shared budget counts everything: each target gets its share of what
    # is left, less three seconds for starting and stopping.
    seconds="${each:-$(((budget - (SECONDS - started)) / left - 3))}"
    [ "$seconds" -ge 1 ] || seconds=1
    left=$((left - 1))
    corpus="$build/fuzz-corpus/$name"
    findings="$build/fuzz-findings/$name"
    log="$build/fuzz-$name.log"
    rm -rf "$findings"
    mkdir -p "$corpus" "$findings"
    dict=()
    [ -f "$root/tests/fuzz/$name.dict" ] && dict=(-dict="$root/tests/fuzz/$name.dict")
    runs=()
    [ -n "${MORVASK_FUZZ_RUNS:-}" ] && runs=(-runs="$MORVASK_FUZZ_RUNS")
    # The game keeps what a script made (its levels, its editor's history) in
    # its records until the next run resets them, which libFuzzer takes for a
    # possible leak after every such run and checks with a scan of the whole
    # heap: a tenth to a fifth of the script target's time. Leaks are still looked for
    # when the target ends.
    [ "$name" = script ] && runs+=(-detect_leaks=0)
    status=0
    "$build/morvask-fuzz-$name" -max_total_time="$seconds" "${runs[@]}" -max_len="$(max_len "$name")" \
        -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$findings/" \
        "${dict[@]}" "$corpus" "$seeds/$name" >"$log" 2>&1 || status=$?
    done_runs="$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || true)"
    found="$(find "$findings" -type f | head -n 5)"
    if [ "$status" -ne 0 ] || [ -n "$found" ]; then
        tail -n 30 "$log"
        echo "fuzz $name: FAILED (exit $status) after ${done_runs:-?} runs; see $log" >&2
        [ -n "$found" ] && echo "findings: $found" >&2
        failed=1
    else
        echo "fuzz $name: ${done_runs:-0} runs in at most $seconds s, no finding"
    fi
done
exit "$failed"
