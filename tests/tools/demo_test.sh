#!/usr/bin/env bash
# lookup-demo under Wine, driving the real dialog on the sample store: what a
# confirmed, a cancelled and a mistyped request hand back.
#
#   demo_test.sh LOOKUP_DEMO_EXE STORE_DIR RUNNER
set -u
demo=$1 store=$2 runner=$3
repo=$(cd "$(dirname "$0")/../.." && pwd)
"$repo/scripts/make-sample-store" "$store" || exit 1
export KELVAST_STORE="Z:$(printf '%s' "$store" | tr / '\\')"

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
run() { # sets out and rc
    local f
    f=$(mktemp)
    $runner "$demo" "$@" --timeout 30 >"$f" 2>&1
    rc=$?
    out=$(tr -d '\r' <"$f")
    rm -f "$f"
}
expect_lines() { # CASE LINE...
    local name=$1 line
    shift
    for line in "$@"; do
        printf '%s\n' "$out" | grep -qx -- "$line" || fail "$name: expected '$line' in: $out"
    done
}

# Several items come back in list order; the first one is selected by the
# driver, so exactly one name arrives, and device, area and type as given.
run --multiple --auto AB --device C: --area PATTERNS --type 9
[ "$rc" = 0 ] || fail "multiple: exit $rc"
expect_lines multiple "answer: 1" "device: C:" "area: PATTERNS" "type: 9" "item: AB1042"
[ "$(printf '%s\n' "$out" | grep -c '^item:')" = 1 ] || fail "multiple: expected one item: $out"

# Nothing matches: the driver cancels, the answer is 0 and nothing is
# handed back.
run --auto ZZ --device 3: --area SAMPLES --type 12
[ "$rc" = 1 ] || fail "no match: exit $rc, expected 1"
printf "%s\n" "$out" | grep -q "^dialog ready .* (0 items listed)$" || fail "no match: list not empty: $out"
expect_lines "no match" "answer: 0" "device: 3:" "area: SAMPLES" "type: 12"
printf '%s\n' "$out" | grep -q '^item:' && fail "no match: an item came back: $out"

run --flags LOCAL_DRIVES\|BOGUS
[ "$rc" = 2 ] || fail "bad flags: exit $rc, expected 2"

[ $failures = 0 ] && echo "all lookup-demo checks passed"
[ $failures = 0 ]
