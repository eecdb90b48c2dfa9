#!/usr/bin/env bash
# An arm64 Debian of this machine's release with its own Wine, kept in the
# build tree: it runs the ARM64 Windows programs on an x86-64 machine, through
# qemu-user and the kernel's binfmt_misc. Made once, then reused. Run as root.
#   arm64-wine.sh make             makes it, where it is not made yet
#   arm64-wine.sh run CMD [ARG...] runs CMD in it, in the current directory,
#                                  with the caller's environment
#   arm64-wine.sh remove           deletes it
# Each run gets a mount namespace of its own: /proc, a /dev/shm, the host's
# /tmp (with the X server's sockets) and the repository are mounted in that
# namespace only, and the kernel undoes them when its last process ends, a
# wineserver kept for a test run included. The host never sees a mount inside
# the root, so deleting it cannot reach through one into the host's files.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
home=$repo/build/arm64-wine
root=$home/root
source "$repo/scripts/debian-sources.sh"
packages=(wine wine64 fonts-wine)

fail() { echo "arm64-wine: $*" >&2; exit 1; }

# The kernel hands arm64 programs to qemu-user; qemu-user-static registers it
# with the F flag, so the root needs no copy of qemu.
enable_qemu() {
    local entry=/proc/sys/fs/binfmt_misc/qemu-aarch64
    [ -x /usr/bin/qemu-aarch64-static ] || fail "qemu-user-static is not installed"
    [ -f /proc/sys/fs/binfmt_misc/register ] ||
        mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc 2>/dev/null ||
        fail "binfmt_misc cannot be mounted here"
    grep -qx enabled "$entry" 2>/dev/null || update-binfmts --enable qemu-aarch64 >/dev/null 2>&1 ||
        fail "qemu-aarch64 cannot be registered with binfmt_misc"
    grep -q '^flags: .*F' "$entry" || fail "qemu-aarch64 is registered without the F flag"
}

in_root() {
    chroot "$root" /usr/bin/env -i HOME=/root PATH=/usr/sbin:/usr/bin:/sbin:/bin \
        DEBIAN_FRONTEND=noninteractive "$@"
}

install_wine() {
    # An index that cannot be fetched is passed over: the install decides.
    in_root apt-get update -q || true
    in_root apt-get install -y -q --no-install-recommends "${packages[@]}" ||
        in_root apt-get install -y -q --no-install-recommends -t "$debian_suite" "${packages[@]}"
    in_root apt-get clean
}

make_root() {
    [ -f "$home/ready" ] && return 0
    command -v debootstrap >/dev/null || fail "debootstrap is not installed"
    enable_qemu
    remove_root
    mkdir -p "$home"
    local log=$home/make.log
    echo "arm64-wine: making an arm64 $debian_suite with Wine in $root (a few minutes; log: $log)" >&2
    {
        debootstrap --arch=arm64 --foreign --variant=minbase "$debian_suite" "$root" "$(debian_mirror)" &&
            chroot "$root" /debootstrap/debootstrap --second-stage &&
            debian_sources | sed 's/^/deb /; s/$/ main/' >"$root/etc/apt/sources.list" &&
            install_wine
    } >"$log" 2>&1 || fail "could not make it: $(grep -m 1 '^E:\|^W: Failure' "$log" || tail -n 1 "$log")"
    touch "$home/ready"
}

# Never deletes through a mount; see above for why there is none to find.
remove_root() {
    findmnt -rn -o TARGET | grep -q "^$root\(/\|$\)" && fail "something is mounted below $root; not deleting it"
    rm -rf --one-file-system "$root"
    rm -f "$home/ready"
}

# A private mount namespace needs a root that is a mount point: in a plain
# chroot it is not, and the mounts could not be kept from the host.
check_namespace() {
    mountpoint -q / || fail "/ is not a mount point here (a chroot?): no private mount namespace"
}

run() {
    [ -f "$home/ready" ] || fail "not made yet: run arm64-wine.sh make"
    enable_qemu
    check_namespace
    exec unshare --mount --propagation private "$0" enter "$PWD" "$@"
}

# Inside the new namespace: the mounts, then the command in the root.
enter() {
    local directory=$1
    shift
    mount -t proc proc "$root/proc"
    mount -t tmpfs tmpfs "$root/dev/shm"
    mount --bind /tmp "$root/tmp"
    mkdir -p "$root$repo"
    mount --bind "$repo" "$root$repo"
    exec chroot "$root" /usr/bin/env PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root \
        sh -c 'cd "$1" && shift && exec "$@"' sh "$directory" "$@"
}

case "${1:-}" in
    make) make_root && check_namespace ;;
    run) shift; run "$@" ;;
    enter) shift; enter "$@" ;;
    remove) remove_root ;;
    *) echo "usage: arm64-wine.sh make | run CMD [ARG...] | remove" >&2; exit 2 ;;
esac
