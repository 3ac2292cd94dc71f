#!/usr/bin/env bash
# A run in which the menu opened, recorded by morvask-sim, is a replay of
# format version 4 that verifies: its keys chosen on the options screen, a
# level chosen from the menu and the editor's menu play again as they were,
# and nothing of the run is saved as the player's. A menu that offered Play
# online makes a file of version 6, which plays with that row.
# usage: menu_replay_check.sh PATH/TO/morvask-sim SCENARIO_DIR
set -u
SIM=$(realpath "${1:?usage: menu_replay_check.sh PATH/TO/morvask-sim SCENARIO_DIR}")
SCENARIOS=$(realpath "${2:?usage: menu_replay_check.sh PATH/TO/morvask-sim SCENARIO_DIR}")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
status=0
for named in menu_laptop_preset:4 menu_key_conflict:4 menu_editor:4 menu_choose_level:4 \
    menu_play_online:6; do
    name=${named%%:*}
    expected=${named##*:}
    grep -v '^#' "$SCENARIOS/$name.sim" >"$name.sim"
    if ! "$SIM" --lang en --record "$name.mvr" "$name.sim" >/dev/null 2>"$name.err"; then
        echo "FAIL: $name could not be recorded: $(cat "$name.err")"
        status=1
        continue
    fi
    version=$(od -An -tu1 -j4 -N1 "$name.mvr" | tr -d ' ')
    result=$("$SIM" --verify "$name.mvr" 2>&1)
    if [[ $version != "$expected" || $result != *'"result":"same"'* ]]; then
        echo "FAIL: $name: version $version, $result"
        status=1
    else
        echo "ok: $name verifies (version $version)"
    fi
done
exit $status
