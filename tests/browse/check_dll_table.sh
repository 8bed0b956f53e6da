#!/usr/bin/env bash
# TAVORIN.dll may depend on Windows system DLLs and Kelvast.dll only, must
# export the fourteen functions and the two with plain C types under their
# plain names and nothing else,
# and must read Kelvast's two variables through its import table.
#   check_dll_table.sh <objdump> <TAVORIN.dll>
set -u
objdump=$1 dll=$2
table=$("$objdump" -p "$dll") || { echo "objdump failed on $dll"; exit 1; }
fail=0

system_dlls=" kernel32.dll user32.dll gdi32.dll comctl32.dll comdlg32.dll msvcrt.dll version.dll advapi32.dll shell32.dll shlwapi.dll ole32.dll oleaut32.dll ntdll.dll uxtheme.dll "
while read -r name; do
    lower=$(printf '%s' "$name" | tr 'A-Z' 'a-z')
    case $lower in
    kelvast.dll) ;;
    api-ms-win-*) ;;
    *) [[ $system_dlls == *" $lower "* ]] || { echo "imports from $name"; fail=1; } ;;
    esac
done < <(printf '%s\n' "$table" | sed -n 's/^[[:space:]]*DLL Name: //p')
printf '%s\n' "$table" | grep -qi 'DLL Name: Kelvast.dll' || { echo "no import of Kelvast.dll"; fail=1; }

# Names of the export name table: after its heading, lines "[   n] Name"
# (binutils 2.40) or "[   n] +base[   m]  hint Name" (2.44): the last word.
exports=$(printf '%s\n' "$table" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' |
    awk '/\[[[:space:]]*[0-9]+\]/ { print $NF }' | sort)
expected=$(printf '%s\n' AtLookupItem AtLookupMultipleItem CountAreas ListFirstArea \
    ListFirstComputer ListFirstDevice ListFirstItem ListFirstType ListNextArea ListNextComputer \
    ListNextDevice ListNextItem ListNextType StoreFailedConnections \
    AtLookupItemList StoreFailedConnectionList | sort)
if [ "$exports" != "$expected" ]; then
    echo "exports differ from the sixteen functions:"
    diff <(printf '%s\n' "$expected") <(printf '%s\n' "$exports")
    fail=1
fi

# The members imported from Kelvast.dll: the block after its DLL Name line.
kelvast=$(printf '%s\n' "$table" | awk '/DLL Name:/ { inside = tolower($3) == "kelvast.dll"; next }
    inside && NF >= 2 { print $NF }')
for var in atc_data_size atc_last_mod_time; do
    printf '%s\n' "$kelvast" | grep -qx "$var" || { echo "$var is not read through the import table"; fail=1; }
done
[ $fail = 0 ] && echo "TAVORIN.dll: imports and exports as expected"
exit $fail
