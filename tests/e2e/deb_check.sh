#!/usr/bin/env bash
# Checks the Debian package on this machine: installs it with apt, checks its
# files, starts the game from its installed path and through its menu entry
# on a private X server, starts the lobby on loopback and asks it for a room
# (its service must be installed and not enabled), then removes and purges it and checks that every
# file it brought is gone, with the packages apt pulled in for it.
#
# usage: deb_check.sh PATH/TO/morvask_VERSION_ARCH.deb       (as root)
# Exits 0 when every check passed, 1 when one failed, 77 when it cannot run
# (not root, tools missing, or the package or one of its files is already on
# the machine, which this check would then overwrite and remove).
set -u

DEB=${1:?usage: deb_check.sh PATH/TO/package.deb}
APP_ID=io.github.morvask.morvask
WAIT_SECONDS=${MORVASK_E2E_WAIT:-15}
export LC_ALL=C.UTF-8 DEBIAN_FRONTEND=noninteractive

skip() {
    echo "skipped: $*"
    exit 77
}
[[ $(id -u) -eq 0 ]] || skip "installing a package needs root"
for tool in apt-get dpkg dpkg-deb dpkg-query Xvfb xdotool; do
    command -v "$tool" >/dev/null 2>&1 || skip "$tool is not installed (needs apt, dpkg, xvfb, xdotool)"
done
[[ -f $DEB ]] || {
    echo "FAIL: no file $DEB"
    exit 1
}
DEB=$(realpath "$DEB")
PACKAGE=$(dpkg-deb --field "$DEB" Package)
VERSION=$(dpkg-deb --field "$DEB" Version)
[[ -n $PACKAGE ]] || {
    echo "FAIL: $DEB is not a Debian package"
    exit 1
}

# Canonical, to be compared with the game's working directory.
WORK=$(realpath "$(mktemp -d "${TMPDIR:-/tmp}/morvask-deb.XXXXXX")")
PASSES=0
INSTALLED_BY_US=0
GAME_PID=
LOBBY_PID=
# shellcheck source=tests/e2e/x_display.sh
source "$(dirname "$0")/x_display.sh"

pass() {
    PASSES=$((PASSES + 1))
    echo "ok: $*"
}

# ---- Leaving the machine as it was ---------------------------------------

# Packages in any state but "not installed", one "name:arch" a line.
package_set() {
    dpkg-query -W -f='${binary:Package} ${db:Status-Abbrev}\n' 2>/dev/null |
        awk '$2 != "un" && $2 != "pn" { print $1 }' | sort -u
}

stop_game() {
    if [[ -n $GAME_PID ]]; then
        # An open message box lives in a child process of the game.
        kill -9 $(pgrep -P "$GAME_PID" 2>/dev/null) "$GAME_PID" 2>/dev/null
        wait "$GAME_PID" 2>/dev/null
        GAME_PID=
    fi
    if [[ -n $LOBBY_PID ]]; then
        # The lobby runs under timeout: the lobby itself goes too.
        kill -9 $(pgrep -P "$LOBBY_PID" 2>/dev/null) "$LOBBY_PID" 2>/dev/null
        wait "$LOBBY_PID" 2>/dev/null
        LOBBY_PID=
    fi
}

# Purges this package and exactly the packages that came with it: those that
# were not on the machine before the install.
remove_everything() {
    stop_game
    stop_x_display
    if ((INSTALLED_BY_US)); then
        dpkg --purge "$PACKAGE" >>"$WORK/dpkg.log" 2>&1
        local added
        added=$(comm -13 "$WORK/packages-before" <(package_set))
        if [[ -n $added ]]; then
            echo "purging what came with it: $(echo $added)"
            # dpkg refuses, rather than forces, a purge that others depend on.
            dpkg --purge $added >>"$WORK/dpkg.log" 2>&1 ||
                echo "warning: could not purge all of: $(echo $added) (see dpkg.log)"
        fi
        INSTALLED_BY_US=0
    fi
}

finish() {
    remove_everything
    rm -rf "$WORK"
}
trap finish EXIT

fail() {
    echo "FAIL: $*"
    if [[ -s $WORK/game.log ]]; then
        echo "  game output:"
        sed 's/^/    /' "$WORK/game.log"
    fi
    if [[ -s $WORK/apt.log ]] && ((PASSES < 2)); then
        echo "  apt output:"
        tail -n 20 "$WORK/apt.log" | sed 's/^/    /'
    fi
    remove_everything
    echo "$PASSES passed, 1 failed"
    exit 1
}

# ---- Before installing ---------------------------------------------------

status=$(dpkg-query -W -f='${db:Status-Abbrev}' "$PACKAGE" 2>/dev/null)
[[ -z $status || $status == un* || $status == pn* ]] ||
    skip "$PACKAGE is already on this machine (status $status); remove it first"

# The files and directories of the package, as absolute paths.
dpkg-deb --fsys-tarfile "$DEB" | tar -t | sed 's|^\./|/|; s|/$||' | grep -v '^\.\?$' \
    >"$WORK/contents"
while read -r path; do
    if [[ -e $path || -L $path ]]; then
        if [[ -d $path && ! -L $path ]]; then
            echo "$path" >>"$WORK/dirs-before"
        else
            # dpkg would overwrite it and then remove it with the package.
            skip "$path is already on this machine and not from $PACKAGE"
        fi
    fi
done <"$WORK/contents"
touch "$WORK/dirs-before"
package_set >"$WORK/packages-before"
echo "checking $PACKAGE $VERSION ($(du -h "$DEB" | cut -f1)): $(grep -c . "$WORK/contents") paths"

# Debian's own checks of the package: no error and no warning.
if command -v lintian >/dev/null 2>&1; then
    lintian --fail-on error,warning --display-info "$DEB" >"$WORK/lintian.log" 2>&1 ||
        fail "lintian: $(grep -E '^[EW]:' "$WORK/lintian.log" | head -n 20)"
    pass "lintian: no errors or warnings ($(grep -c '^[IP]:' "$WORK/lintian.log") notes)"
else
    echo "warning: no lintian: the package's policy checks are skipped"
fi

# ---- Installing ----------------------------------------------------------

INSTALLED_BY_US=1
apt-get install -y --no-install-recommends "$DEB" >"$WORK/apt.log" 2>&1 ||
    fail "apt-get install $DEB"
[[ $(dpkg-query -W -f='${db:Status-Abbrev}' "$PACKAGE") == ii* ]] ||
    fail "$PACKAGE is not installed after apt-get"
pass "apt-get installed $PACKAGE $VERSION"
added=$(comm -13 "$WORK/packages-before" <(package_set) | grep -v -e "^$PACKAGE\$" -e "^$PACKAGE:")
echo "  with it: $(echo ${added:-nothing else})"

dpkg -L "$PACKAGE" | grep -v '^/\.$' | sort -u >"$WORK/listed"
sort -u "$WORK/contents" | diff - "$WORK/listed" >/dev/null ||
    fail "dpkg -L does not list the package's contents"
while read -r path; do
    [[ -e $path ]] || fail "$path is listed but missing"
done <"$WORK/listed"
dpkg --verify "$PACKAGE" >"$WORK/verify" 2>&1 && [[ ! -s $WORK/verify ]] ||
    fail "dpkg --verify: $(cat "$WORK/verify")"
pass "all $(grep -c . "$WORK/listed") listed paths are on disk and verify"

GAME=$(grep -E '/bin/morvask$|/games/morvask$' "$WORK/listed" | head -n1)
LOBBY=/usr/games/morvask-lobby
UNIT=/usr/lib/systemd/system/morvask-lobby.service
DESKTOP=/usr/share/applications/$APP_ID.desktop
# A game package keeps its programs in /usr/games, documents them in manual
# pages and carries its changelog and licence.
for path in "$GAME" /usr/games/morvask /usr/games/morvask-launcher "$DESKTOP" \
    /usr/share/metainfo/$APP_ID.metainfo.xml /usr/share/icons/hicolor/scalable/apps/$APP_ID.svg \
    /usr/share/icons/hicolor/{16,32,48,96,128,256}x*/apps/"$APP_ID".png \
    /usr/share/man/man6/morvask{,-launcher,-lobby}.6.gz /usr/share/doc/morvask/{changelog.gz,copyright} \
    "$LOBBY" "$UNIT"; do
    [[ -n $path && -f $path ]] || fail "missing: ${path:-the program}"
done
for page in morvask morvask-lobby; do
    gzip -t /usr/share/man/man6/$page.6.gz || fail "$page.6.gz is not gzip"
done
pass "program $GAME in /usr/games with its launcher, lobby, menu entry, metadata, icons," \
    "manual pages, service, changelog and copyright"

depends=$(dpkg-query -W -f='${Depends}' "$PACKAGE")
for needed in libsdl2-2.0-0; do
    [[ ", $depends," == *", $needed"[\ ,]* ]] || fail "Depends lacks $needed: $depends"
done
# The boxes' glyphs are built into the program: no font package is wanted.
relations="$depends $(dpkg-query -W -f='${Recommends}' "$PACKAGE")"
[[ $relations != *font* ]] || fail "the package asks for fonts: $relations"
pass "Depends: $depends (no fonts)"
for program in "$GAME" "$LOBBY"; do
    missing=$(ldd "$program" 2>&1 | grep 'not found')
    [[ -z $missing ]] || fail "libraries of $program not found: $missing"
done
pass "every library of $GAME and $LOBBY is found"

# ---- The lobby -----------------------------------------------------------

# Installed, not enabled and not started: only an administrator turns it on.
wants=$(find /etc/systemd/system -name 'morvask-lobby*' 2>/dev/null)
[[ -z $wants ]] || fail "the lobby's service is enabled by the install: $wants"
pgrep -f "^$LOBBY( |\$)" >/dev/null && fail "$LOBBY runs after the install"
grep -qx "ExecStart=$LOBBY --port 41700" "$UNIT" || fail "$UNIT does not start $LOBBY"
grep -qx 'DynamicUser=yes' "$UNIT" || fail "$UNIT runs the lobby as root"
if command -v systemd-analyze >/dev/null 2>&1; then
    # Only the manual page's lookup may fail here (man may not be installed).
    systemd-analyze verify "$UNIT" 2>&1 | grep -v "man morvask-lobby(6)" >"$WORK/unit.log"
    [[ ! -s $WORK/unit.log ]] || fail "systemd-analyze verify $UNIT: $(cat "$WORK/unit.log")"
fi
pass "the lobby's service is installed, not enabled, and runs it unprivileged"

timeout 10 "$LOBBY" --help >"$WORK/lobby-help" 2>&1 || fail "$LOBBY --help: $(cat "$WORK/lobby-help")"
grep -q -- '--max-rooms' "$WORK/lobby-help" || fail "$LOBBY --help: $(cat "$WORK/lobby-help")"
pass "$LOBBY --help"

# The lobby on a free port of loopback, asked for a room by a HostRoom
# message; it must answer RoomMade with the same nonce, then stop on SIGTERM.
timeout 60 "$LOBBY" --port 0 --bind 127.0.0.1 >"$WORK/lobby.log" 2>&1 &
LOBBY_PID=$!
lobby_port() { sed -n 's/^morvask-lobby: listening on 127\.0\.0\.1:\([0-9]*\)$/\1/p' "$WORK/lobby.log"; }
for _ in $(seq 100); do
    [[ -n $(lobby_port) ]] || ! kill -0 $LOBBY_PID 2>/dev/null && break
    sleep 0.1
done
port=$(lobby_port)
[[ -n $port ]] || fail "the lobby did not listen: $(cat "$WORK/lobby.log")"
answer=$(timeout 20 python3 - "$port" <<'PY' 2>&1
import socket, sys
s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
s.settimeout(1)
request = b"MVL\x03\x01" + (0x4D565231).to_bytes(4, "big")
request += bytes(48 - len(request))
for _ in range(10):
    s.sendto(request, ("127.0.0.1", int(sys.argv[1])))
    try:
        data = s.recv(2048)
    except socket.timeout:
        continue
    ok = len(data) == 27 and data[:5] == b"MVL\x03\x10" and data[5:9] == request[5:9]
    print(("room " + data[9:19].decode("ascii", "replace")) if ok else "wrong answer " + data.hex())
    sys.exit(0 if ok else 1)
print("no answer")
sys.exit(1)
PY
) || fail "the lobby on 127.0.0.1:$port: $answer"
kill -TERM $LOBBY_PID
wait $LOBBY_PID
status=$?
LOBBY_PID=
[[ $status -eq 0 ]] || fail "the lobby ended with $status on SIGTERM: $(cat "$WORK/lobby.log")"
grep -q '1 rooms made' "$WORK/lobby.log" || fail "the lobby's counts: $(cat "$WORK/lobby.log")"
pass "the lobby listened on 127.0.0.1:$port, made a $answer and stopped on SIGTERM"

# ---- Starting the game ---------------------------------------------------

start_display() {
    start_x_display "$WORK" 1280x1024 none || fail "Xvfb did not start: $(cat "$WORK/xvfb.log")"
}
start_display

# launch_game COMMAND...: starts the game with a home of its own in WORK
# and a clean environment, and waits for its window. Sets GAME_PID and
# WINDOW (empty when no window came).
window_found() {
    kill -0 "$GAME_PID" 2>/dev/null || fail "the game ended before its window appeared"
    WINDOW=$(xdotool search --pid "$GAME_PID" --name '^Morvask V1\.0$' 2>/dev/null | head -n1)
    [[ -n $WINDOW ]]
}
launch_game() {
    mkdir -p "$WORK/home" "$WORK/terminal"
    (cd "$WORK/terminal" && exec env -i DISPLAY="$DISPLAY" HOME="$WORK/home" LC_ALL=C.UTF-8 \
        PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin:/usr/games \
        "$@") >"$WORK/game.log" 2>&1 &
    GAME_PID=$!
    x_display_wait "$WAIT_SECONDS" window_found
}

# start_game WHAT DIR COMMAND...: launches the game and checks its window,
# class and directory; the game must run in DIR.
start_game() {
    local what=$1 expected_dir=$2 window
    shift 2
    launch_game "$@"
    if [[ -z $WINDOW ]]; then
        # A virtual display now and then stops answering its clients; say
        # so, and try once more on a fresh one before calling it a failure.
        echo "note: $what: no window within ${WAIT_SECONDS}s ($(tail -n2 "$WORK/xvfb.log" |
            tr '\n' ' ')); trying once more on a new display"
        sed 's/^/    /' "$WORK/game.log" | head -n5
        stop_game
        stop_x_display
        start_display
        launch_game "$@"
    fi
    window=$WINDOW
    [[ -n $window ]] || fail "$what: no window titled \"Morvask V1.0\" within ${WAIT_SECONDS}s"
    pass "$what: window $window titled \"Morvask V1.0\""
    if command -v xprop >/dev/null 2>&1; then
        local class wanted
        class=$(xprop -id "$window" WM_CLASS | sed -n 's/.*= "[^"]*", "\(.*\)"$/\1/p')
        wanted=$(sed -n 's/^StartupWMClass=//p' "$DESKTOP")
        [[ $class == "$wanted" ]] || fail "$what: window class \"$class\", menu entry says \"$wanted\""
    fi
    local cwd
    cwd=$(readlink "/proc/$GAME_PID/cwd")
    [[ $cwd == "$expected_dir" ]] || fail "$what: the game runs in $cwd, not $expected_dir"
    pass "$what: the game reads and writes map.txt in $cwd"
    stop_game
}

start_game "from a terminal ($GAME)" "$WORK/terminal" "$GAME"

# The menu's command, as a desktop runs it: the Exec line (it has no field
# codes) looked up through the PATH.
EXEC=$(sed -n 's/^Exec=//p' "$DESKTOP" | head -n1)
start_game "from the menu (Exec=$EXEC)" "$WORK/home/.local/share/morvask" $EXEC
pass "the menu made $WORK/home/.local/share/morvask"

stop_x_display

# ---- Removing ------------------------------------------------------------

dpkg -r "$PACKAGE" >>"$WORK/dpkg.log" 2>&1 || fail "dpkg -r $PACKAGE: $(tail -n3 "$WORK/dpkg.log")"
dpkg -P "$PACKAGE" >>"$WORK/dpkg.log" 2>&1 || fail "dpkg -P $PACKAGE: $(tail -n3 "$WORK/dpkg.log")"
status=$(dpkg-query -W -f='${db:Status-Abbrev}' "$PACKAGE" 2>/dev/null)
[[ -z $status || $status == un* || $status == pn* ]] || fail "$PACKAGE is still known to dpkg: $status"
INSTALLED_BY_US=0
left=()
while read -r path; do
    # Directories shared with other packages stay; everything else must go.
    if [[ -e $path || -L $path ]] && ! grep -qxF "$path" "$WORK/dirs-before"; then
        left+=("$path")
    fi
done <"$WORK/listed"
((${#left[@]} == 0)) || fail "left after the purge: ${left[*]}"
pass "dpkg -r and -P removed all $(grep -c . "$WORK/listed") paths the package brought"

added=$(comm -13 "$WORK/packages-before" <(package_set))
if [[ -n $added ]]; then
    dpkg --purge $added >>"$WORK/dpkg.log" 2>&1 || fail "could not purge $(echo $added)"
fi
comm -3 "$WORK/packages-before" <(package_set) | grep -q . &&
    fail "the installed packages differ from before: $(comm -3 "$WORK/packages-before" <(package_set) | tr '\n' ' ')"
pass "the machine has the same packages as before"

echo "$PASSES passed, 0 failed"
exit 0
