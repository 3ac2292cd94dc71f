#!/usr/bin/env bash
# The scripts' build folders after the checkout moved: a cache made in another
# folder is dropped (CMake would refuse it), one made here is kept.
set -euo pipefail
source "$(dirname "$0")/../../scripts/lib.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cache_of() {  # cache_of DIR HOME CACHEFILE_DIR
    mkdir -p "$1/CMakeFiles"
    printf 'CMAKE_CACHEFILE_DIR:INTERNAL=%s\nCMAKE_HOME_DIRECTORY:INTERNAL=%s\n' "$3" "$2" \
        > "$1/CMakeCache.txt"
}

cache_of "$work/moved" /somewhere/else "$work/moved"
forget_moved_cache "$work/moved" 2>/dev/null
[ ! -e "$work/moved/CMakeCache.txt" ] && [ ! -e "$work/moved/CMakeFiles" ] ||
    { echo "FAIL: a cache of another source folder was kept"; exit 1; }

cache_of "$work/copied" "$MORVASK_ROOT" /old/place/build
forget_moved_cache "$work/copied" 2>/dev/null
[ ! -e "$work/copied/CMakeCache.txt" ] ||
    { echo "FAIL: a cache copied from another build folder was kept"; exit 1; }

here=$(cd "$work" && pwd)/here
cache_of "$here" "$MORVASK_ROOT" "$here"
forget_moved_cache "$here"
[ -f "$here/CMakeCache.txt" ] || { echo "FAIL: this folder's own cache was dropped"; exit 1; }
echo "moved_cache: a moved cache is dropped, this folder's kept"
