#!/usr/bin/env bash
# Installs a build tree, then configures, builds and runs the consumer
# project against it with find_package(Tavorin 8.4 CONFIG REQUIRED);
# natively also a program built with pkg-config's flags.
#   consumer.sh BUILD_DIR CONSUMER_SRC WORK_DIR TOOLCHAIN_FILE|"" [RUNNER...]
set -u
build=$1 src=$2 work=$3 toolchain=$4
shift 4
repo=$(cd "$(dirname "$0")/../.." && pwd)
rm -rf "$work"
mkdir -p "$work"
prefix=$work/install
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

cmake --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1 ||
    { cat "$work/install.log"; exit 1; }
"$repo/scripts/make-sample-store" "$work/store" || exit 1
for f in lib/cmake/Tavorin/TavorinConfig.cmake lib/cmake/Tavorin/TavorinConfigVersion.cmake; do
    [ -f "$prefix/$f" ] || fail "no $f installed"
done
# What the zip holds: the sample store beside the storage library, and on
# Windows the notices of the runtime code linked in.
if [ -n "$toolchain" ]; then
    for f in lib/TAVORIN.lib lib/Kelvast.lib lib/TAVORIN.dll.a bin/store/C/PATTERNS/9/AB1042 \
             THIRD-PARTY-NOTICES.txt tavorin-*.spdx.json; do
        compgen -G "$prefix/$f" >/dev/null || fail "no $f installed"
    done
fi

config=(-S "$src" -B "$work/build" -DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_BUILD_TYPE=Release)
[ -n "$toolchain" ] && config+=(-DCMAKE_TOOLCHAIN_FILE="$toolchain")
if ! { cmake "${config[@]}" && cmake --build "$work/build"; } >"$work/build.log" 2>&1; then
    cat "$work/build.log"
    fail "the consumer project does not build against the installed tree"
elif [ -n "$toolchain" ]; then
    # Beside TAVORIN.dll and the stand-in, as a deployed program would be.
    cp "$work/build/consumer.exe" "$prefix/bin/" &&
        KELVAST_STORE="Z:$(printf '%s' "$work/store" | tr / '\\')" "$@" "$prefix/bin/consumer.exe" ||
        fail "consumer.exe failed"
else
    KELVAST_STORE=$work/store "$work/build/consumer" || fail "consumer failed"
fi

if [ -z "$toolchain" ]; then
    [ -f "$prefix/lib/store/C/PATTERNS/9/AB1042" ] || fail "no sample store beside libkelvast.so"
    pc=$prefix/lib/pkgconfig
    [ -f "$pc/tavorin.pc" ] || fail "no tavorin.pc installed"
    flags=$(PKG_CONFIG_PATH=$pc pkg-config --cflags --libs tavorin) || fail "pkg-config does not know tavorin"
    # shellcheck disable=SC2086
    gcc -std=c99 -Wall -Werror "$src/main.c" $flags -Wl,-rpath,"$prefix/lib" \
        -o "$work/pc-consumer" && KELVAST_STORE=$work/store "$work/pc-consumer" >/dev/null ||
        fail "a program built with pkg-config's flags failed"
fi
[ $failures = 0 ] && echo "the installed tree serves find_package and pkg-config"
[ $failures = 0 ]
