#!/usr/bin/env bash
# The dialog as Japanese, Chinese and Hebrew users see it: for each, a Wine
# prefix made under that locale (so that its ANSI code page is 932, 936 or
# 1255), the language's tavorinl.dll beside a copy of TAVORIN.dll, the
# checks that hold in that code page, and a picture of the dialog for a
# person to look at, <outdir>/lookup-<language>.png. Every wait is bounded.
#   language_check.sh <repo> <lookup-tests.exe> <resdll> <outdir>
set -u
. "$1/scripts/lib.sh"
exe=$2 resdll=$3 out=$4
[ -n "${DISPLAY:-}" ] || { log "language_check: no DISPLAY (run through scripts/test)"; exit 2; }
trap stop_wine EXIT
checks='*InADoubleByteCodePage*:*ATranslationReachesTheDialog*'
rc=0
for run in "ja_JP.UTF-8 ja-JP ア1,ヂ2,アイ,表示" "zh_CN.UTF-8 zh-CN 丄1,乤2,样品,乗" \
           "he_IL.UTF-8 he-IL דגם1,שמלה-2"; do
    read -r locale language names <<<"$run"
    prepare_wine_locale "$locale" || { log "FAIL $language: prefix"; rc=1; continue; }
    # TAVORIN.dll takes the library beside its own file: a folder of its own
    # keeps the English one of the other tests.
    dir=$out/lang-$language
    rm -rf "$dir" && mkdir -p "$dir" &&
        cp "$exe" "$(dirname "$exe")"/*.dll "$dir/" &&
        cp "$resdll/$language/tavorinl.dll" "$dir/" || { rc=1; continue; }
    (cd "$dir" && TAVORIN_TRANSLATION=$language TAVORIN_SCREENSHOT_NAMES=$names \
        sh "$(dirname "$0")/screenshot.sh" "$REPO/scripts/wine-run" "$dir/$(basename "$exe")" \
        "$out/lookup-$language.png" "$checks") || { log "FAIL $language"; rc=1; }
    stop_wine
done
exit $rc
