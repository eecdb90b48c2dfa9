#!/usr/bin/env bash
# Tries the README's two commands as a new contributor would, on a fresh
# machine whose package mirror is half-synced: a minimal Debian chroot of this
# machine's release, its amd64 packages brought up to the security suite, and
# apt-get update failing, with no i386 index for the security suite.
#   1. `bash scripts/run.sh` from nothing: it must install the run group alone
#      (no i386 architecture) and show the window; the time to the window is
#      printed.
#   2. In a second fresh chroot, whose root is a mount point as a real
#      machine's is, `bash scripts/test.sh` must end green with all four
#      suites run: x86 natively or, where the kernel cannot start 32-bit
#      programs, under qemu-i386.
#   3. In a third, a plain chroot whose root is no mount point, as a
#      contributor's build root may be, `bash scripts/test.sh` must end green
#      too, the x86 and ARM64 programs compiled only, with their loud lines.
# Not part of CI: it needs the mirror and takes 30 to 60 minutes. Run as root:
#   bash scripts/check-fresh-machine.sh [COMMIT]      (default HEAD)
set -euo pipefail
shopt -s inherit_errexit
cd "$(dirname "$0")/.."
commit=$(git rev-parse "${1:-HEAD}")
work=$PWD/build/fresh-machine
base=$work/base.tar
root=$work/root
source scripts/lib/debian-sources.sh
source scripts/lib/command.sh
fail_name="check-fresh-machine: FAILED"
suite=$debian_suite
mirror=$(debian_mirror)
log=$work/log

step() { echo "== $(date +%T) $*"; }

# The mounts at or below the root, the deepest first. The list is read whole
# before it is matched: a grep -q that stopped reading would have findmnt
# die of SIGPIPE, and the pipeline read as "nothing mounted".
mounts_below_root() {
    local mounts
    mounts=$(findmnt -rn -o TARGET)
    grep "^$root\(/\|$\)" <<<"$mounts" | sort -r || true
}

unmount_all() {
    local target targets
    targets=$(mounts_below_root)
    for target in $targets; do
        umount -l "$target" || true
    done
}

# Never deletes through a mount: a bound /dev would take the host's with it.
remove_root() {
    unmount_all
    local left
    left=$(mounts_below_root)
    if [ -n "$left" ]; then
        fail "something is still mounted below $root; not deleting it"
    fi
    rm -rf --one-file-system "$root"
}

# A bash command line in the root, with the X display given first.
in_root=(chroot "$root" /usr/bin/env -i HOME=/root PATH=/usr/sbin:/usr/bin:/sbin:/bin)

# With "mount-point", the root is a mount point of its own, as on a real
# machine (a private mount namespace, which the ARM64 tests make, needs one);
# with "plain", it is not.
mount_all() {
    if [ "$1" = mount-point ]; then
        mount --bind "$root" "$root"
    fi
    mount -t proc proc "$root/proc"
    mount -t sysfs sys "$root/sys"
    mount --bind /dev "$root/dev"
    mount -t devpts devpts "$root/dev/pts" -o newinstance,ptmxmode=0666 2>/dev/null ||
        mount --bind /dev/pts "$root/dev/pts"
    mount -t tmpfs tmpfs "$root/dev/shm"
    mkdir -p "$root/tmp/.X11-unix" /tmp/.X11-unix
    chmod 1777 /tmp/.X11-unix
    mount --bind /tmp/.X11-unix "$root/tmp/.X11-unix"
}

# The base machine, made once: minimal, apt sources as on this machine, every
# amd64 package up to date with the security suite, then the security
# suite's i386 index out of reach and one index that cannot be fetched.
make_base() {
    [ -f "$base" ] && return 0
    command -v debootstrap >/dev/null ||
        apt-get install -y -qq --no-install-recommends debootstrap >/dev/null
    remove_root
    step "debootstrap $suite from $mirror"
    debootstrap --variant=minbase --include=git,ca-certificates,procps "$suite" "$root" "$mirror" \
        >"$log/debootstrap.log" 2>&1 || fail "debootstrap (see $log/debootstrap.log)"
    rm -f "$root/etc/apt/sources.list"
    cp /etc/apt/sources.list.d/debian.sources "$root/etc/apt/sources.list.d/"
    step "bringing its amd64 packages up to the security suite"
    "${in_root[@]}" apt-get update -qq >"$log/upgrade.log" 2>&1
    "${in_root[@]}" DEBIAN_FRONTEND=noninteractive apt-get -y -qq upgrade >>"$log/upgrade.log" 2>&1
    sed -i '/^Suites: *'"$suite"'-security/a Architectures: amd64' \
        "$root/etc/apt/sources.list.d/debian.sources"
    printf 'Types: deb\nURIs: http://127.0.0.1:9/debian\nSuites: %s\nComponents: main\nTrusted: yes\n' \
        "$suite" >"$root/etc/apt/sources.list.d/half-synced.sources"
    "${in_root[@]}" apt-get clean
    tar -C "$root" -cf "$base" .
}

fresh_root() {
    remove_root
    mkdir -p "$root"
    tar -C "$root" -xf "$base"
    git clone -q "$PWD" "$root/work/moxvane"
    git -C "$root/work/moxvane" checkout -q "$commit"
    mount_all "$1"
}

check_run_command() {
    step "run command, from nothing"
    local display_file=$work/xvfb.display
    setsid Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$display_file" >/dev/null 2>&1 &
    local xvfb=$!
    sleep 1
    local display
    display=:$(cat "$display_file")
    local started=$SECONDS
    "${in_root[@]}" DISPLAY="$display" bash -c "cd /work/moxvane && bash scripts/run.sh" \
        >"$log/run.log" 2>&1 &
    local run=$!
    until DISPLAY=$display xdotool search --name '^Moxvane$' >/dev/null 2>&1; do
        if ! kill -0 "$run" 2>/dev/null; then
            kill "$xvfb"
            fail "run.sh ended without a window (see $log/run.log)"
        fi
        sleep 1
    done
    echo "run command: window shown $((SECONDS - started)) s after start, from nothing installed"
    import -display "$display" -window root "$work/run-window.png" 2>/dev/null || true
    "${in_root[@]}" WINEPREFIX=/work/moxvane/build/mingw/wineprefix wineserver -k || true
    wait "$run" || true
    kill "$xvfb" 2>/dev/null || true
    local architectures test_packages
    architectures=$("${in_root[@]}" dpkg --print-foreign-architectures)
    test_packages=$("${in_root[@]}" dpkg -l xvfb clang osslsigncode googletest 2>/dev/null |
        grep -c ^ii || true)
    if [ -n "$architectures" ] || [ "$test_packages" -ne 0 ]; then
        fail "run.sh installed more than the run group"
    fi
    echo "run command: only the run group installed, no i386 architecture"
}

# The test command must end green: in a root that is a mount point with the
# four suites run, in a plain chroot with two and the x86 and ARM64 loud lines.
check_test_command() {
    local kind=$1 test_log=$log/test-$1.log
    step "test command, the root $kind"
    local started=$SECONDS
    if ! "${in_root[@]}" bash -c "cd /work/moxvane && bash scripts/test.sh" >"$test_log" 2>&1; then
        tail -n 30 "$test_log"
        fail "test.sh (see $test_log)"
    fi
    grep -E '^(100% tests passed|!!!!!|install-deps|check-release:)' "$test_log" || true
    local suites_run compiled_only
    suites_run=$(grep -c '^100% tests passed' "$test_log" || true)
    compiled_only=$(grep -c '^!!!!! \(x86\|arm64\): COMPILED ONLY' "$test_log" || true)
    if [ "$kind" = plain ] && { [ "$suites_run" -ne 2 ] || [ "$compiled_only" -ne 2 ]; }; then
        fail "test.sh in a plain chroot ran $suites_run suites, $compiled_only said to be compiled only (2 and 2 expected)"
    fi
    if [ "$kind" = mount-point ] && [ "$suites_run" -ne 4 ]; then
        fail "test.sh ran $suites_run of the 4 suites"
    fi
    echo "test command, the root $kind: green in $((SECONDS - started)) s"
}

mkdir -p "$log"
on_exit unmount_all
make_base
fresh_root mount-point
check_run_command
fresh_root mount-point
check_test_command mount-point
fresh_root plain
check_test_command plain
remove_root
step "done"
