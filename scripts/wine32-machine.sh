#!/usr/bin/env bash
# The 32-bit Wine machine that runs the shipping Setup.exe. These machines cannot execute 32-bit
# x86 code, so it is an i386 Debian 12 root with Wine in it, run through qemu-i386 (user-mode
# emulation) registered with binfmt_misc. Debian 12's own qemu (7.2) cannot even boot Wine; the one
# from bookworm-backports can, and is fetched with an apt configuration of its own, which leaves
# the machine's package sources alone. Made once per machine and kept in WINE32_HOME; a change of
# the recipe (fetch_qemu, make_root and the packages below) makes it anew.
#
#   wine32-machine.sh make                  make it where it is missing or from another recipe
#   wine32-machine.sh register OWNER_PID    let qemu-i386 run i386 programs while OWNER_PID lives;
#                                           prints the binfmt_misc entry's name
#   wine32-machine.sh unregister ENTRY      take that entry away again
#   wine32-machine.sh run FOLDER COMMAND... COMMAND in the root, with the host FOLDER at its own
#                                           path, in a mount namespace that ends with it
set -euo pipefail
home=${WINE32_HOME:-/var/tmp/setup-wine32}
lock=$home.lock
binfmt=/proc/sys/fs/binfmt_misc
# Entries of this script are named so, with the pid of the run that needs them.
entry_prefix=setup-wine32-
# An i386 ELF program or library, as qemu's own binfmt table describes it.
magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
# Installed inside the i386 root only, never on the host (where wine32 would break the wine
# launcher; scripts/install-deps.sh). What Wine draws with is named, as on the host: without
# fonts-wine, gdi32 crashes as the dialog opens.
packages=(wine wine32 fonts-wine
          libxrender1 libxrandr2 libxcursor1 libxi6 libxinerama1 libxcomposite1 libxfixes3 libxxf86vm1)

mirror() {
    local m
    m=$(awk '/^URIs:/ {print $2; exit}' /etc/apt/sources.list.d/debian.sources 2>/dev/null || true)
    [ -n "$m" ] || m=$(awk '/^deb / {print $2; exit}' /etc/apt/sources.list 2>/dev/null || true)
    echo "${m:-http://deb.debian.org/debian}"
}

# COMMAND in ROOT, with /proc, /dev and the host FOLDER (if any) mounted where it expects them;
# the mounts belong to the command's own namespace and go with it (with the last process in it: a
# wineserver started here keeps them).
in_root() {
    local r=$1 folder=$2
    shift 2
    unshare --mount --propagation unchanged -- /bin/bash -c '
        set -e
        r=$1 folder=$2
        shift 2
        # Inside a chroot (such as a fresh-machine check) / is no mount point and cannot be made
        # private; the mounts then stay here only if the mount that holds the root is private.
        mount --make-rprivate / 2>/dev/null || true
        mount -t proc proc "$r/proc"
        if awk -v m="$r/proc" '\''$5 == m && / shared:/ {found = 1} END {exit !found}'\'' /proc/self/mountinfo; then
            umount "$r/proc"
            echo "wine32-machine: $r is on a shared mount; its mounts would reach other namespaces" >&2
            exit 1
        fi
        mount --rbind /dev "$r/dev"
        # With what is mounted below it, such as a small disk that a scenario puts in its C: drive.
        if [ -n "$folder" ]; then mkdir -p "$r$folder" && mount --rbind "$folder" "$r$folder"; fi
        exec chroot "$r" "$@"' in-root "$r" "$folder" "$@"
}

# Only qemu-i386 is kept of the package's emulators.
fetch_qemu() {
    local target=$1 apt=$1/apt
    mkdir -p "$apt/lists/partial" "$apt/cache/archives/partial"
    echo "deb [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] $(mirror) bookworm-backports main" \
        >"$apt/sources.list"
    local options=(-qq -o Dir::Etc::SourceList="$apt/sources.list" -o Dir::Etc::SourceParts=/dev/null
                   -o Dir::State::Lists="$apt/lists" -o Dir::Cache="$apt/cache"
                   -o Dir::State::status=/dev/null -o APT::Sandbox::User=root)
    apt-get "${options[@]}" update
    (cd "$apt" && apt-get "${options[@]}" download qemu-user/bookworm-backports)
    dpkg-deb -x "$apt"/qemu-user_*.deb "$apt/unpacked"
    mv "$apt/unpacked/usr/bin/qemu-i386" "$target/qemu-i386"
    rm -rf "$apt/unpacked" "$apt"/*.deb "$apt/cache"
}

make_root() {
    local target=$1 r=$1/root
    debootstrap --arch=i386 --foreign --variant=minbase bookworm "$r" "$(mirror)" >/dev/null
    cp /etc/resolv.conf "$r/etc/resolv.conf"
    local entry
    entry=$(register $$ "$target/qemu-i386")
    trap 'unregister '"$entry" EXIT
    in_root "$r" '' /debootstrap/debootstrap --second-stage >/dev/null
    in_root "$r" '' /usr/bin/env DEBIAN_FRONTEND=noninteractive /bin/sh -c \
        'apt-get update -qq && apt-get install -y -qq --no-install-recommends "$@" >/dev/null && apt-get clean' \
        packages "${packages[@]}"
    unregister "$entry"
    trap - EXIT
}

stamp() {
    { declare -f fetch_qemu make_root; declare -p packages; } | sha1sum | cut -c1-12
}

made() {
    [ -x "$home/qemu-i386" ] && [ -x "$home/root/usr/bin/wine" ] &&
        [ "$(cat "$home/stamp" 2>/dev/null)" = "$(stamp)" ]
}

make_machine() {
    made && return 0
    command -v debootstrap >/dev/null || { echo "wine32-machine: debootstrap is missing" >&2; exit 1; }
    exec 9>"$lock"
    flock -x 9
    made && return 0
    local new=$home.new started=$SECONDS
    echo "wine32-machine: making the 32-bit Wine machine in $home (once; about 5 minutes)"
    rm -rf --one-file-system "$new"
    mkdir -p "$new"
    fetch_qemu "$new"
    make_root "$new"
    stamp >"$new/stamp"
    rm -rf --one-file-system "$home"
    mv "$new" "$home"
    echo "wine32-machine: made in $((SECONDS - started)) s, $(du -sm "$home" | cut -f1) MB," \
        "$("$home/qemu-i386" --version | head -1)"
}

# Entries of runs that have ended (killed before they could take theirs away).
forget_stale() {
    local e pid
    for e in "$binfmt/$entry_prefix"*; do
        [ -e "$e" ] || continue
        pid=${e##*-}
        kill -0 "$pid" 2>/dev/null || echo -1 >"$e"
    done
}

register() {
    local owner=$1 qemu=${2:-$home/qemu-i386}
    [ -e "$binfmt/register" ] || mount -t binfmt_misc binfmt_misc "$binfmt"
    forget_stale
    local name=$entry_prefix$owner
    # F: qemu is opened now, so it serves inside the root too; P: the program keeps its argv[0].
    [ -e "$binfmt/$name" ] || printf ':%s:M::%s:%s:%s:FP' "$name" "$magic" "$mask" "$qemu" >"$binfmt/register"
    echo "$name"
}

unregister() {
    case $1 in
    "$entry_prefix"*) [ ! -e "$binfmt/$1" ] || echo -1 >"$binfmt/$1" ;;
    *) echo "wine32-machine: $1 is not an entry of this script; left alone" >&2 ;;
    esac
}

case ${1:-} in
make | register | unregister | run)
    # Mounts, chroot and binfmt_misc are root's.
    [ "$(id -u)" -eq 0 ] || { echo "wine32-machine: $1 needs root" >&2; exit 1; }
    ;;
esac
case ${1:-} in
make) make_machine ;;
register) register "$2" ;;
unregister) unregister "$2" ;;
run)
    made || { echo "wine32-machine: no 32-bit Wine machine in $home; run: $0 make" >&2; exit 1; }
    folder=$2
    shift 2
    in_root "$home/root" "$folder" "$@"
    ;;
*)
    sed -n '2,/^set /p' "$0" | sed '$d; s/^# \{0,1\}//' >&2
    exit 2
    ;;
esac
