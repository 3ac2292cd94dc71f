#!/bin/sh
# Runs the same scripts through two morvask-sim builds and compares their
# output (and every picture they write) byte for byte.
# Usage: compare_sim_output.sh OLD_SIM NEW_SIM SCRIPT...
# (tools/random_sim_script.py writes long scripts of random play for it.)
set -eu
old=$(realpath "$1"); new=$(realpath "$2"); shift 2
work=$(mktemp -d)
status=0
for script in "$@"; do
    script=$(realpath "$script")
    name=$(basename "$script" .sim)
    for side in old new; do
        mkdir -p "$work/$side/$name"
        sim=$old; [ "$side" = new ] && sim=$new
        (cd "$work/$side/$name" && "$sim" "$script" > out.jsonl 2> err.txt || echo "exit $?" >> err.txt)
    done
    if diff -r "$work/old/$name" "$work/new/$name" > /dev/null; then
        echo "same: $name ($(wc -l < "$work/old/$name/out.jsonl") lines, $(ls "$work/old/$name" | wc -l) files)"
    else
        echo "DIFFERENT: $name"; status=1
    fi
done
rm -rf "$work"
exit $status
