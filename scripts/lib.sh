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
               appstream dpkg-dev file procps)
# The Windows program: the cross compiler, and Wine to run it.
WINDOWS_PACKAGES=(g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64 wine wine64 fonts-wine)

# Configures and builds a tree: build_tree DIR [cmake options...]
build_tree() {
    local dir="$1"
    shift
    cmake -S "$MORVASK_ROOT" -B "$dir" "$@" >/dev/null
    cmake --build "$dir" -j"$(nproc)"
}
