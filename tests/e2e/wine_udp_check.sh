#!/usr/bin/env bash
# The Windows program's datagram transport under Wine: runs the loopback
# probe (tests/net/windows/udp_probe.cpp, built by scripts/build-windows) in a
# fresh prefix, bounded in time. Exits 77 (skipped) without Wine.
# Usage: wine_udp_check.sh path/to/morvask-udp-probe.exe
set -euo pipefail
if [ $# -ne 1 ] || [ ! -f "$1" ]; then
    echo "usage: $0 path/to/morvask-udp-probe.exe" >&2
    exit 2
fi
command -v wine >/dev/null 2>&1 || { echo "skipped: no Wine"; exit 77; }
probe="$(realpath "$1")"
prefix="$(mktemp -d)"
trap 'rm -rf "$prefix"' EXIT
WINEPREFIX="$prefix" WINEDEBUG=-all timeout 300 wine "$probe" 2>/dev/null | tr -d '\r'
