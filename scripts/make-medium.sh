#!/usr/bin/env bash
# Builds the installation medium as it ships: build/medium/ and build/medium.iso (ISO 9660 with
# Joliet and Rock Ridge names), holding the shipping Setup.exe and the driver files from DRIVERS at the paths
# the program reads. A drivers folder that would fail on a customer's machine is refused.
set -euo pipefail
cd "$(dirname "$0")/.."
drivers=${1:-medium/sample}
out=${2:-build/medium}
iso=${3:-build/medium.iso}
if [ ! -d "$drivers" ]; then
    echo "make medium: no drivers folder at $drivers" >&2
    exit 1
fi
rm -rf "$out" "$iso"
mkdir -p "$out"
if ! build/host/medium_check "$drivers" "$out"; then
    rm -rf "$out"
    exit 1
fi
cp build/win32/Setup.exe "$out/Setup.exe"
# A CD drive run from MS-DOS mode (MSCDEX) reads only the plain ISO 9660 names: they keep the
# hyphen of \95-98 (relaxed names; in upper case, which DOS reads in any case).
xorriso -report_about SORRY -as mkisofs -quiet -J -r -relaxed-filenames -V RESTORE_CARD -o "$iso" "$out"
echo "medium: $out and $iso ($(stat -c %s "$iso") bytes)"
