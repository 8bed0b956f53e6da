#!/bin/sh
# Opens the "Lookup" dialog in details view and saves a picture of it for a
# person to look at; with a gtest filter, runs those checks first in the
# same program. Every wait is bounded.
#   screenshot.sh <wine-run> <lookup-tests.exe> <out.png> [checks]
set -u
wine_run=$1 exe=$2 out=$3
filter='*HoldOpenForScreenshot'
[ -n "${4:-}" ] && filter="$4:$filter"
dir=$(mktemp -d)
TAVORIN_SCREENSHOT_DIR="Z:$dir" "$wine_run" "$exe" --gtest_filter="$filter" &
pid=$!
i=0
while [ ! -e "$dir/ready" ] && [ $i -lt 600 ]; do sleep 0.1; i=$((i + 1)); done
rc=0
if [ -e "$dir/ready" ]; then
    # The test names the dialog's rectangle on the screen as WxH+X+Y.
    rect=$(cat "$dir/ready")
    import -display "$DISPLAY" -window root ${rect:+-crop "$rect" +repage} "$out" || rc=1
else
    echo "the dialog did not open within 60 s" >&2
    rc=1
fi
touch "$dir/done"
wait $pid || rc=1
rm -rf "$dir"
[ $rc = 0 ] && echo "saved $out"
exit $rc
