#!/usr/bin/env bash
# Runs a command in a network namespace of its own, so that a network test
# (WebRTC between pages, the lobby, UDP peers) sends nothing outside it:
# inside, loopback and a veth pair (198.18.0.1 and .2, the range set aside
# for network benchmarks) with a default route through it, without which
# Chromium gathers no WebRTC candidates. The namespace goes with the command.
#
# usage: in_netns.sh COMMAND [ARG...]
# Exits with the command's status, or 77 when no namespace can be made
# (not root, or no `ip`).
set -u
[ $# -ge 1 ] || { echo "usage: in_netns.sh COMMAND [ARG...]" >&2; exit 2; }
if [ "$(id -u)" != 0 ] || ! command -v ip >/dev/null 2>&1; then
    echo "skipped: a network namespace needs root and iproute2"
    exit 77
fi
ns="morvask-test-$$"
ip netns add "$ns" 2>/dev/null || { echo "skipped: cannot make a network namespace"; exit 77; }
trap 'ip netns del "$ns" 2>/dev/null' EXIT
run() { ip netns exec "$ns" "$@"; }
run ip link set lo up &&
    run ip link add v0 type veth peer name v1 &&
    run ip addr add 198.18.0.1/24 dev v0 && run ip addr add 198.18.0.2/24 dev v1 &&
    run ip link set v0 up && run ip link set v1 up &&
    run ip route add default via 198.18.0.2 dev v0 ||
    { echo "skipped: cannot set up the namespace's links"; exit 77; }
run "$@"
