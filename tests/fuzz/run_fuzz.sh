#!/usr/bin/env bash
# Fuzzes the map reader for a while from the seed corpus of the built-in
# levels; fails on any finding (a crash, a sanitizer report, a disagreement
# with the second reader, a leak, a time-out).
# usage: run_fuzz.sh FUZZ_BUILD_DIR [SECONDS]   (default 60)
set -euo pipefail
build="$(realpath "$1")"
seconds="${2:-60}"
corpus="$build/fuzz-corpus"
seeds="$build/fuzz-seeds"
findings="$build/fuzz-findings"
rm -rf "$seeds" "$findings"
mkdir -p "$corpus" "$seeds" "$findings"
"$build/morvask-fuzz-seeds" "$seeds"
status=0
# The corpus grows from run to run; the seeds are read each time.
"$build/morvask-fuzz-map" -max_total_time="$seconds" -max_len=65536 -timeout=10 \
    -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$findings/" \
    "$corpus" "$seeds" >"$build/fuzz.log" 2>&1 || status=$?
tail -n 12 "$build/fuzz.log"
found="$(find "$findings" -type f | head -n 5)"
if [ "$status" -ne 0 ] || [ -n "$found" ]; then
    echo "fuzz: the map reader failed (exit $status); see $build/fuzz.log" >&2
    [ -n "$found" ] && echo "findings: $found" >&2
    exit 1
fi
echo "fuzz: $(grep -o 'stat::number_of_executed_units: *[0-9]*' "$build/fuzz.log" | grep -o '[0-9]*$') runs, no finding"
