#!/usr/bin/env bash
# The medium as `make medium` builds it: the sample drivers give an ISO holding Setup.exe, every
# driver at its path and their manifest, which the checker holds them to; a drivers folder with a
# file missing, or a file that differs from the manifest, is refused with its message.
set -uo pipefail
cd "$(dirname "$0")/.."
passed=0
failed=0
check() {
    if eval "$2"; then passed=$((passed + 1)); echo "ok   $1"; else failed=$((failed + 1)); echo "FAIL $1"; fi
}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

bash scripts/make-medium.sh medium/sample "$work/medium" "$work/medium.iso" >"$work/good.log" 2>&1
check "the sample drivers make a medium" '[ -s "$work/medium.iso" ]'
listing=$(xorriso -indev "$work/medium.iso" -find / -type f 2>/dev/null | tr -d "'" | sort)
expected=$(printf '%s\n' /95-98/95drv.exe /95-98/ide/95drv.vxd /95-98/scsi/95drv.vxd /FCHK1.DAT \
    /MANIFEST.TXT /NT/ZIV.sys /RizoZezu.lnk /Setup.exe /Vave_R.exe | sort)
check "the ISO holds Setup.exe and every driver under its Joliet name" '[ "$listing" = "$expected" ]'
# What DOS reads: the plain ISO 9660 directory alone, names in upper case with a version ";1".
plain=$(xorriso -read_fs ecma119 -indev "$work/medium.iso" -find / -type f 2>/dev/null | tr -d "'" |
    sed 's/;1$//' | tr a-z A-Z | sort)
setup_paths=$(printf '%s\n' "$expected" | tr a-z A-Z | sort)
check "read without Joliet and Rock Ridge, as from DOS, the ISO holds every file at Setup's path" \
    '[ "$plain" = "$setup_paths" ]'
check "the ISO's Setup.exe is the shipping build" 'cmp -s "$work/medium/Setup.exe" build/win32/Setup.exe'
size=$(stat -c %s medium/sample/NT/ZIV.sys)
crc=$(python3 -c 'import sys, zlib; print("%08X" % zlib.crc32(open(sys.argv[1], "rb").read()))' medium/sample/NT/ZIV.sys)
line=$(printf '\\NT\\ZIV.sys %s %s\r' "$size" "$crc")
check "the manifest lists each driver with its size and zip's CRC-32, in CR LF lines" \
    '[ "$(grep -cxF "$line" "$work/medium/MANIFEST.TXT")" = 1 ] && [ "$(grep -c . "$work/medium/MANIFEST.TXT")" = 7 ]'
build/host/medium_check "$work/medium" >"$work/recheck.log" 2>&1
status=$?
check "the built medium passes the checker" '[ $status -eq 0 ]'
printf 'X' | dd of="$work/medium/NT/ZIV.sys" bs=1 seek=10 conv=notrunc status=none
build/host/medium_check "$work/medium" >"$work/changed.log" 2>&1
status=$?
check "a changed byte fails the checker, which names the file" \
    '[ $status -eq 1 ] && grep -q "^error: \\\\NT\\\\ZIV.sys: .*Setup would refuse it as damaged" "$work/changed.log"'

cp -r medium/sample "$work/drivers"
rm "$work/drivers/Vave_R.exe"
bash scripts/make-medium.sh "$work/drivers" "$work/bad" "$work/bad.iso" >"$work/bad.log" 2>&1
status=$?
check "a drivers folder without Vave_R.exe is refused" '[ $status -ne 0 ] && [ ! -e "$work/bad.iso" ]'
check "the refusal names the file and the message" \
    'grep -q "\\\\Vave_R.exe: missing; every Windows would stop with \"Soure File Two not found\"" "$work/bad.log"'
[ $failed -eq 0 ] || { cat "$work/good.log" "$work/bad.log" "$work/recheck.log" "$work/changed.log"; }
echo "medium: $passed passed, $failed failed"
[ $failed -eq 0 ]
