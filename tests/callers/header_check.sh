#!/usr/bin/env bash
# tavorin.h stands alone: with only its own folder on the include path it
# compiles as C99 and as C++17 natively, with mingw-w64 for both
# architectures and with clang for the two MSVC targets.
#   header_check.sh INCLUDE_DIR
set -u
include=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A caller touching everything the header declares.
cat >"$work/use.c" <<'C'
#include "tavorin.h"
int use(void) {
    TAVORIN_LOOKUP r;
    int code = 0;
    r.structSize = sizeof r;
    StoreFailedConnectionList("3\0");
    return AtLookupItemList(&r) + (ListFirstType(&code) != 0) + LF_TYPE + TAVORIN_LOOKUP_ERR_MEMORY;
}
C
cat "$work/use.c" - >"$work/use.cpp" <<'CPP'
int use_cpp(CStringList& failed, CStringArray* names) {
    StoreFailedConnections(failed);
    return AtLookupMultipleItem(nullptr, nullptr, nullptr, "", 0, names);
}
CPP

failures=0
check() { # NAME COMPILER ARGS...
    local name=$1
    shift
    if ! command -v "$1" >/dev/null; then
        echo "FAIL $name: no $1"
        failures=$((failures + 1))
    elif "$@" -fsyntax-only -Wall -Wextra -Werror -pedantic -I"$include" 2>"$work/err"; then
        echo "ok   $name"
    else
        echo "FAIL $name"
        head -n 20 "$work/err"
        failures=$((failures + 1))
    fi
}
for std in "c -std=c99" "c++ -std=c++17"; do
    set -- $std
    lang=$1 flag=$2 src=$work/use.$([ "$1" = c ] && echo c || echo cpp)
    check "native gcc, $lang" "$([ "$lang" = c ] && echo gcc || echo g++)" "$flag" "$src"
    check "mingw x64, $lang" "x86_64-w64-mingw32-$([ "$lang" = c ] && echo gcc || echo g++)" "$flag" "$src"
    check "mingw x86, $lang" "i686-w64-mingw32-$([ "$lang" = c ] && echo gcc || echo g++)" "$flag" "$src"
    check "clang msvc x64, $lang" clang --target=x86_64-pc-windows-msvc -x "$lang" "$flag" "$src"
    check "clang msvc x86, $lang" clang --target=i686-pc-windows-msvc -x "$lang" "$flag" "$src"
done
[ $failures = 0 ] && echo "tavorin.h compiles alone everywhere"
[ $failures = 0 ]
