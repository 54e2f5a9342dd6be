#!/usr/bin/env bash
# The medium as `make medium` builds it: the sample drivers give an ISO holding Setup.exe and
# every driver at its path; a drivers folder with a file missing is refused with its message.
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
    /NT/ZIV.sys /RizoZezu.lnk /Setup.exe /Vave_R.exe | sort)
check "the ISO holds Setup.exe and every driver under its Joliet name" '[ "$listing" = "$expected" ]'
check "the ISO's Setup.exe is the shipping build" 'cmp -s "$work/medium/Setup.exe" build/win32/Setup.exe'

cp -r medium/sample "$work/drivers"
rm "$work/drivers/Vave_R.exe"
bash scripts/make-medium.sh "$work/drivers" "$work/bad" "$work/bad.iso" >"$work/bad.log" 2>&1
status=$?
check "a drivers folder without Vave_R.exe is refused" '[ $status -ne 0 ] && [ ! -e "$work/bad.iso" ]'
check "the refusal names the file and the message" \
    'grep -q "\\\\Vave_R.exe: missing; every Windows would stop with \"Soure File Two not found\"" "$work/bad.log"'
[ $failed -eq 0 ] || { cat "$work/good.log" "$work/bad.log"; }
echo "medium: $passed passed, $failed failed"
[ $failed -eq 0 ]
