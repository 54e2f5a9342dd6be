#!/usr/bin/env bash
# Checks that each Setup.exe is a Windows GUI program for subsystem 4.0 that needs nothing but
# system DLLs, and that the shipping build stays small.
set -euo pipefail
cd "$(dirname "$0")/.."
allowed='^(KERNEL32|USER32|ADVAPI32|SHELL32|COMCTL32|MSVCRT)\.DLL$'
status=0
for build in win32 win64; do
    exe=build/$build/Setup.exe
    prefix=$([ $build = win32 ] && echo i686 || echo x86_64)-w64-mingw32
    headers=$("$prefix-objdump" -p "$exe")
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
    if [ $build = win32 ] && [ "$size" -gt 65536 ]; then
        echo "  larger than 64 KiB"
        status=1
    fi
done
exit $status
