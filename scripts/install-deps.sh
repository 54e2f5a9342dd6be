#!/usr/bin/env bash
# Installs the Debian packages that building, testing and running the program need, and only
# those that are missing. Only the 64-bit Wine (wine gives the wine, wineserver and wineboot
# commands, wine64 the 64-bit half): the 32-bit half breaks the launcher here.
# fonts-wine and the X libraries after it decide how Wine draws the screenshots; Wine only
# recommends them, so they are named here to be the same on every machine.
# clang-14 builds the fuzz targets; its libFuzzer and sanitizer runtimes are in libclang-rt-14-dev,
# which clang only recommends.
# debootstrap makes the i386 root of the 32-bit Wine machine (scripts/wine32-machine.sh), which
# runs the shipping Setup.exe; the rest of that machine comes from Debian's archive when made.
set -euo pipefail
packages=(make cmake ccache g++ googletest libgtest-dev python3 gcovr clang-format clang-14 libclang-rt-14-dev
          g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
          wine wine64 fonts-wine
          libxrender1 libxrandr2 libxcursor1 libxi6 libxinerama1 libxcomposite1 libxfixes3 libxxf86vm1
          xvfb xauth x11-apps x11-utils imagemagick xorriso debootstrap locales)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
# The end-to-end run of a Windows in Traditional Chinese starts Wine in this locale: without it
# Wine reads the command line as ASCII and drops each byte's high bit.
make_locale() {
    locale -a 2>/dev/null | grep -qx 'zh_TW.utf8' && return 0
    echo "+ localedef -i zh_TW -f UTF-8 zh_TW.UTF-8"
    localedef -i zh_TW -f UTF-8 zh_TW.UTF-8
}
if [ ${#missing[@]} -eq 0 ]; then
    make_locale
    exit 0
fi
if [ "$(id -u)" -ne 0 ]; then
    echo "Missing packages: ${missing[*]}; run as root, or: sudo apt-get install ${missing[*]}" >&2
    exit 1
fi
echo "+ apt-get update"
apt-get update -qq
echo "+ apt-get install -y ${missing[*]}"
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
make_locale
