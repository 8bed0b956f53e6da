#!/usr/bin/env bash
# Which i386 packages the install fetches from the pool: those whose
# Multi-Arch: same amd64 twin is newer in the lists, at the amd64 version.
set -u
. "$(dirname "$0")/../../scripts/lib.sh"
dir=$(mktemp -d) || exit 1
trap 'rm -rf "$dir"' EXIT
stanza() { printf 'Package: %s\nVersion: %s\nMulti-Arch: %s\n\n' "$@"; }
failed=0
# case | amd64 version | i386 version | Multi-Arch | expected line
while IFS='|' read -r what amd64 i386 arch expected; do
    stanza pkg "$amd64" "$arch" >"$dir/amd64"
    [ -n "$i386" ] && stanza pkg "$i386" "$arch" >"$dir/i386" || : >"$dir/i386"
    got=$(lagging_twins "$dir/amd64" "$dir/i386")
    [ "$got" = "$expected" ] || { echo "FAIL $what: expected '$expected', got '$got'"; failed=1; }
done <<'TABLE'
same version|1.2-1|1.2-1|same|
security update on amd64 only|1:1.2.13.dfsg-1+deb12u1|1:1.2.13.dfsg-1|same|pkg 1:1.2.13.dfsg-1+deb12u1
tilde sorts before the release|3.0.22-1~deb12u2|3.0.22-1~deb12u1|same|pkg 3.0.22-1~deb12u2
Debian order, not text order|1.9-1|1.10-1|same|
i386 newer (left to apt)|1.2-1|1.2-1+deb12u1|same|
not Multi-Arch same|2.0-1|1.0-1|foreign|
no i386 package listed|2.0-1||same|
TABLE
exit $failed
