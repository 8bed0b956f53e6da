#!/usr/bin/env bash
# A foreign caller: Python's ctypes loads libtavorin.so alone (it brings
# libkelvast.so itself) and walks the sample store.
#   ctypes_caller.sh LIBTAVORIN_SO STORE_DIR
set -u
lib=$1 store=$2
repo=$(cd "$(dirname "$0")/../.." && pwd)
"$repo/scripts/make-sample-store" "$store" || exit 1
KELVAST_STORE=$store python3 - "$lib" <<'PY'
import ctypes, sys
tavorin = ctypes.CDLL(sys.argv[1])
for name in ("ListFirstDevice", "ListNextDevice", "ListFirstArea", "ListNextArea",
             "ListFirstItem", "ListNextItem"):
    getattr(tavorin, name).restype = ctypes.c_char_p

def walk(first, *args):
    names, name = [], getattr(tavorin, "ListFirst" + first)(*args)
    while name is not None:
        names.append(name.decode())
        name = getattr(tavorin, "ListNext" + first)()
    return names

devices = walk("Device", b"\\\\.", 0x02 | 0x04)
areas = walk("Area", b"C:")
items = walk("Item", b"C:", b"PATTERNS", 9, b"AB*")
tavorin.StoreFailedConnectionList(b"3\0\0")
without3 = walk("Device", b"\\\\.", 0x02)
print(devices, areas, items, without3)
ok = (devices == ["NETWORK:", "C:", "3:"] and areas == ["ARCHIVE", "MARKERS", "PATTERNS"]
      and items == ["AB1042", "AB2210", "ABX-SLEEVE"] and without3 == ["C:"])
sys.exit(0 if ok else 1)
PY
