#!/usr/bin/env bash
# Checks what `cmake --install` puts into a fresh prefix: the program, the
# launcher the menu starts it with (and where that launcher runs it), the
# menu entry, the software-centre metadata and the icons, and runs the
# desktop-entry and AppStream validators when they are installed.
#
# usage: install_check.sh BUILD_DIR
# Exits 0 when every check passed, 1 when one failed, 77 when it cannot run
# (no cmake, or BUILD_DIR is not a configured build tree).
set -u

BUILD_DIR=${1:?usage: install_check.sh BUILD_DIR}
APP_ID=io.github.morvask.morvask
ICON_SIZES=(16 24 32 48 96 128 256)

skip() {
    echo "skipped: $*"
    exit 77
}
command -v cmake >/dev/null 2>&1 || skip "cmake is not installed"
[[ -f $BUILD_DIR/cmake_install.cmake && -f $BUILD_DIR/CMakeCache.txt ]] ||
    skip "$BUILD_DIR is not a configured build tree"

FAILURES=0
PASSES=0
pass() {
    PASSES=$((PASSES + 1))
    echo "ok: $*"
}
fail() {
    FAILURES=$((FAILURES + 1))
    echo "FAIL: $*"
}
# check WHAT COMMAND...: WHAT holds when COMMAND succeeds.
check() {
    if "${@:2}"; then pass "$1"; else fail "$1"; fi
}

PREFIX=$(mktemp -d "${TMPDIR:-/tmp}/morvask-install.XXXXXX")
SCRATCH=$(mktemp -d "${TMPDIR:-/tmp}/morvask-launcher.XXXXXX")
trap 'rm -rf "$PREFIX" "$SCRATCH"' EXIT

# The layout follows the build tree's GNUInstallDirs choices.
cache_value() {
    sed -n "s/^$1:[A-Z]*=//p" "$BUILD_DIR/CMakeCache.txt" | head -n1
}
BINDIR=$(cache_value CMAKE_INSTALL_BINDIR)
DATADIR=$(cache_value CMAKE_INSTALL_DATADIR)
BINDIR=$PREFIX/${BINDIR:-bin}
DATADIR=$PREFIX/${DATADIR:-share}
VERSION=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$BUILD_DIR/CPackConfig.cmake" 2>/dev/null)

# ---- Installing ----------------------------------------------------------

if ! cmake --install "$BUILD_DIR" --prefix "$PREFIX" >"$SCRATCH/install.log" 2>&1; then
    sed 's/^/    /' "$SCRATCH/install.log"
    fail "cmake --install $BUILD_DIR --prefix $PREFIX"
    echo "$PASSES passed, $FAILURES failed"
    exit 1
fi
pass "cmake --install into $PREFIX"

GAME=$BINDIR/morvask
LAUNCHER=$BINDIR/morvask-launcher
DESKTOP=$DATADIR/applications/$APP_ID.desktop
METAINFO=$DATADIR/metainfo/$APP_ID.metainfo.xml

# ---- The files -----------------------------------------------------------

check "the program: ${GAME#"$PREFIX"/}, an executable" \
    test -x "$GAME" -a "$(head -c4 "$GAME" | od -An -c | tr -d ' ')" == '177ELF'
check "the launcher: ${LAUNCHER#"$PREFIX"/}, an executable script" \
    test -x "$LAUNCHER" -a "$(head -n1 "$LAUNCHER" 2>/dev/null)" == '#!/bin/sh'

# The value of KEY in the [Desktop Entry] group of the menu entry.
desktop_value() {
    awk -v key="$1" -F= '
        /^\[/ { group = $0 }
        group == "[Desktop Entry]" && $1 == key { sub(/^[^=]*=/, ""); print; exit }
    ' "$DESKTOP" 2>/dev/null
}

check "the menu entry: ${DESKTOP#"$PREFIX"/}" test -f "$DESKTOP"
EXEC=$(desktop_value Exec)
# The menu must reach the game through the launcher, found on the PATH or by
# its full path, and with no argument the game would not take.
starts_launcher() { [[ $EXEC =~ ^(.*/)?morvask-launcher$ && -x $BINDIR/$(basename "$EXEC") ]]; }
check "the menu entry starts the installed launcher (Exec=$EXEC)" starts_launcher
check "the menu entry's icon is $APP_ID" test "$(desktop_value Icon)" == "$APP_ID"
CATEGORIES=";$(desktop_value Categories)"
arcade() { [[ $CATEGORIES == *";Game;"* && $CATEGORIES == *";ArcadeGame;"* ]]; }
check "categories ${CATEGORIES#;} hold Game and ArcadeGame" arcade
for key in Name 'Name[zh_CN]' Comment 'Comment[zh_CN]'; do
    check "the menu entry's $key=$(desktop_value "$key")" test -n "$(desktop_value "$key")"
done
check "Name[zh_CN] holds Chinese" test -n "$(desktop_value 'Name[zh_CN]' | LC_ALL=C tr -d '\000-\177')"

check "the metadata: ${METAINFO#"$PREFIX"/}" test -f "$METAINFO"
metadata_says() { grep -q "$1" "$METAINFO" 2>/dev/null; }
check "the metadata names $APP_ID" metadata_says "<id>$APP_ID</id>"
check "the metadata names its menu entry" \
    metadata_says "<launchable type=\"desktop-id\">$APP_ID.desktop</launchable>"
check "the content rating declares cartoon violence" \
    metadata_says '<content_attribute id="violence-cartoon">'
check "the metadata lists release ${VERSION:-(no CPACK_PACKAGE_VERSION)}" \
    metadata_says "<release version=\"${VERSION:-none}\""
check "the metadata shows the pictures in docs/" \
    test "$(grep -c '<image[ >].*docs/.*\.png</image>' "$METAINFO" 2>/dev/null)" -ge 2

# Width, height, bit depth and colour type from a PNG's header.
png_header() {
    local bytes
    read -r -a bytes <<<"$(od -An -tu1 -N26 -w26 "$1" 2>/dev/null)"
    [[ ${#bytes[@]} -eq 26 && ${bytes[*]:0:8} == '137 80 78 71 13 10 26 10' ]] || return 1
    echo $(((bytes[16] << 24) | (bytes[17] << 16) | (bytes[18] << 8) | bytes[19])) \
        $(((bytes[20] << 24) | (bytes[21] << 16) | (bytes[22] << 8) | bytes[23])) \
        "${bytes[24]}" "${bytes[25]}"
}

for size in "${ICON_SIZES[@]}"; do
    icon=$DATADIR/icons/hicolor/${size}x${size}/apps/$APP_ID.png
    # Colour type 6: RGB with alpha, for the transparent background.
    check "icon ${icon#"$PREFIX"/}: a ${size}x${size} RGBA PNG ($(png_header "$icon"))" \
        test "$(png_header "$icon")" == "$size $size 8 6"
done

# ---- Where the launcher runs the game ------------------------------------

# A stand-in game beside a copy of the launcher reports its directory and
# arguments, so no display is needed.
mkdir -p "$SCRATCH/bin" "$SCRATCH/home" "$SCRATCH/elsewhere"
cp "$LAUNCHER" "$SCRATCH/bin/morvask-launcher" 2>/dev/null
cat >"$SCRATCH/bin/morvask" <<'STUB'
#!/bin/sh
echo "$PWD|$*"
STUB
chmod +x "$SCRATCH/bin/morvask"

# run_launcher WHAT EXPECTED_DIR [VAR=VALUE...]: the launcher is started by
# name through the PATH, as the menu does, from another directory.
launched_in() {
    local output
    output=$(cd "$SCRATCH/elsewhere" && env -u XDG_DATA_HOME HOME="$SCRATCH/home" \
        PATH="$SCRATCH/bin:/usr/bin:/bin" "${@:2}" morvask-launcher --one 'two words' 2>&1)
    [[ $output == "$1|--one two words" && -d $1 ]] || { echo "    got \"$output\""; return 1; }
}
run_launcher() { check "launcher, $1: runs the game in ${2#"$SCRATCH"/}" launched_in "${@:2}"; }

if [[ -x $SCRATCH/bin/morvask-launcher ]]; then
    run_launcher "no XDG_DATA_HOME" "$SCRATCH/home/.local/share/morvask"
    run_launcher "XDG_DATA_HOME set" "$SCRATCH/data/morvask" XDG_DATA_HOME="$SCRATCH/data"
    run_launcher "relative XDG_DATA_HOME ignored" "$SCRATCH/home/.local/share/morvask" \
        XDG_DATA_HOME=relative/data
    check "the launcher makes no relative data directory" test ! -e "$SCRATCH/elsewhere/relative"
    # A map saved earlier stays where it was.
    echo "1 , 2" >"$SCRATCH/data/morvask/map.txt"
    run_launcher "existing data directory" "$SCRATCH/data/morvask" XDG_DATA_HOME="$SCRATCH/data"
    check "the launcher keeps an existing map.txt" test "$(cat "$SCRATCH/data/morvask/map.txt")" == "1 , 2"
    # A data directory that cannot be made still lets the game start.
    : >"$SCRATCH/blocked"
    output=$(cd "$SCRATCH/elsewhere" && XDG_DATA_HOME="$SCRATCH/blocked" \
        PATH="$SCRATCH/bin:/usr/bin:/bin" morvask-launcher 2>"$SCRATCH/launcher.err")
    check "launcher, unusable data directory: says so and starts the game where it is" \
        test "$output" == "$SCRATCH/elsewhere|" -a -s "$SCRATCH/launcher.err"
fi

# ---- Validators ----------------------------------------------------------

# says_nothing COMMAND...: it succeeds and prints nothing.
says_nothing() {
    local out
    if out=$("$@" 2>&1) && [[ -z $out ]]; then return 0; fi
    echo "$out"
    return 1
}
if command -v desktop-file-validate >/dev/null 2>&1; then
    check "desktop-file-validate" says_nothing desktop-file-validate "$DESKTOP"
else
    echo "skipped: desktop-file-validate is not installed (package desktop-file-utils)"
fi
if command -v appstreamcli >/dev/null 2>&1; then
    # --strict fails on anything above the pedantic hints; the tree: the
    # metadata, its menu entry and icon found together.
    check "appstreamcli validate" appstreamcli validate --no-net --strict "$METAINFO"
    check "appstreamcli validate-tree" appstreamcli validate-tree --no-net --strict "$PREFIX"
else
    echo "skipped: appstreamcli is not installed (package appstream)"
fi

echo "$PASSES passed, $FAILURES failed"
((FAILURES == 0))
