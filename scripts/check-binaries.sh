#!/usr/bin/env bash
# Checks that each Setup.exe (by default both builds') is a Windows GUI program for subsystem 4.0
# that needs nothing but system DLLs, and that the shipping 32-bit build stays small.
#   check-binaries.sh [EXE...]      OBJDUMP: a MinGW objdump (either reads both kinds)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
[ $# -gt 0 ] || set -- "$root/build/win32/Setup.exe" "$root/build/win64/Setup.exe"
objdump=${OBJDUMP:-x86_64-w64-mingw32-objdump}
allowed='^(KERNEL32|USER32|ADVAPI32|SHELL32|COMCTL32|MSVCRT)\.DLL$'
status=0
for exe in "$@"; do
    headers=$("$objdump" -p "$exe")
    size=$(stat -c %s "$exe")
    echo "$exe: $size bytes"
    grep -q 'Subsystem[[:space:]]*00000002' <<<"$headers" || { echo "  not a GUI program"; status=1; }
    grep -q 'MajorSubsystemVersion[[:space:]]*4$' <<<"$headers" &&
        grep -q 'MinorSubsystemVersion[[:space:]]*0$' <<<"$headers" ||
        { echo "  subsystem version is not 4.0"; status=1; }
    while read -r dll; do
        echo "  imports $dll"
        grep -Eqi "$allowed" <<<"$dll" || { echo "  $dll is not a system DLL"; status=1; }
    done < <(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers")
    if grep -q 'file format pei-i386' <<<"$headers" && [ "$size" -gt 40960 ]; then
        echo "  larger than 40 KiB"
        status=1
    fi
done
exit $status
