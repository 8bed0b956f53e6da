#!/usr/bin/env bash
# scripts/lib.sh makes Wine prefixes where TAVORIN_WINEPREFIX says: a folder
# there that holds what it did not make (a user's own prefix) is refused and
# left as it is.
set -u
. "$(dirname "$0")/../../scripts/lib.sh"
dir=$(mktemp -d) || exit 1
trap 'rm -rf "$dir"' EXIT
echo kept >"$dir/user.reg"
TAVORIN_WINEPREFIX=$dir prepare_wine && { echo "FAIL: prepare_wine took $dir"; exit 1; }
[ "$(cat "$dir/user.reg" 2>/dev/null)" = kept ] || { echo "FAIL: $dir/user.reg is gone"; exit 1; }
echo "a folder of someone else's is left alone"
