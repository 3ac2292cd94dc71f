#!/usr/bin/env bash
# The web edition audited by Lighthouse in headless Chromium: builds dist/web/,
# serves it on loopback with morvask-lobby (as ./scripts/web does; the page's
# own Python server when the build has no lobby) and runs web_lighthouse.py.
# The report and the figures go to OUTPUT_DIR.
#
# usage: web_lighthouse.sh NATIVE_BUILD_DIR [OUTPUT_DIR]
# Exits 0 when every audit checked passed, 1 when one failed, 77 when
# Emscripten, Chromium or Lighthouse (npm ci in tests/lighthouse) is missing.
set -u

NATIVE_BUILD=${1:?usage: web_lighthouse.sh NATIVE_BUILD_DIR [OUTPUT_DIR]}
OUTPUT_DIR=${2:-${TMPDIR:-/tmp}/morvask-web-lighthouse}
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
NATIVE_BUILD=$(cd "$NATIVE_BUILD" && pwd)
LIGHTHOUSE="$ROOT/tests/lighthouse/node_modules/.bin/lighthouse"

for tool in emcc node chromium python3; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "skipped: $tool is not installed (needs emscripten, chromium, node)"
        exit 77
    fi
done
if [ ! -x "$LIGHTHOUSE" ]; then
    echo "skipped: Lighthouse is not installed (cd tests/lighthouse && npm ci)"
    exit 77
fi
mkdir -p "$OUTPUT_DIR"
if ! MORVASK_NATIVE_BUILD=$NATIVE_BUILD "$ROOT/scripts/web" --build-only >"$OUTPUT_DIR/build.log" 2>&1; then
    tail -n 40 "$OUTPUT_DIR/build.log"
    echo "FAIL: the web edition does not build"
    exit 1
fi
# Served as ./scripts/web serves it, by the lobby, when the build has one.
LOBBY=()
[ -x "$NATIVE_BUILD/morvask-lobby" ] && LOBBY=("$NATIVE_BUILD/morvask-lobby")
exec python3 "$ROOT/tests/e2e/web_lighthouse.py" "$LIGHTHOUSE" "$ROOT/dist/web" "$OUTPUT_DIR" "${LOBBY[@]}"
