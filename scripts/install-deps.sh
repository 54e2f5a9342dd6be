#!/usr/bin/env bash
# Installs the Debian packages that building, testing and running the program need, and only
# those that are missing. Only the 64-bit Wine: its 32-bit half breaks the launcher here.
set -euo pipefail
packages=(make cmake g++ googletest libgtest-dev python3 gcovr
          g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
          wine64 xvfb xauth x11-apps x11-utils imagemagick xorriso)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
if [ "$(id -u)" -ne 0 ]; then
    echo "Missing packages: ${missing[*]}; run as root, or: sudo apt-get install ${missing[*]}" >&2
    exit 1
fi
echo "+ apt-get update"
apt-get update -qq
echo "+ apt-get install -y ${missing[*]}"
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
