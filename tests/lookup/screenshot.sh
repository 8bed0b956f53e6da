#!/bin/sh
# Opens the "Lookup" dialog in details view and saves a picture of the
# screen for a person to look at. Every wait is bounded.
#   screenshot.sh <wine-run> <lookup-tests.exe> <out.png>
set -u
wine_run=$1 exe=$2 out=$3
dir=$(mktemp -d)
TAVORIN_SCREENSHOT_DIR="Z:$dir" "$wine_run" "$exe" --gtest_filter='*HoldOpenForScreenshot' &
pid=$!
i=0
while [ ! -e "$dir/ready" ] && [ $i -lt 200 ]; do sleep 0.1; i=$((i + 1)); done
rc=0
if [ -e "$dir/ready" ]; then
    import -display "$DISPLAY" -window root "$out" || rc=1
else
    echo "the dialog did not open within 20 s" >&2
    rc=1
fi
touch "$dir/done"
wait $pid || rc=1
rm -rf "$dir"
[ $rc = 0 ] && echo "saved $out"
exit $rc
