#!/usr/bin/env bash
# A Debian of this machine's release for another architecture, with its own
# Wine, kept in the build tree: the i386 one runs the x86 Windows programs,
# the arm64 one the ARM64 ones. Made once with mmdebstrap (under a minute for
# i386, a few for arm64 under emulation), then reused. Run as root.
#   foreign-wine.sh ARCH make             makes it, where it is not made yet
#   foreign-wine.sh ARCH run CMD [ARG...] runs CMD in it, in the current
#                                         directory, with the caller's
#                                         environment
#   foreign-wine.sh ARCH remove           deletes it, and for i386 the
#                                         emulation entry, where registered
# ARCH is i386 or arm64. The kernel starts i386 programs itself where it can;
# where it cannot, and for arm64 always, binfmt_misc hands them to qemu-user
# (docs/setup.md says what that changes on the host and how to undo it), and
# under qemu-i386 every program in it gets lib/qemu-trap-number.c preloaded.
# Each run gets a mount namespace of its own: /proc, a /dev/shm, the host's
# /tmp (with the X server's sockets) and the repository are mounted in that
# namespace only, and the kernel undoes them when its last process ends, a
# wineserver kept for a test run included. The host never sees a mount inside
# the root, so deleting it cannot reach through one into the host's files.
# Where no private mount namespace can be made (a root that is no mount
# point), make and run both fail at once and say so.
# For tests: MOXVANE_I386_NATIVE=no takes this kernel for one that cannot
# start i386 programs; MOXVANE_BINFMT_MISC names binfmt_misc's folder.
set -euo pipefail
shopt -s inherit_errexit
repo=$(cd "$(dirname "$0")/.." && pwd)
source "$repo/scripts/lib/debian-sources.sh"
source "$repo/scripts/lib/steps.sh"
source "$repo/scripts/lib/wine-environment.sh"
arch=${1:-}
home=$repo/build/$arch-wine
root=$home/root
binfmt=${MOXVANE_BINFMT_MISC:-/proc/sys/fs/binfmt_misc}
i386_entry=$binfmt/moxvane-i386
qemu_i386=$home/qemu-i386
trap_number=$home/qemu-trap-number.so
emulated=no
declare -A wine_package=([i386]=wine32 [arm64]=wine64)

usage() {
    echo "usage: foreign-wine.sh i386|arm64 make | run CMD [ARG...] | remove" >&2
    exit 2
}

# binfmt_misc, mounted where it can be, before any entry is read: one left by
# another work tree or root would otherwise go unseen (in a chroot whose
# /proc has it unmounted), start the i386 probe under qemu and pass it off as
# the kernel's own.
mount_binfmt_misc() {
    if [ ! -f "$binfmt/register" ]; then
        mount -t binfmt_misc binfmt_misc "$binfmt" 2>/dev/null || true
    fi
}
need_binfmt_misc() {
    [ -f "$binfmt/register" ] || fail "binfmt_misc cannot be mounted here"
}

# Debian registers qemu-aarch64 with the F flag, so the root needs no copy
# of qemu.
enable_arm64() {
    local entry=$binfmt/qemu-aarch64 state
    [ -x /usr/bin/qemu-aarch64-static ] || fail "qemu-user-static is not installed"
    need_binfmt_misc
    state=$(cat "$entry" 2>/dev/null || true)
    if [[ $state != enabled* ]]; then
        update-binfmts --enable qemu-aarch64 >/dev/null 2>&1 ||
            fail "qemu-aarch64 cannot be registered with binfmt_misc"
        state=$(cat "$entry")
    fi
    [[ $state == *"flags: "*F* ]] || fail "qemu-aarch64 is registered without the F flag"
}

# A static i386 program of 93 bytes that only exits 0: whether this kernel
# starts 32-bit x86 programs by itself. Replaced whole, and only where it
# differs, as another run may be starting it.
write_i386_probe() {
    local elf_header='\x7fELF\x01\x01\x01\0\0\0\0\0\0\0\0\0\x02\0\x03\0\x01\0\0\0\x54\x80\x04\x08'
    elf_header+='\x34\0\0\0\0\0\0\0\0\0\0\0\x34\0\x20\0\x01\0\0\0\0\0\0\0'
    local program_header='\x01\0\0\0\0\0\0\0\0\x80\x04\x08\0\x80\x04\x08\x5d\0\0\0\x5d\0\0\0'
    program_header+='\x05\0\0\0\0\x10\0\0'
    local exit_0='\xb8\x01\0\0\0\x31\xdb\xcd\x80'
    local probe=$home/i386-probe
    printf '%b' "$elf_header" "$program_header" "$exit_0" >"$probe.$$"
    chmod +x "$probe.$$"
    if cmp -s "$probe.$$" "$probe"; then
        rm "$probe.$$"
    else
        mv "$probe.$$" "$probe"
    fi
}

# Bookworm's qemu-user 7.2 spends about 40 s of CPU starting each 32-bit Wine
# process (it emulates Wine's address-space probes slowly); 10.0, from
# bookworm-backports, under a second. Its static qemu-i386 is fetched once
# into the build tree through a private apt state, so the host's packages and
# apt sources stay as they are.
fetch_qemu_i386() {
    if [ -x "$qemu_i386" ]; then
        return 0
    fi
    local apt=$home/apt
    private_apt "$apt" "deb $(debian_mirror) $debian_suite-backports main"
    apt-get "${private_apt_options[@]}" update -q >"$home/qemu.log" 2>&1 ||
        fail "cannot read $debian_suite-backports for qemu-user (see $home/qemu.log)"
    rm -rf "$apt/download"
    mkdir -p "$apt/download"
    env --chdir="$apt/download" apt-get "${private_apt_options[@]}" download -q \
        "qemu-user/$debian_suite-backports" >>"$home/qemu.log" 2>&1 ||
        fail "cannot download qemu-user from $debian_suite-backports (see $home/qemu.log)"
    dpkg-deb -x "$apt"/download/qemu-user_*.deb "$apt/download/files"
    cp "$apt/download/files/usr/bin/qemu-i386" "$qemu_i386.new"
    mv "$qemu_i386.new" "$qemu_i386"
    rm -rf "$apt/download"
}

# Under qemu-i386, Wine needs the trap numbers that qemu leaves out
# (lib/qemu-trap-number.c). Built again when its source is newer.
build_trap_number() {
    local source=$repo/scripts/lib/qemu-trap-number.c
    if [ "$trap_number" -nt "$source" ]; then
        return 0
    fi
    clang --target=i386-linux-gnu -shared -fPIC -nostdlib -ffreestanding -fno-stack-protector -O2 \
        -Wall -Werror -fuse-ld=lld "$source" -o "$trap_number.$$"
    mv "$trap_number.$$" "$trap_number"
}

# Debian registers no qemu-i386 on amd64, where most kernels start i386
# programs themselves; where this one does not, the entry moxvane-i386 does
# (magic and mask as Debian's qemu-user-static writes them for i386). One
# left by an older set-up with another qemu is replaced.
enable_i386() {
    local state
    state=$(cat "$i386_entry" 2>/dev/null || true)
    if [[ $state == enabled*"interpreter $qemu_i386"$'\n'* ]]; then
        emulated=yes
        build_trap_number
        return 0
    fi
    disable_i386
    local status=0
    if [ "${MOXVANE_I386_NATIVE:-}" = no ]; then
        status=1
    else
        "$home/i386-probe" 2>/dev/null || status=$?
    fi
    if [ "$status" -eq 0 ]; then
        return 0
    fi
    need_binfmt_misc
    fetch_qemu_i386
    build_trap_number
    emulated=yes
    local magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
    local mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
    echo ":moxvane-i386:M::$magic:$mask:$qemu_i386:F" 2>/dev/null >"$binfmt/register" ||
        fail "this kernel cannot start i386 programs, and qemu-i386 cannot be registered with binfmt_misc"
}

disable_i386() {
    if [ -f "$i386_entry" ]; then
        echo -1 >"$i386_entry"
    fi
}

# A private mount namespace needs a root that is a mount point: in a plain
# chroot it is not, and the mounts could not be kept from the host.
check_namespace() {
    mountpoint -q / || fail "/ is not a mount point here (a chroot?): no private mount namespace"
}

# Never deletes through a mount; see above for why there is none to find.
remove_root() {
    local mounts
    mounts=$(findmnt -rn -o TARGET)
    if grep -q "^$root\(/\|$\)" <<<"$mounts"; then
        fail "something is mounted below $root; not deleting it"
    fi
    rm -rf --one-file-system "$root"
    rm -f "$home/ready"
}

# Every source of this machine's Debian; where one cannot be fetched (a
# mirror in the middle of a sync), the release's own suite alone.
make_with_mmdebstrap() {
    local options=(--mode=root --variant=apt --arch="$arch" --include="wine,${wine_package[$arch]},fonts-wine"
                   --aptopt='APT::Install-Recommends "false"' "$debian_suite" "$root")
    local sources
    mapfile -t sources < <(debian_sources | sed 's/^/deb /; s/$/ main/')
    local status=0
    mmdebstrap "${options[@]}" "${sources[@]}" || status=$?
    if [ "$status" -ne 0 ]; then
        echo "mmdebstrap failed with every source; now with $debian_suite alone"
        rm -rf --one-file-system "$root"
        mmdebstrap "${options[@]}" "deb $(debian_mirror) $debian_suite main"
    fi
}

# Ready only once Wine has started in it, as foreign-wine.sh run starts it.
make_root() {
    command -v mmdebstrap >/dev/null || fail "mmdebstrap is not installed"
    remove_root
    local log=$home/make.log
    echo "foreign-wine: making an $arch $debian_suite with Wine in $root (log: $log)" >&2
    steps_begin "$log" "foreign-wine: could not make the $arch Debian"
    step "mmdebstrap" make_with_mmdebstrap
    step "starting Wine in it" unshare --mount --propagation private "$0" "$arch" enter "$repo" \
        "$(wine_loader "$arch")" --version
    steps_end
    touch "$home/ready"
}

run() {
    if [ "$emulated" = yes ]; then
        set -- env LD_PRELOAD="$trap_number" "$@"
    fi
    exec unshare --mount --propagation private "$0" "$arch" enter "$PWD" "$@"
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

case "$arch" in
    i386 | arm64) ;;
    *) usage ;;
esac
case "${2:-}" in
    make)
        mkdir -p "$home"
        if [ "$arch" = i386 ]; then
            write_i386_probe
        fi
        mount_binfmt_misc
        "enable_$arch"
        check_namespace
        if [ ! -f "$home/ready" ]; then
            make_root
        fi
        ;;
    run)
        shift 2
        [ -f "$home/ready" ] || fail "the $arch Debian is not made yet: run foreign-wine.sh $arch make"
        mount_binfmt_misc
        "enable_$arch"
        check_namespace
        run "$@"
        ;;
    enter)
        shift 2
        enter "$@"
        ;;
    remove)
        if [ "$arch" = i386 ]; then
            disable_i386
        fi
        remove_root
        rm -rf --one-file-system "$home"
        ;;
    *) usage ;;
esac
