#!/usr/bin/env bash
# The dialog in Japanese, Chinese and Hebrew, each in a Wine prefix made
# under its locale (code page 932, 936, 1255), and in Japanese again with
# UTF-8 as the ANSI code page (65001) and in the Hebrew code page, each with
# its tavorinl.dll beside a copy of TAVORIN.dll: the checks of that code
# page, and a picture for a person to look at, <outdir>/lookup-<tag>.png.
#   language_check.sh <repo> <lookup-tests.exe> <resdll> <outdir>
set -u
. "$1/scripts/lib.sh"
exe=$2 resdll=$3 out=$4
[ -n "${DISPLAY:-}" ] || { log "language_check: no DISPLAY (run through scripts/test)"; exit 2; }
trap stop_wine EXIT
utf8_manifest='<assembly xmlns="urn:schemas-microsoft-com:asm.v1" manifestVersion="1.0"><application><windowsSettings><activeCodePage xmlns="http://schemas.microsoft.com/SMI/2019/WindowsSettings">UTF-8</activeCodePage></windowsSettings></application></assembly>'
rc=0
# The "utf8" run's program asks for UTF-8 as its ANSI code page (65001) in
# a manifest beside it, as a host may; the system option does the same. The
# "in-1255" run has a translation the code page cannot hold.
for run in "ja_JP.UTF-8 ja-JP ア1,ヂ2,アイ,表示" "zh_CN.UTF-8 zh-CN 丄1,乤2,样品,乗" \
           "he_IL.UTF-8 he-IL דגם1,שמלה-2" "ja_JP.UTF-8 ja-JP ア1,イ2,表示 utf8" \
           "he_IL.UTF-8 ja-JP AB1 in-1255"; do
    read -r locale language names variant <<<"$run"
    tag=$language${variant:+-$variant}
    dir=$out/lang-$tag
    prepare_wine_locale "$locale" && rm -rf "$dir" && mkdir -p "$dir" &&
        cp "$exe" "$(dirname "$exe")"/*.dll "$resdll/$language/tavorinl.dll" "$dir/" &&
        { [ "$variant" != utf8 ] || echo "$utf8_manifest" >"$dir/$(basename "$exe").manifest"; } &&
        (cd "$dir" && TAVORIN_TRANSLATION=$language TAVORIN_SCREENSHOT_NAMES=$names \
            sh "$(dirname "$0")/screenshot.sh" "$REPO/scripts/wine-run" "$dir/$(basename "$exe")" \
            "$out/lookup-$tag.png" '*InADoubleByteCodePage*:*ATranslationReaches*') ||
        { log "FAIL $tag"; rc=1; }
    # The browse tool's tree to a console (Wine's, on a terminal of script's
    # making) goes in UTF-16: the Hebrew console's own code page, 862, would
    # misread the ANSI bytes.
    if [ "$tag" = he-IL ]; then
        mkdir -p "$dir/net/SERVER/9" && : >"$dir/net/SERVER/9/דגם1"
        net="Z:$(printf '%s' "$dir/net" | tr / '\\')"
        console=$(KELVAST_STORE=$net KELVAST_NETWORK=$net script -qec \
            "$REPO/scripts/wine-run $out/bin/tavorin-browse.exe --flags NETWORK" /dev/null |
            sed 's/\x1b\[[0-9;?]*[a-zA-Z]//g')
        printf '%s' "$console" | grep -q 'דגם1' || { log "FAIL he-IL console: $console"; rc=1; }
    fi
    stop_wine
done
exit $rc
