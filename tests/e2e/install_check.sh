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
ICON_SIZES=(16 32 48 96 128 256)

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

if [[ -x $GAME && $(head -c4 "$GAME" | od -An -c | tr -d ' ') == '177ELF' ]]; then
    pass "the program: ${GAME#"$PREFIX"/}"
else
    fail "no executable program at ${GAME#"$PREFIX"/}"
fi
if [[ -x $LAUNCHER && $(head -n1 "$LAUNCHER") == '#!/bin/sh' ]]; then
    pass "the launcher: ${LAUNCHER#"$PREFIX"/}"
else
    fail "no executable launcher script at ${LAUNCHER#"$PREFIX"/}"
fi

# The value of KEY in the [Desktop Entry] group of the menu entry.
desktop_value() {
    awk -v key="$1" -F= '
        /^\[/ { group = $0 }
        group == "[Desktop Entry]" && $1 == key { sub(/^[^=]*=/, ""); print; exit }
    ' "$DESKTOP"
}

if [[ -f $DESKTOP ]]; then
    pass "the menu entry: ${DESKTOP#"$PREFIX"/}"
    EXEC=$(desktop_value Exec)
    # The menu must reach the game through the launcher, found on the PATH
    # or by its full path, and with no argument the game would not take.
    if [[ $EXEC == morvask-launcher || $EXEC == */morvask-launcher ]] &&
        [[ -x $BINDIR/$(basename "$EXEC") ]]; then
        pass "the menu entry starts the installed launcher (Exec=$EXEC)"
    else
        fail "the menu entry starts \"$EXEC\", not the installed morvask-launcher"
    fi
    ICON=$(desktop_value Icon)
    [[ $ICON == "$APP_ID" ]] && pass "the menu entry's icon is $ICON" ||
        fail "the menu entry's icon is \"$ICON\", not $APP_ID"
    CATEGORIES=";$(desktop_value Categories)"
    if [[ $CATEGORIES == *";Game;"* && $CATEGORIES == *";ArcadeGame;"* ]]; then
        pass "categories ${CATEGORIES#;}"
    else
        fail "categories \"${CATEGORIES#;}\" lack Game or ArcadeGame"
    fi
    for key in Name 'Name[zh_CN]' Comment 'Comment[zh_CN]'; do
        value=$(desktop_value "$key")
        [[ -n $value ]] && pass "$key=$value" || fail "the menu entry has no $key"
    done
    [[ -n $(desktop_value 'Name[zh_CN]' | LC_ALL=C tr -d '\000-\177') ]] ||
        fail "Name[zh_CN] holds no Chinese"
else
    fail "no menu entry at ${DESKTOP#"$PREFIX"/}"
fi

if [[ -f $METAINFO ]]; then
    pass "the metadata: ${METAINFO#"$PREFIX"/}"
    grep -q "<id>$APP_ID</id>" "$METAINFO" && grep -q \
        "<launchable type=\"desktop-id\">$APP_ID.desktop</launchable>" "$METAINFO" &&
        pass "the metadata names $APP_ID and its menu entry" ||
        fail "the metadata does not name $APP_ID and $APP_ID.desktop"
    grep -q '<content_attribute id="violence-cartoon">' "$METAINFO" &&
        pass "the content rating declares cartoon violence" ||
        fail "the content rating does not declare cartoon violence"
    if [[ -z $VERSION ]]; then
        fail "no CPACK_PACKAGE_VERSION in $BUILD_DIR/CPackConfig.cmake"
    elif grep -q "<release version=\"$VERSION\"" "$METAINFO"; then
        pass "the metadata lists release $VERSION"
    else
        fail "the metadata lists no release $VERSION"
    fi
    [[ $(grep -c '<image[ >].*docs/.*\.png</image>' "$METAINFO") -ge 2 ]] &&
        pass "the metadata shows the pictures in docs/" ||
        fail "the metadata does not show the pictures in docs/"
else
    fail "no metadata at ${METAINFO#"$PREFIX"/}"
fi

# Width, height, bit depth and colour type from a PNG's header.
png_header() {
    local bytes
    read -r -a bytes <<<"$(od -An -tu1 -N26 -w26 "$1")"
    [[ ${#bytes[@]} -eq 26 && ${bytes[*]:0:8} == '137 80 78 71 13 10 26 10' ]] || return 1
    echo $(((bytes[16] << 24) | (bytes[17] << 16) | (bytes[18] << 8) | bytes[19])) \
        $(((bytes[20] << 24) | (bytes[21] << 16) | (bytes[22] << 8) | bytes[23])) \
        "${bytes[24]}" "${bytes[25]}"
}

for size in "${ICON_SIZES[@]}"; do
    icon=$DATADIR/icons/hicolor/${size}x${size}/apps/$APP_ID.png
    if [[ ! -f $icon ]]; then
        fail "no icon ${icon#"$PREFIX"/}"
        continue
    fi
    read -r width height depth colour <<<"$(png_header "$icon")"
    # Colour type 6: RGB with alpha, for the transparent background.
    if [[ $width == "$size" && $height == "$size" && $depth == 8 && $colour == 6 ]]; then
        pass "icon ${size}x${size}: ${icon#"$PREFIX"/}"
    else
        fail "icon ${icon#"$PREFIX"/} is ${width:-?}x${height:-?} (depth ${depth:-?}, colour type ${colour:-?}), not a ${size}x${size} RGBA PNG"
    fi
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

# run_launcher EXPECTED_DIR WHAT [VAR=VALUE...]: the launcher is started by
# name through the PATH, as the menu does, from another directory.
run_launcher() {
    local expected=$1 what=$2 output
    shift 2
    output=$(cd "$SCRATCH/elsewhere" && env -u XDG_DATA_HOME HOME="$SCRATCH/home" \
        PATH="$SCRATCH/bin:/usr/bin:/bin" "$@" morvask-launcher --one 'two words' 2>&1)
    if [[ $output == "$expected|--one two words" && -d $expected ]]; then
        pass "launcher, $what: runs the game in ${expected#"$SCRATCH"/}"
    else
        fail "launcher, $what: expected the game in $expected with its arguments, got \"$output\""
    fi
}

if [[ -x $SCRATCH/bin/morvask-launcher ]]; then
    run_launcher "$SCRATCH/home/.local/share/morvask" "no XDG_DATA_HOME"
    run_launcher "$SCRATCH/data/morvask" "XDG_DATA_HOME set" XDG_DATA_HOME="$SCRATCH/data"
    run_launcher "$SCRATCH/home/.local/share/morvask" "relative XDG_DATA_HOME ignored" \
        XDG_DATA_HOME=relative/data
    [[ ! -e $SCRATCH/elsewhere/relative ]] || fail "the launcher made a relative data directory"
    # A map saved earlier stays where it was.
    echo "1 , 2" >"$SCRATCH/data/morvask/map.txt"
    run_launcher "$SCRATCH/data/morvask" "existing data directory" XDG_DATA_HOME="$SCRATCH/data"
    [[ $(cat "$SCRATCH/data/morvask/map.txt") == "1 , 2" ]] ||
        fail "the launcher changed an existing map.txt"
    # A data directory that cannot be made still lets the game start.
    : >"$SCRATCH/blocked"
    output=$(cd "$SCRATCH/elsewhere" && XDG_DATA_HOME="$SCRATCH/blocked" \
        PATH="$SCRATCH/bin:/usr/bin:/bin" morvask-launcher 2>"$SCRATCH/launcher.err")
    if [[ $output == "$SCRATCH/elsewhere|" && -s $SCRATCH/launcher.err ]]; then
        pass "launcher, unusable data directory: says so and starts the game where it is"
    else
        fail "launcher, unusable data directory: got \"$output\", stderr \"$(cat "$SCRATCH/launcher.err")\""
    fi
fi

# ---- Validators ----------------------------------------------------------

if command -v desktop-file-validate >/dev/null 2>&1; then
    if [[ -f $DESKTOP ]] && out=$(desktop-file-validate "$DESKTOP" 2>&1) && [[ -z $out ]]; then
        pass "desktop-file-validate"
    else
        fail "desktop-file-validate: ${out:-no file}"
    fi
else
    echo "skipped: desktop-file-validate is not installed (package desktop-file-utils)"
fi

if command -v appstreamcli >/dev/null 2>&1; then
    # --strict fails on anything above the pedantic hints.
    if out=$(appstreamcli validate --no-net --strict "$METAINFO" 2>&1); then
        pass "appstreamcli validate: $(tail -n1 <<<"$out")"
    else
        fail "appstreamcli validate:"
        sed 's/^/    /' <<<"$out"
    fi
    # The whole tree: the metadata, its menu entry and icon found together.
    if out=$(appstreamcli validate-tree --no-net --strict "$PREFIX" 2>&1); then
        pass "appstreamcli validate-tree: $(tail -n1 <<<"$out")"
    else
        fail "appstreamcli validate-tree:"
        sed 's/^/    /' <<<"$out"
    fi
else
    echo "skipped: appstreamcli is not installed (package appstream)"
fi

echo "$PASSES passed, $FAILURES failed"
((FAILURES == 0))
