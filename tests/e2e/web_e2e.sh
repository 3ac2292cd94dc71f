#!/usr/bin/env bash
# End-to-end check of the web edition: builds it (dist/web/), then drives it
# in headless Chromium (web_e2e.py), with a virtual X display for the desktop
# program that opens a link the page made. Screenshots and the measured
# numbers go to OUTPUT_DIR.
#
# usage: web_e2e.sh NATIVE_BUILD_DIR [OUTPUT_DIR]
# Exits 0 when every check passed, 1 when one failed, 77 when Emscripten,
# Chromium, its WebDriver or Selenium is missing.
set -u

NATIVE_BUILD=${1:?usage: web_e2e.sh NATIVE_BUILD_DIR [OUTPUT_DIR]}
OUTPUT_DIR=${2:-${TMPDIR:-/tmp}/morvask-web-e2e}
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
NATIVE_BUILD=$(cd "$NATIVE_BUILD" && pwd)

for tool in emcc node chromium chromedriver python3; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "skipped: $tool is not installed (needs emscripten, chromium, chromium-driver)"
        exit 77
    fi
done
# Debian's Selenium belongs to Debian's Python, which another python3 on the
# PATH may hide.
PYTHON=python3
for candidate in python3 /usr/bin/python3; do
    if "$candidate" -c 'import selenium' 2>/dev/null; then
        PYTHON=$candidate
        break
    fi
done
if ! "$PYTHON" -c 'import selenium' 2>/dev/null; then
    echo "skipped: python3-selenium is not installed"
    exit 77
fi

mkdir -p "$OUTPUT_DIR"
echo "== building the web edition"
if ! MORVASK_NATIVE_BUILD=$NATIVE_BUILD "$ROOT/scripts/web" --build-only >"$OUTPUT_DIR/build.log" 2>&1; then
    tail -n 40 "$OUTPUT_DIR/build.log"
    echo "FAIL: the web edition does not build"
    exit 1
fi
# Pixel memory in the browser build starts black, fresh or reused.
if ! node "$ROOT/build-web/web/morvask-memcheck.js" >"$OUTPUT_DIR/memcheck.txt" 2>&1; then
    cat "$OUTPUT_DIR/memcheck.txt"
    echo "FAIL: pixel memory in the browser build is not black when made"
    exit 1
fi
echo "ok   pixel memory in the browser build is black when made, fresh or reused"
# The link guard against a stale name in the list of functions that never
# wait, with this Emscripten's own warning: a name that matches nothing fails
# the link and leaves no output behind; a name that matches passes.
GUARD_DIR="$OUTPUT_DIR/link-guard"
mkdir -p "$GUARD_DIR"
printf 'int main(void) { return 0; }\n' >"$GUARD_DIR/tiny.c"
guard_link() {
    python3 "$ROOT/programs/web/link_guard.py" emcc "$GUARD_DIR/tiny.c" -sASYNCIFY=1 \
        "-sASYNCIFY_REMOVE=[\"$1\"]" -o "$GUARD_DIR/$2.js" >>"$GUARD_DIR/log.txt" 2>&1
}
if guard_link no_such_function stale || [ -e "$GUARD_DIR/stale.wasm" ] ||
    ! guard_link main present || [ ! -e "$GUARD_DIR/present.wasm" ]; then
    cat "$GUARD_DIR/log.txt"
    echo "FAIL: the link guard does not tell a stale never-wait name from a present one"
    exit 1
fi
echo "ok   the link guard fails a stale never-wait name and passes a present one"
if command -v Xvfb >/dev/null && command -v openbox >/dev/null && command -v xprop >/dev/null; then
    # shellcheck source=tests/e2e/x_display.sh
    source "$ROOT/tests/e2e/x_display.sh"
    X_DIR=$(mktemp -d)
    trap 'stop_x_display; rm -rf "$X_DIR"' EXIT
    start_x_display "$X_DIR" 1280x900 || exit 1
fi
"$PYTHON" "$ROOT/tests/e2e/web_e2e.py" "$ROOT/dist/web" "$ROOT/build-web" "$NATIVE_BUILD" "$OUTPUT_DIR"
