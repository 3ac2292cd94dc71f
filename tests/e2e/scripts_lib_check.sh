#!/usr/bin/env bash
# scripts/lib.sh on machines unlike the CI's: it finds what is there by its
# contents, installs nothing when nothing is missing (even without apt-get or
# sudo), says what is missing and how to install it where it cannot, and
# MORVASK_NO_INSTALL=1 keeps it from installing.
# usage: scripts_lib_check.sh SOURCE_DIR
set -uo pipefail
source_dir="$(realpath "$1")"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
passes=0
failures=0
check() {
    local what="$1"
    shift
    if "$@"; then
        passes=$((passes + 1))
    else
        echo "FAIL: $what"
        failures=$((failures + 1))
    fi
}

# A PATH with the basic tools but no apt-get, sudo or dpkg-query, and with a
# stand-in apt-get where a test wants one that only records its calls.
mkdir -p "$work/bin" "$work/bin-apt"
for tool in bash sh id grep sed cat env dirname head tr printf python3 cmake true; do
    path="$(type -P "$tool")" && ln -sf "$path" "$work/bin/$tool"
done
cat >"$work/bin-apt/apt-get" <<'STUB'
#!/bin/sh
echo "apt-get $* DEBIAN_FRONTEND=${DEBIAN_FRONTEND:-unset}" >>"$APT_LOG"
exit 0
STUB
cat >"$work/bin-apt/sudo" <<'STUB'
#!/bin/sh
echo "sudo $*" >>"$APT_LOG"
[ "$1" = -n ] && shift
exec "$@"
STUB
chmod +x "$work/bin-apt/apt-get" "$work/bin-apt/sudo"

run_lib() {
    # run_lib PATH NO_INSTALL COMMAND...: the library's functions in a clean shell.
    local path="$1" no_install="$2"
    shift 2
    env -i PATH="$path" HOME="$work" APT_LOG="$work/apt.log" MORVASK_NO_INSTALL="$no_install" \
        "$work/bin/bash" -c 'source "$0/scripts/lib.sh"; "$@"' "$source_dir" "$@" 2>&1
}

# Present by its contents (python3 and cmake are on the PATH): nothing to do,
# no apt-get needed, nothing said.
out="$(run_lib "$work/bin" 0 install_missing python3 cmake)"
check "present packages need no apt-get (said: $out)" test -z "$out"

# Missing, and nothing to install with: the package and the command, exit 1.
out="$(run_lib "$work/bin" 0 install_missing xdotool)"
status=$?
check "a missing package without apt-get fails clearly (exit $status: $out)" \
    test "$status" -ne 0 -a -n "$(grep -e 'Missing: xdotool' <<<"$out")"
out="$(run_lib "$work/bin" 0 require_packages xdotool)"
status=$?
check "require_packages stops the script (exit $status)" test "$status" -eq 1
check "and says why" grep -q "Cannot go on" <<<"$out"

# MORVASK_NO_INSTALL=1: reports and never calls apt-get.
rm -f "$work/apt.log"
out="$(run_lib "$work/bin-apt:$work/bin" 1 install_missing xdotool)"
check "MORVASK_NO_INSTALL=1 installs nothing" test ! -e "$work/apt.log"
check "MORVASK_NO_INSTALL=1 names the command" grep -q "apt-get install -y --no-install-recommends xdotool" <<<"$out"
out="$(run_lib "$work/bin-apt:$work/bin" 1 require_packages xdotool)"
check "MORVASK_NO_INSTALL=1 lets the build go on (exit $?)" grep -q "Going on" <<<"$out"

# With apt-get: only the missing package is asked for, non-interactively.
rm -f "$work/apt.log"
run_lib "$work/bin-apt:$work/bin" 0 install_missing python3 xdotool >/dev/null
check "apt-get installs only what is missing" grep -q "install -y -qq --no-install-recommends xdotool DEBIAN" "$work/apt.log"
check "apt-get runs non-interactively" grep -q "DEBIAN_FRONTEND=noninteractive" "$work/apt.log"
check "python3 was not asked for" bash -c "! grep -q python3 '$work/apt.log'"

# A user who is not root: through sudo, with the frontend kept by env; and
# without sudo, the command to run instead.
mkdir -p "$work/bin-user"
printf '#!/bin/sh\n[ "$1" = -u ] && { echo 1000; exit 0; }\nexec /usr/bin/id "$@"\n' >"$work/bin-user/id"
chmod +x "$work/bin-user/id"
rm -f "$work/apt.log"
run_lib "$work/bin-user:$work/bin-apt:$work/bin" 0 install_missing xdotool >/dev/null
check "a user installs through sudo env DEBIAN_FRONTEND=noninteractive" \
    grep -q "^sudo env DEBIAN_FRONTEND=noninteractive apt-get .*install" "$work/apt.log"
mkdir -p "$work/bin-nosudo"
ln -sf "$work/bin-apt/apt-get" "$work/bin-nosudo/apt-get"
out="$(run_lib "$work/bin-user:$work/bin-nosudo:$work/bin" 0 install_missing xdotool)"
check "a user without sudo is told the command (said: $out)" \
    grep -q "installing needs root: run  sudo apt-get install -y --no-install-recommends xdotool" <<<"$out"

echo "scripts/lib.sh: $passes passed, $failures failed"
[ "$failures" -eq 0 ]
