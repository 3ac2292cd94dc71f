#!/usr/bin/env bash
# A save reaches the disk before it counts: under strace, the new map is
# created exclusively without following links, flushed before it is renamed
# over map.txt, and the directory is flushed after the rename.
# usage: save_durability_check.sh MORVASK_SIM     (exit 77: no strace here)
set -euo pipefail
sim="$(realpath "$1")"
command -v strace >/dev/null || { echo "skipped: no strace"; exit 77; }
# The leak checker of a sanitizer build cannot run under ptrace.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work"
# Into the editor (no map yet), then F3 and Yes to the save question.
printf 'answer ok ok no ok\nstart\nanswer yes\npress F1\nanswer yes ok\npress F3\n' >script.sim
strace -f -qq -e trace=openat,fsync,rename,renameat,renameat2,close -o trace.txt \
    "$sim" script.sim >out.jsonl
grep -q '"text":"地图保存成功！"' out.jsonl || { echo "the save did not succeed"; cat out.jsonl; exit 1; }
python3 - trace.txt <<'PY'
import re, sys
lines = open(sys.argv[1]).read().splitlines()
def find(pattern, start=0):
    for i in range(start, len(lines)):
        m = re.search(pattern, lines[i])
        if m:
            return i, m
    sys.exit(f"not in the trace: {pattern}\n" + "\n".join(lines[start:]))
i, m = find(r'openat\(AT_FDCWD, "(map\.txt\.saving-\w{12})", ([^,]+), 0600\) = (\d+)')
flags = m.group(2)
for flag in ("O_CREAT", "O_EXCL", "O_NOFOLLOW"):
    if flag not in flags:
        sys.exit(f"the temporary file is opened without {flag}: {flags}")
name, fd = m.group(1), m.group(3)
j, _ = find(rf'fsync\({fd}\)\s*= 0', i)
k, _ = find(rf'rename(at2?)?\(.*"{name}".*"map\.txt"', j)
l, m = find(r'openat\(AT_FDCWD, "\.", [^)]*O_DIRECTORY[^)]*\) = (\d+)', k)
find(rf'fsync\({m.group(1)}\)\s*= 0', l)
print("save durability: holds")
PY
