#!/usr/bin/env bash
# tavorin-browse on a known store: its tree and JSON, what its filters keep,
# and how it answers bad arguments.
#
#   browse_test.sh TOOL STORE_DIR [RUNNER]   (RUNNER: scripts/wine-run for .exe)
set -u
tool=$1 store=$2 runner=${3:-}
here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/../.." && pwd)
"$repo/scripts/make-sample-store" "$store" || exit 1

export TZ=UTC
if [ -n "$runner" ]; then
    # Z: is the root of the Unix file system in a Wine prefix.
    export KELVAST_STORE="Z:$(printf '%s' "$store" | tr / '\\')"
else
    export KELVAST_STORE=$store
fi

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# run ARGS...: sets out, err, rc (Windows line ends removed)
run() {
    local o e
    o=$(mktemp) e=$(mktemp)
    $runner "$tool" "$@" >"$o" 2>"$e"
    rc=$?
    out=$(tr -d '\r' <"$o") err=$(tr -d '\r' <"$e")
    rm -f "$o" "$e"
    # The tool says why it exits 1; Wine's start.exe, failing to start it, says so on stdout.
    if [ -n "$runner" ] && [ "$rc:$err" = 1: ]; then fail "Wine did not start the tool ($*): $out"; fi
}

expect_output() { # NAME EXPECTED_FILE ARGS...
    local name=$1 expected=$2
    shift 2
    run "$@"
    [ "$rc" = 0 ] || fail "$name: exit $rc, expected 0 (stderr: $err)"
    if [ "$out" != "$(cat "$expected")" ]; then
        fail "$name: output differs from $expected"
        diff <(printf '%s\n' "$out") "$expected" | head -n 20
    fi
}

# The whole store under the default flags: network device first, then the
# drives, then the numbered devices; empty types left out.
expect_output tree "$here/expected/tree.txt"
expect_output json "$here/expected/patterns-ab.json" --json --device C: --area PATTERNS --pattern AB
if command -v python3 >/dev/null; then
    run --json
    printf '%s' "$out" | python3 -m json.tool >/dev/null || fail "json: full walk is not valid JSON"
fi

# A listing that cannot be written whole is no success: exit 3, and why.
for args in --verbose --json; do
    e=$(mktemp)
    $runner "$tool" "$args" >/dev/full 2>"$e"
    rc=$?
    [ "$rc" = 3 ] && grep -q 'could not be written whole' "$e" || fail "output to a full disk ($args): exit $rc: $(tr -d '\r' <"$e")"
    rm -f "$e"
done

# A reader that closed the pipe is the ordinary end of a listing: no
# message (natively SIGPIPE ends the tool; the C runtime on Windows reports
# the closed pipe as EINVAL).
if [ -n "$runner" ]; then
    e=$(mktemp)
    $runner "$tool" 2>"$e" | true
    rc=${PIPESTATUS[0]}
    [ "$rc" = 3 ] && [ ! -s "$e" ] || fail "closed pipe: exit $rc: $(tr -d '\r' <"$e")"
    rm -f "$e"
fi

# Under Wine's code page 1252, names it cannot hold are left out of the
# listing, never shown as near ones ("Lukasz"), and -v counts them.
if [ -n "$runner" ]; then
    mkdir -p "$store/C/Łukasz" && : >"$store/C/PATTERNS/9/Łódź1"
    run -v --device C:
    rm -rf "$store/C/Łukasz" "$store/C/PATTERNS/9/Łódź1"
    printf '%s' "$out" | grep -qi 'ukasz\|dz1' && fail "best-fitted names listed: $out"
    printf '%s' "$err" | grep -q 'left out: 2 entries' || fail "-v does not count what it left out: $err"
fi

# A pattern without wildcards matches as a prefix, as in the dialog.
run --device C: --area PATTERNS --type Marker --pattern AB
[ "$(printf '%s\n' "$out" | grep -c '^        AB')" = 3 ] || fail "prefix pattern: expected 3 AB items, got: $out"

# A type by name or code gives the same listing.
run --type piece
by_name=$out
run --type 20
[ "$out" = "$by_name" ] || fail "--type piece and --type 20 differ"
printf '%s\n' "$out" | grep -q 'Marker' && fail "--type 20 still lists Marker items"
run --type 020
[ "$out" = "$by_name" ] || fail "--type 020 is not read as the decimal 20: $out"

# Flags decide which devices the walk offers; failed numbered devices are
# skipped without being probed.
run --flags LOCAL_DRIVES --failed 3:
printf '%s\n' "$out" | grep -q '^  C: (3 areas)$' || fail "--flags LOCAL_DRIVES: C: missing: $out"
printf '%s\n' "$out" | grep -Eq '^  (NETWORK:|3:)' && fail "--flags LOCAL_DRIVES --failed 3: offers too much: $out"
run --flags 0
[ "$(printf '%s\n' "$out" | grep -c '^  [^ ]')" = 1 ] || fail "--flags 0: expected only 3:, got: $out"

# Nothing to list: exit 1 and one line on stderr saying why and what to try,
# also for an empty area and a pattern that matches nothing; a store folder
# that is missing or a file is named as such, also by -v.
run --flags 0 --failed 3
[ "$rc" = 1 ] || fail "nothing listed: exit $rc, expected 1"
printf '%s' "$err" | grep -q 'no device holds storage areas under flags 0x00.*try' || fail "nothing listed: no hint: $err"
for case in "--device C: --area ARCHIVE|no items in the 1 storage area" "--pattern ZZ|no item matches \"ZZ\*\""; do
    eval "run ${case%%|*}"
    [ "$rc:$(printf '%s\n' "$err" | wc -l)" = 1:1 ] && printf '%s' "$err" | grep -q "${case#*|}" ||
        fail "'${case%%|*}': exit $rc: $err"
done
for case in "$store.none|missing" "$store/C/PATTERNS/9/AB1042|a file, not a folder"; do
    root=${case%%|*}
    [ -n "$runner" ] && root="Z:$(printf '%s' "$root" | tr / '\\')"
    KELVAST_STORE=$root run -v
    [ "$rc" = 1 ] && printf '%s' "$err" | grep -q "store folder .* is ${case#*|}; " &&
        printf '%s' "$err" | grep -qF "$root: ${case#*|}" || fail "store ${case#*|}: exit $rc: $err"
done
run --device 7:
[ "$rc" = 1 ] || fail "--device 7: exit $rc, expected 1"
# An area or type that does not exist is said so, not listed as empty.
for args in "--type Nope" "--type 99" "--area NOPE" "--device C: --area NOPE"; do
    eval "run $args"
    [ "$rc" = 1 ] || fail "'$args': exit $rc, expected 1"
    printf '%s' "$err" | grep -Eq 'no (item type|storage area)' || fail "'$args': no hint: $err"
done
run --device C: --area patterns --type marker --pattern CD
[ "$rc" = 0 ] && printf '%s' "$out" | grep -q 'CD300' || fail "an area and type in other case: exit $rc: $out"

# -v tells where the store is read from, on stderr only.
run -v --device 3:
printf '%s' "$err" | grep -qF "from KELVAST_STORE): $KELVAST_STORE" || fail "-v: no store root: $err"
printf '%s' "$out" | grep -q 'store root' && fail "-v: setting leaked to stdout"

# Bad arguments: exit 2, usage on stderr, nothing on stdout.
bad_args=("--bogus" "--type" "--flags 'LOCAL|NET'" "--flags ''" "--flags 256" "--flags -1"
          "--flags 99999999999" "--failed 12"
          "--failed 3,x" "--pattern ABCDEFGHIJKLMNOPQRSTUVWX" "--device ''")
[ -n "$runner" ] && bad_args=("--bogus" "--flags 256") # each Wine start costs a second
for args in "${bad_args[@]}"; do
    eval "run $args"
    [ "$rc" = 2 ] || fail "bad arguments '$args': exit $rc, expected 2"
    [ -z "$out" ] || fail "bad arguments '$args': wrote to stdout: $out"
    printf '%s' "$err" | grep -q '^usage: tavorin-browse' || fail "bad arguments '$args': no usage: $err"
done

if [ -z "$runner" ]; then
    for case in '-1|"-1" is no flag value' '256|"256" sets bits no flag has (0x100)'; do
        run --flags "${case%%|*}"
        printf '%s' "$err" | grep -qF -e "--flags: ${case#*|}" || fail "--flags ${case%%|*}: $err"
    done
    run --pattern "$(printf '\xc3\xa9%.0s' {1..12})" # 24 bytes, 12 characters
    printf '%s' "$err" | grep -q 'pattern: 24 bytes (12 characters); .* at most 23 bytes' ||
        fail "a pattern of 24 bytes: $err"
fi

# A network device served from a folder of its own, as from a file server
# (under Wine a UNC share that the prefix maps to a folder), holding a name
# beyond ASCII: listed first, walked, and written to JSON as UTF-8.
net=$store.net
rm -rf "$net"
mkdir -p "$net/SERVER/9"
head -c 300 /dev/zero >"$net/SERVER/9/ÄRMEL-1"
if [ -n "$runner" ]; then
    . "$repo/scripts/lib.sh"
    wine_environment
    share=share-$$
    mkdir -p "$WINEPREFIX/dosdevices/unc/tavorin-fs"
    ln -sfn "$net" "$WINEPREFIX/dosdevices/unc/tavorin-fs/$share"
    trap 'rm -f "$WINEPREFIX/dosdevices/unc/tavorin-fs/$share"' EXIT
    export KELVAST_NETWORK="\\\\tavorin-fs\\$share"
else
    export KELVAST_NETWORK=$net
fi
run --json --flags NETWORK
printf '%s' "$out" | python3 -c '
import json, sys
tree = json.loads(sys.stdin.buffer.read().decode("utf-8"))  # strict: valid UTF-8 only
first = tree["computers"][0]["devices"][0]
items = [i["name"] for a in first["areas"] for t in a["types"] for i in t["items"]]
assert first["name"] == "NETWORK:", first["name"]
assert [a["name"] for a in first["areas"]] == ["SERVER"], first["areas"]
assert items == ["\u00c4RMEL-1"], items
' || fail "network device from KELVAST_NETWORK ($KELVAST_NETWORK): exit $rc: $out $err"
# A name holding a line feed or an ESC sequence neither forges a line of the
# tree nor reaches the terminal. (Wine shows such a file under a mangled
# name: there the check is only that no control byte comes out.)
mkdir -p "$net/ODD/9"
: >"$net/ODD/9/$(printf 'A\nB\033[2J')"
run --flags NETWORK --area ODD
printf '%s' "$out" | LC_ALL=C grep -q '[[:cntrl:]]' && fail "a control byte printed raw: $out"
[ -n "$runner" ] || printf '%s\n' "$out" | grep -qF '        A\x0aB\x1b[2J ' || fail "no escaped name: $out"
# Natively, a Latin-1 name in a UTF-8 locale: escaped in the
# tree, its bytes in JSON, and those bytes taken back as a pattern.
if [ -z "$runner" ]; then
    : >"$net/ODD/9/$(printf 'caf\xe9')"
    LC_ALL=C.UTF-8 run --flags NETWORK --area ODD --pattern caf
    printf '%s\n' "$out" | grep -q '^        caf\\xe9 \{16\} *0 ' || fail "Latin-1 name in the tree: $out"
    run --json --flags NETWORK --area ODD --pattern "$(printf 'caf\xe9')"
    printf '%s' "$out" | grep -qF "$(printf '"name": "caf\xef\xbf\xbd", "name_bytes": "636166e9"')" ||
        fail "Latin-1 name in JSON: $out"
fi
# A name of the full 23 characters given as the pattern is listed, and
# names beyond ASCII keep their columns (natively UTF-8: one character, not
# one byte, per column).
mkdir -p "$net/FULL/9"
: >"$net/FULL/9/ABCDEFGHIJKLMNOPQRSTUVW"
run --flags NETWORK --area FULL --pattern ABCDEFGHIJKLMNOPQRSTUVW
[ "$rc" = 0 ] && printf '%s' "$out" | grep -q ' ABCDEFGHIJKLMNOPQRSTUVW ' || fail "full-length name: exit $rc: $out"
run --flags NETWORK --area SERVER
[ -n "$runner" ] || printf '%s' "$out" | grep -q "^        ÄRMEL-1 \{24\}300 " || fail "columns: $out"
unset KELVAST_NETWORK

# A store failing one call in 4, then every call (the connection too, so no
# network device): exit 0, or 1 with a hint; device 3: marked failed unseen.
for setting in 1:4 2:4 3:4 9:1; do
    KELVAST_FAULTS=$setting run --failed 3
    case $rc:$err in 0:* | 1:?*) ;; *) fail "faults $setting: exit $rc: $err" ;; esac
    printf '%s\n' "$out" | grep -q '^  3:' && fail "faults $setting: 3: offered: $out"
done
[ "$rc" = 1 ] && ! printf '%s' "$out" | grep -q NETWORK || fail "every call failing: exit $rc: $out"
KELVAST_FAULTS=9:1 run -v --device C:
printf '%s' "$err" | grep -qF 'KELVAST_FAULTS): 9:1' || fail "-v: no fault setting: $err"

[ $failures = 0 ] && echo "all browse tool checks passed"
[ $failures = 0 ]
