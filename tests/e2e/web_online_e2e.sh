#!/usr/bin/env bash
# Online play in the page end to end (web_online_e2e.py), in a network
# namespace of its own: morvask-lobby serves dist/web/ (built by the web_e2e
# test or ./scripts/web --build-only) and carries the games.
#
# usage: web_online_e2e.sh NATIVE_BUILD_DIR [OUTPUT_DIR]
# Exits 0 when every check passed, 1 when one failed, 77 when a tool, the
# web edition or a network namespace is missing.
set -u
NATIVE_BUILD=$(cd "${1:?usage: web_online_e2e.sh NATIVE_BUILD_DIR [OUTPUT_DIR]}" && pwd)
OUTPUT_DIR=${2:-${TMPDIR:-/tmp}/morvask-web-online}
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
for tool in chromium chromedriver Xvfb python3; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "skipped: $tool is not installed"
        exit 77
    fi
done
for program in morvask morvask-sim morvask-lobby; do
    if [ ! -x "$NATIVE_BUILD/$program" ]; then
        echo "skipped: $NATIVE_BUILD/$program is not built"
        exit 77
    fi
done
if [ ! -f "$ROOT/dist/web/index.html" ]; then
    echo "skipped: dist/web is not built (./scripts/web --build-only)"
    exit 77
fi
# Debian's Selenium belongs to Debian's Python, which another python3 on the
# PATH may hide.
PYTHON=
for candidate in python3 /usr/bin/python3; do
    if "$candidate" -c 'import selenium' 2>/dev/null; then
        PYTHON=$(command -v "$candidate")
        break
    fi
done
if [ -z "$PYTHON" ]; then
    echo "skipped: python3-selenium is not installed"
    exit 77
fi
rm -rf "$OUTPUT_DIR"
mkdir -p "$OUTPUT_DIR"
exec "$ROOT/tests/e2e/in_netns.sh" timeout 900 "$PYTHON" \
    "$ROOT/tests/e2e/web_online_e2e.py" "$ROOT/dist/web" "$NATIVE_BUILD/morvask" \
    "$NATIVE_BUILD/morvask-sim" "$NATIVE_BUILD/morvask-lobby" "$OUTPUT_DIR"
