#!/usr/bin/env bash
# The dialog in Japanese, Chinese and Hebrew, each in a Wine prefix made
# under its locale (code page 932, 936, 1255) with its tavorinl.dll beside a
# copy of TAVORIN.dll: the checks of that code page, and a picture for a
# person to look at, <outdir>/lookup-<language>.png.
#   language_check.sh <repo> <lookup-tests.exe> <resdll> <outdir>
set -u
. "$1/scripts/lib.sh"
exe=$2 resdll=$3 out=$4
[ -n "${DISPLAY:-}" ] || { log "language_check: no DISPLAY (run through scripts/test)"; exit 2; }
trap stop_wine EXIT
rc=0
for run in "ja_JP.UTF-8 ja-JP ア1,ヂ2,アイ,表示" "zh_CN.UTF-8 zh-CN 丄1,乤2,样品,乗" \
           "he_IL.UTF-8 he-IL דגם1,שמלה-2"; do
    read -r locale language names <<<"$run"
    dir=$out/lang-$language
    prepare_wine_locale "$locale" && rm -rf "$dir" && mkdir -p "$dir" &&
        cp "$exe" "$(dirname "$exe")"/*.dll "$resdll/$language/tavorinl.dll" "$dir/" &&
        (cd "$dir" && TAVORIN_TRANSLATION=$language TAVORIN_SCREENSHOT_NAMES=$names \
            sh "$(dirname "$0")/screenshot.sh" "$REPO/scripts/wine-run" "$dir/$(basename "$exe")" \
            "$out/lookup-$language.png" '*InADoubleByteCodePage*:*ATranslationReaches*') ||
        { log "FAIL $language"; rc=1; }
    stop_wine
done
exit $rc
