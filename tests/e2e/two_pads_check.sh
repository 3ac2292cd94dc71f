#!/usr/bin/env bash
# The two-pad test (tests/sdl/two_pads_test.cpp) in a real X window on a
# virtual X server with a window manager: both tanks of a game of two
# players driven and firing from two of SDL's virtual gamepads at once.
# usage: two_pads_check.sh PATH/TO/morvask_two_pads_test [OUTPUT_DIR]
# Exits 0 when it passes, 1 when not, 77 when tools are missing.
set -u
TEST_BINARY=${1:?usage: two_pads_check.sh PATH/TO/morvask_two_pads_test [OUTPUT_DIR]}
OUTPUT_DIR=${2:-${TMPDIR:-/tmp}/morvask-two-pads}
for tool in Xvfb openbox xprop; do
    command -v "$tool" >/dev/null 2>&1 || { echo "skipped: $tool is not installed"; exit 77; }
done
rm -rf "$OUTPUT_DIR" && mkdir -p "$OUTPUT_DIR"
# shellcheck source=tests/e2e/x_display.sh
source "$(dirname "$0")/x_display.sh"
trap stop_x_display EXIT
start_x_display "$OUTPUT_DIR" 1280x1024 || exit 1
# No session bus: SDL would otherwise talk to one (and under the sanitizers
# the bus library's own buffers count as leaks).
export DBUS_SESSION_BUS_ADDRESS=disabled:
SDL_VIDEODRIVER=x11 "$TEST_BINARY"
