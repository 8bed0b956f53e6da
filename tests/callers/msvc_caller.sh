#!/usr/bin/env bash
# Builds msvc_caller.c as an MSVC-ABI program (clang for the MSVC target,
# lld-link, TAVORIN.lib, no C runtime) and runs it under Wine beside
# TAVORIN.dll and the stand-in Kelvast.dll, over the sample store.
#   msvc_caller.sh x64|x86 REPO LIB_DIR BIN_DIR WORK_DIR RUNNER...
set -u
arch=$1 repo=$2 lib=$3 bin=$4 work=$5
shift 5
here=$(cd "$(dirname "$0")" && pwd)
case $arch in
x64) triple=x86_64-pc-windows-msvc machine=i386:x86-64 ;;
x86) triple=i686-pc-windows-msvc machine=i386 ;;
*) echo "msvc_caller.sh: no architecture $arch"; exit 2 ;;
esac
mkdir -p "$work"
"$repo/scripts/make-sample-store" "$work/store" || exit 1

clang --target=$triple -std=c99 -O1 -ffreestanding -fno-stack-protector -Wall -Wextra -Werror \
    -I"$repo/include" -c "$here/msvc_caller.c" -o "$work/msvc_caller.obj" || exit 1
for dll in kernel32 user32; do
    # x64 has one calling convention and no @n in its names.
    if [ $arch = x64 ]; then
        sed 's/@[0-9]*$//' "$here/$dll.def" >"$work/$dll.def"
    else
        cp "$here/$dll.def" "$work/$dll.def"
    fi
    llvm-dlltool -m $machine -k -d "$work/$dll.def" -l "$work/$dll.lib" || exit 1
done
lld-link /nologo /entry:CallerMain /subsystem:console /nodefaultlib "$work/msvc_caller.obj" \
    "$lib/TAVORIN.lib" "$work/kernel32.lib" "$work/user32.lib" /out:"$bin/msvc-caller.exe" || exit 1

# Z: is the root of the Unix file system in a Wine prefix.
KELVAST_STORE="Z:$(printf '%s' "$work/store" | tr / '\\')" TZ=UTC "$@" "$bin/msvc-caller.exe"
