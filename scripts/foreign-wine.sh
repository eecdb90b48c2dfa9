#!/usr/bin/env bash
# An arm64 Debian of this machine's release with its own Wine, kept in the
# build tree: it runs the ARM64 Windows programs on an x86-64 machine, through
# qemu-user and the kernel's binfmt_misc. Made once (about 4 minutes), then
# reused. Run as root.
#   arm64-wine.sh make             makes it, where it is not made yet
#   arm64-wine.sh run CMD [ARG...] runs CMD in it, in the current directory,
#                                  with the caller's environment
#   arm64-wine.sh remove           deletes it
# Each run gets a mount namespace of its own: /proc, a /dev/shm, the host's
# /tmp (with the X server's sockets) and the repository are mounted in that
# namespace only, and the kernel undoes them when its last process ends, a
# wineserver kept for a test run included. The host never sees a mount inside
# the root, so deleting it cannot reach through one into the host's files.
# Where no private mount namespace can be made (a root that is no mount
# point), make and run both fail at once and say so.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
home=$repo/build/arm64-wine
root=$home/root
source "$repo/scripts/lib/debian-sources.sh"
source "$repo/scripts/lib/steps.sh"
packages=(wine wine64 fonts-wine)
in_root=(chroot "$root" /usr/bin/env -i HOME=/root PATH=/usr/sbin:/usr/bin:/sbin:/bin
         DEBIAN_FRONTEND=noninteractive)

fail() {
    echo "arm64-wine: $*" >&2
    exit 1
}

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

# A private mount namespace needs a root that is a mount point: in a plain
# chroot it is not, and the mounts could not be kept from the host.
check_namespace() {
    mountpoint -q / || fail "/ is not a mount point here (a chroot?): no private mount namespace"
}

# Never deletes through a mount; see above for why there is none to find.
remove_root() {
    if findmnt -rn -o TARGET | grep -q "^$root\(/\|$\)"; then
        fail "something is mounted below $root; not deleting it"
    fi
    rm -rf --one-file-system "$root"
    rm -f "$home/ready"
}

# An index that cannot be fetched is passed over: the install decides.
install_wine() {
    debian_sources | sed 's/^/deb /; s/$/ main/' >"$root/etc/apt/sources.list"
    "${in_root[@]}" apt-get update -q || true
    if ! "${in_root[@]}" apt-get install -y -q --no-install-recommends "${packages[@]}"; then
        "${in_root[@]}" apt-get install -y -q --no-install-recommends -t "$debian_suite" \
            "${packages[@]}"
    fi
    "${in_root[@]}" apt-get clean
}

# Ready only once Wine has started in it, as arm64-wine.sh run starts it.
make_root() {
    command -v debootstrap >/dev/null || fail "debootstrap is not installed"
    remove_root
    mkdir -p "$home"
    local log=$home/make.log
    echo "arm64-wine: making an arm64 $debian_suite with Wine in $root (a few minutes; log: $log)" >&2
    steps_begin "$log" "arm64-wine: could not make it"
    step "debootstrap, first stage" debootstrap --arch=arm64 --foreign --variant=minbase \
        "$debian_suite" "$root" "$(debian_mirror)"
    step "debootstrap, second stage" chroot "$root" /debootstrap/debootstrap --second-stage
    step "installing Wine" install_wine
    step "starting Wine in it" unshare --mount --propagation private "$0" enter "$repo" \
        /usr/lib/wine/wine64 --version
    steps_end
    touch "$home/ready"
}

run() {
    [ -f "$home/ready" ] || fail "not made yet: run arm64-wine.sh make"
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
    exec chroot "$root" /usr/bin/env --chdir="$directory" PATH=/usr/sbin:/usr/bin:/sbin:/bin \
        HOME=/root "$@"
}

case "${1:-}" in
    make)
        check_namespace
        enable_qemu
        [ -f "$home/ready" ] || make_root
        ;;
    run)
        shift
        check_namespace
        enable_qemu
        run "$@"
        ;;
    enter)
        shift
        enter "$@"
        ;;
    remove) remove_root ;;
    *)
        echo "usage: arm64-wine.sh make | run CMD [ARG...] | remove" >&2
        exit 2
        ;;
esac
