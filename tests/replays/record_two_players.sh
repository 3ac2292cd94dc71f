#!/bin/sh
# Records tests/replays/two_players.mvr: the script two_players.sim played by
# morvask-sim on the map two_players_map.txt. Run it again only when the rules
# change on purpose.
# Usage: record_two_players.sh MORVASK_SIM
set -eu
here=$(cd "$(dirname "$0")" && pwd)
sim=$(realpath "$1")
work=$(mktemp -d)
cp "$here/two_players_map.txt" "$work/map.txt"
(cd "$work" && "$sim" --record "$here/two_players.mvr" "$here/two_players.sim" > /dev/null)
rm -rf "$work"
"$sim" --verify "$here/two_players.mvr"
