# Shared by the scripts: finding what is missing, installing it where we may,
# and building.
# shellcheck shell=bash

MORVASK_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

# Whether a package's contents are here: the program, header, pkg-config
# module or file that we use from it. Found that way, a package counts as
# present however it came (another distribution, a build of one's own);
# packages without a probe are asked of dpkg.
package_present() {
    local have_pkg_config=false
    command -v pkg-config >/dev/null 2>&1 && have_pkg_config=true
    case "$1" in
    build-essential) command -v g++ >/dev/null 2>&1 && command -v make >/dev/null 2>&1 ;;
    cmake) command -v cmake >/dev/null 2>&1 ;;
    pkg-config) $have_pkg_config ;;
    make) command -v make >/dev/null 2>&1 ;;
    g++) command -v g++ >/dev/null 2>&1 ;;
    python3) command -v python3 >/dev/null 2>&1 ;;
    libsdl2-dev) $have_pkg_config && pkg-config --exists sdl2 ;;
    libpng-dev) $have_pkg_config && pkg-config --exists libpng ;;
    libgtest-dev) [ -f /usr/include/gtest/gtest.h ] || { $have_pkg_config && pkg-config --exists gtest; } ;;
    libgmock-dev) [ -f /usr/include/gmock/gmock.h ] || { $have_pkg_config && pkg-config --exists gmock; } ;;
    libbenchmark-dev) [ -f /usr/include/benchmark/benchmark.h ] || { $have_pkg_config && pkg-config --exists benchmark; } ;;
    libboost-dev) [ -f /usr/include/boost/asio.hpp ] ;;
    fonts-noto-cjk) compgen -G '/usr/share/fonts/opentype/noto/NotoSansCJK-*' >/dev/null ;;
    xfonts-base) [ -d /usr/share/fonts/X11/misc ] && compgen -G '/usr/share/fonts/X11/misc/*.pcf.gz' >/dev/null ;;
    locales) command -v localedef >/dev/null 2>&1 ;;
    xvfb) command -v Xvfb >/dev/null 2>&1 ;;
    xdotool) command -v xdotool >/dev/null 2>&1 ;;
    xclip) command -v xclip >/dev/null 2>&1 ;;
    x11-utils) command -v xwininfo >/dev/null 2>&1 ;;
    imagemagick) command -v convert >/dev/null 2>&1 && command -v import >/dev/null 2>&1 ;;
    desktop-file-utils) command -v desktop-file-validate >/dev/null 2>&1 ;;
    appstream) command -v appstreamcli >/dev/null 2>&1 ;;
    dpkg-dev) command -v dpkg-shlibdeps >/dev/null 2>&1 ;;
    file) command -v file >/dev/null 2>&1 ;;
    procps) command -v ps >/dev/null 2>&1 ;;
    strace) command -v strace >/dev/null 2>&1 ;;
    lintian) command -v lintian >/dev/null 2>&1 ;;
    clang) command -v clang++ >/dev/null 2>&1 ;;
    libclang-rt-14-dev) compgen -G '/usr/lib/llvm-14/lib/clang/*/lib/linux/libclang_rt.fuzzer-*.a' >/dev/null ;;
    g++-mingw-w64-x86-64) command -v x86_64-w64-mingw32-g++ >/dev/null 2>&1 ;;
    binutils-mingw-w64-x86-64) command -v x86_64-w64-mingw32-windres >/dev/null 2>&1 ;;
    wine) command -v wine >/dev/null 2>&1 ;;
    wine64) command -v wine64 >/dev/null 2>&1 || [ -x /usr/lib/wine/wine64 ] ;;
    fonts-wine) [ -d /usr/share/wine/fonts ] ;;
    brotli) command -v brotli >/dev/null 2>&1 ;;
    npm) command -v npm >/dev/null 2>&1 ;;
    *) dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed" ;;
    esac
}

# The packages given that are not here, one line.
missing_packages() {
    local missing=() package
    for package in "$@"; do
        package_present "$package" || missing+=("$package")
    done
    echo "${missing[*]}"
}

# How this user runs a command as root, or nothing (and false) when it cannot.
root_command() {
    if [ "$(id -u)" -eq 0 ]; then
        echo ""
    elif command -v sudo >/dev/null 2>&1 && { sudo -n true 2>/dev/null || [ -t 0 ]; }; then
        echo "sudo"
    else
        return 1
    fi
}

# Installs the packages given that are missing. Returns 0 when all are there
# afterwards; otherwise says what is missing and how to install it, and
# returns 1. MORVASK_NO_INSTALL=1 only reports.
install_missing() {
    local missing
    missing="$(missing_packages "$@")"
    [ -z "$missing" ] && return 0
    local command="apt-get install -y --no-install-recommends $missing"
    if [ "${MORVASK_NO_INSTALL:-0}" = 1 ]; then
        echo "Missing (MORVASK_NO_INSTALL=1, not installing): $missing"
        echo "  to install: sudo $command"
        return 1
    fi
    local as_root
    if ! command -v apt-get >/dev/null 2>&1; then
        echo "Missing: $missing"
        echo "  there is no apt-get here: install these packages (Debian names) with your system's tools"
        return 1
    fi
    if ! as_root="$(root_command)"; then
        echo "Missing: $missing"
        echo "  installing needs root: run  sudo $command"
        return 1
    fi
    echo "Installing: $missing"
    # sudo clears the environment: the frontend goes in through env.
    # shellcheck disable=SC2086
    if ! { $as_root env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=900 update -qq &&
        $as_root env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=900 \
            install -y -qq --no-install-recommends $missing; }; then
        echo "Could not install: $missing"
        echo "  try: sudo $command"
        return 1
    fi
    missing="$(missing_packages "$@")"
    [ -z "$missing" ] && return 0
    echo "Still missing after installing: $missing"
    return 1
}

# install_missing, or the end of the script when something needed is still
# missing (unless MORVASK_NO_INSTALL=1, where the build is tried anyway).
require_packages() {
    install_missing "$@" && return 0
    if [ "${MORVASK_NO_INSTALL:-0}" = 1 ]; then
        echo "Going on without them: the build may fail."
        return 0
    fi
    echo "Cannot go on without them." >&2
    exit 1
}

# What building and playing the game needs. The message boxes' glyphs are
# made at build time, with FreeType, from the Simplified Chinese font of
# fonts-noto-cjk, and built into the program: it needs no font to run.
PLAY_PACKAGES=(build-essential cmake pkg-config libsdl2-dev libpng-dev libx11-dev
               libfreetype-dev fonts-noto-cjk python3)
# What the tests need besides: the test and benchmark libraries, a virtual
# display and a window manager for the desktop program, the validators of the
# menu entry, the package tools, strace for the save's order of calls, and
# clang with its libFuzzer for the map reader's fuzz target; Boost.Asio for
# the lobby, whose tests run with the rest.
BUILD_PACKAGES=("${PLAY_PACKAGES[@]}" libgtest-dev libgmock-dev libbenchmark-dev libboost-dev
                libhiredis-dev)
# The lobby of online play (morvask-lobby) is built on Boost.Asio.
LOBBY_PACKAGES=("${PLAY_PACKAGES[@]}" libboost-dev libhiredis-dev pkg-config)
TEST_PACKAGES=(xvfb openbox xdotool xclip wmctrl x11-utils imagemagick desktop-file-utils
               appstream dpkg-dev file procps strace lintian clang libclang-rt-14-dev
               redis-server iproute2)
# The Windows program: the cross compiler, and Wine to run it.
WINDOWS_PACKAGES=(g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64 wine wine64 fonts-wine nsis
                  fonts-noto-cjk)

# The web edition: Emscripten builds it, cwebp (with dwebp to check it) packs
# the pictures and lame the long level-start wave, brotli writes the
# compressed copies the server sends and npm installs esbuild, which minifies
# the page's scripts; the browser test drives Debian's Chromium through its
# WebDriver with Selenium.
WEB_PACKAGES=(emscripten webp lame brotli npm)
WEB_TEST_PACKAGES=(chromium chromium-driver python3-selenium)

# A build folder moved or copied with the checkout still names the old
# folders in its cache, which CMake refuses: such a cache is dropped so that
# the folder is configured afresh (the build files are made again).
forget_moved_cache() {
    local dir="$1"
    local cache="$dir/CMakeCache.txt"
    [ -f "$cache" ] || return 0
    local home cached
    home=$(sed -n 's/^CMAKE_HOME_DIRECTORY:INTERNAL=//p' "$cache")
    cached=$(sed -n 's/^CMAKE_CACHEFILE_DIR:INTERNAL=//p' "$cache")
    if [ "$home" != "$MORVASK_ROOT" ] || [ "$cached" != "$(cd "$dir" && pwd)" ]; then
        echo "note: $dir was configured in $home; configuring it afresh" >&2
        rm -rf "$cache" "$dir/CMakeFiles"
    fi
}

# Configures and builds a tree: build_tree DIR [cmake options...]
# MORVASK_TARGETS="a b" builds only those targets.
build_tree() {
    local dir="$1"
    shift
    forget_moved_cache "$dir"
    cmake -S "$MORVASK_ROOT" -B "$dir" "$@" >/dev/null
    local targets=()
    local target
    for target in ${MORVASK_TARGETS:-}; do
        targets+=(--target "$target")
    done
    cmake --build "$dir" -j"$(nproc)" "${targets[@]}"
}

# Installs a folder's pinned npm packages (its package-lock.json) unless the
# program named is there already: npm_install DIR PROGRAM
npm_install() {
    local dir="$1" program="$2"
    [ -x "$dir/node_modules/.bin/$program" ] && return 0
    command -v npm >/dev/null 2>&1 || return 1
    (cd "$dir" && npm ci --no-audit --no-fund --loglevel=error)
}

# Builds the web edition into dist/web/: the pictures, sounds and the boxes'
# glyphs come from the native build in build/ (only their makers are built),
# and so does the page's loading picture (a frame that morvask-sim draws); the
# modules from build-web/ (Emscripten). MORVASK_NATIVE_BUILD chooses another
# native tree.
build_web() {
    local native="${MORVASK_NATIVE_BUILD:-$MORVASK_ROOT/build}"
    local web="$MORVASK_ROOT/build-web"
    # Emscripten's optimiser looks for its modules next to Debian's node.
    export NODE_PATH="/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}"
    forget_moved_cache "$native"
    forget_moved_cache "$web"
    if [ ! -f "$native/CMakeCache.txt" ]; then
        cmake -S "$MORVASK_ROOT" -B "$native" -DCMAKE_BUILD_TYPE=Release >/dev/null
    fi
    cmake --build "$native" -j"$(nproc)" --target morvask_assets morvask_glyph_atlas \
        morvask-sim
    emcmake cmake -S "$MORVASK_ROOT" -B "$web" -DCMAKE_BUILD_TYPE=Release \
        -DMORVASK_ASSET_DIR="$native/assets" -DMORVASK_BUILD_TESTS=OFF \
        -DMORVASK_BUILD_BENCH=OFF -DMORVASK_BUILD_SDL=OFF >/dev/null
    cmake --build "$web" -j"$(nproc)" --target morvask-web morvask-sim-web morvask-tickbench-web \
        morvask-memcheck-web
    npm_install "$MORVASK_ROOT/platform/web" esbuild ||
        echo "note: esbuild could not be installed; the page's scripts go out unminified" >&2
    python3 "$MORVASK_ROOT/platform/web/pack_web.py" "$native/assets" "$web" "$MORVASK_ROOT/dist/web" \
        "$native/morvask-sim"
}
