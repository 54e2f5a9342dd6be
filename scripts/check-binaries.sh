#!/usr/bin/env bash
# Checks that each Setup.exe (by default both builds') is a Windows GUI program for subsystem 4.0
# that imports only the functions platform/imports.txt lists (the 32-bit build only those that
# the first Windows 95 and NT 4.0 export), and that the shipping 32-bit build stays small.
#   check-binaries.sh [EXE...]      OBJDUMP: a MinGW objdump (either reads both kinds)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
[ $# -gt 0 ] || set -- "$root/build/win32/Setup.exe" "$root/build/win64/Setup.exe"
objdump=${OBJDUMP:-x86_64-w64-mingw32-objdump}
list="$root/platform/imports.txt"
limit=28672  # 28 KiB
status=0
for exe in "$@"; do
    headers=$("$objdump" -p "$exe")
    size=$(stat -c %s "$exe")
    echo "$exe: $size bytes"
    grep -q 'Subsystem[[:space:]]*00000002' <<<"$headers" || { echo "  not a GUI program"; status=1; }
    grep -q 'MajorSubsystemVersion[[:space:]]*4$' <<<"$headers" &&
        grep -q 'MinorSubsystemVersion[[:space:]]*0$' <<<"$headers" ||
        { echo "  subsystem version is not 4.0"; status=1; }
    bits32=false
    grep -q 'file format pei-i386' <<<"$headers" && bits32=true
    # Each import as DLL!Function, the DLL's name in capitals without .dll; by ordinal, as #N.
    imports=$(awk '
        /^[[:space:]]*DLL Name: / { dll = toupper($3); sub(/\.DLL$/, "", dll); next }
        /^[[:space:]]*$/ { dll = "" }
        dll != "" && /^\t[0-9a-f]+\t +[0-9]+  / { print dll "!" $3 }
        dll != "" && /^\t[0-9a-f]+\t +[0-9]+ *$/ { print dll "!#" $2 }' <<<"$headers")
    dlls=$(grep -c 'DLL Name:' <<<"$headers" || true)
    echo "  $(wc -l <<<"$imports") functions from $dlls DLLs"
    [ -n "$imports" ] && [ "$dlls" -gt 0 ] || { echo "  no imports read"; status=1; }
    while read -r import; do
        row=$(awk -v f="$import" '$1 == f' "$list")
        if [ -z "$row" ]; then
            echo "  $import is not in platform/imports.txt"
            status=1
        elif $bits32 && [ "$(awk '{print $2, $3}' <<<"$row")" != "95 4.0" ]; then
            echo "  $import is not exported by the first Windows 95 and NT 4.0"
            status=1
        fi
    done <<<"$imports"
    if $bits32 && [ "$size" -gt $limit ]; then
        echo "  larger than $limit bytes"
        status=1
    fi
done
exit $status
