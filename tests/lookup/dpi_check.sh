#!/usr/bin/env bash
# The dialog on displays of 192, 144 and 96 dots per inch, in a Wine prefix
# of its own: runs the checks that hold at every dpi and saves a picture of
# the dialog at each, <outdir>/lookup-<dpi>.png, for a person to look at.
#   dpi_check.sh <repo> <lookup-tests.exe> <outdir>
set -u
. "$1/scripts/lib.sh"
exe=$2 out=$3
[ -n "${DISPLAY:-}" ] || { log "dpi_check: no DISPLAY (run through scripts/test)"; exit 2; }
trap stop_wine EXIT
checks='*AtTheDisplaysDpi*:*ToolbarTakesThePlaceholders*:*TooltipTexts*:*AnotherDpi*'
# Starting where the prefix was left spares one change of its dpi.
order="192 144 96"
[ "$(cat "$REPO/build/wineprefix-dpi/.tavorin-dpi" 2>/dev/null)" = 96 ] && order="96 144 192"
rc=0
for dpi in $order; do
    prepare_wine_dpi "$dpi" || exit 1
    sh "$(dirname "$0")/screenshot.sh" "$REPO/scripts/wine-run" "$exe" "$out/lookup-$dpi.png" \
        "$checks" || { log "FAIL at $dpi dpi"; rc=1; }
done
exit $rc
