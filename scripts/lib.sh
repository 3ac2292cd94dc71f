# Shared by the scripts: installing what is missing and building.
# shellcheck shell=bash

MORVASK_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

# Installs the Debian packages given that are not installed yet.
install_missing() {
    local missing=()
    for package in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
            missing+=("$package")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# What building and running the game needs. The message boxes' glyphs are
# made at build time, with FreeType, from the Simplified Chinese font of
# fonts-noto-cjk, and built into the program: it needs no font to run.
BUILD_PACKAGES=(build-essential cmake pkg-config libsdl2-dev libpng-dev libx11-dev
                libfreetype-dev fonts-noto-cjk
                libgtest-dev libgmock-dev libbenchmark-dev python3)
# What the tests need besides: a virtual display and a window manager for
# the desktop program, the validators of the menu entry, and the package
# tools.
TEST_PACKAGES=(xvfb openbox xdotool wmctrl x11-utils imagemagick desktop-file-utils
               appstream dpkg-dev file procps strace)
# The Windows program: the cross compiler, and Wine to run it.
WINDOWS_PACKAGES=(g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64 wine wine64 fonts-wine)

# The web edition: Emscripten builds it; the browser test drives Debian's
# Chromium through its WebDriver with Selenium.
WEB_PACKAGES=(emscripten)
WEB_TEST_PACKAGES=(chromium chromium-driver python3-selenium)

# Configures and builds a tree: build_tree DIR [cmake options...]
build_tree() {
    local dir="$1"
    shift
    cmake -S "$MORVASK_ROOT" -B "$dir" "$@" >/dev/null
    cmake --build "$dir" -j"$(nproc)"
}

# Builds the web edition into dist/web/: the pictures and sounds come from the
# native build in build/ (only its asset generator is built), the modules
# from build-web/ (Emscripten). MORVASK_NATIVE_BUILD chooses another native
# tree.
build_web() {
    local native="${MORVASK_NATIVE_BUILD:-$MORVASK_ROOT/build}"
    local web="$MORVASK_ROOT/build-web"
    # Emscripten's optimiser looks for its modules next to Debian's node.
    export NODE_PATH="/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}"
    if [ ! -f "$native/CMakeCache.txt" ]; then
        cmake -S "$MORVASK_ROOT" -B "$native" -DCMAKE_BUILD_TYPE=Release >/dev/null
    fi
    cmake --build "$native" -j"$(nproc)" --target morvask_assets
    emcmake cmake -S "$MORVASK_ROOT" -B "$web" -DCMAKE_BUILD_TYPE=Release \
        -DMORVASK_ASSET_DIR="$native/assets" -DMORVASK_BUILD_TESTS=OFF \
        -DMORVASK_BUILD_BENCH=OFF -DMORVASK_BUILD_SDL=OFF >/dev/null
    cmake --build "$web" -j"$(nproc)" --target morvask-web morvask-sim-web morvask-tickbench-web
    python3 "$MORVASK_ROOT/platform/web/pack_web.py" "$native/assets" "$web" "$MORVASK_ROOT/dist/web"
}
