#!/usr/bin/env bash
# Installs what is missing on a Debian machine, in groups:
#   run   building and starting the x64 program;
#   test  what the x64 tests, lint and the release checks add;
#   x86   the i686 compiler, and mmdebstrap for the i386 Debian whose Wine
#         runs the x86 programs (scripts/foreign-wine.sh);
#   arm64 clang and lld 19 for ARM64 Windows, and the same for the arm64
#         Debian whose Wine runs the ARM64 programs.
# `install-deps.sh run` installs the first group, `install-deps.sh` all four.
# Only this machine's own architecture is installed: never a 32-bit half of
# Wine, which a kernel without 32-bit support could not start. Where
# everything is installed, apt is never run. A package index that cannot be
# fetched is named and passed over; a group that apt cannot install is tried
# once more with every version from the release's own suite. `all` first
# tries all four groups in one transaction, then group by group. The run, test
# and x86 groups must install; where the arm64 group cannot, the reason goes
# to build/arm64-not-installed.txt and there is no ARM64 build. About a minute
# from nothing installed; nothing to do takes a second.
set -euo pipefail
shopt -s inherit_errexit
cd "$(dirname "$0")/.."
source scripts/lib/command.sh
# Set by scripts/test.sh once it has run this: its later steps install nothing.
if [ -n "${MOXVANE_DEPS_INSTALLED:-}" ]; then
    exit 0
fi

run_group=(cmake make g++ g++-mingw-w64-x86-64-win32 binutils-mingw-w64-x86-64
           wine wine64 fonts-wine x11-utils)
test_group=(xvfb googletest xdotool imagemagick clang lld clang-tidy clang-format shellcheck socat
            zip unzip openssl osslsigncode)
foreign_debian=(mmdebstrap arch-test)
x86_group=(g++-mingw-w64-i686-win32 binutils-mingw-w64-i686 "${foreign_debian[@]}")
# The run-time sources come as tarballs in bzip2 and xz.
arm64_group=(clang-19 lld-19 llvm-19 "${foreign_debian[@]}" qemu-user-static binfmt-support bzip2
             xz-utils)

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
    sudo_cmd=(sudo)
fi
apt_install=("${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q
             --no-install-recommends)
apt_log=$(mktemp)
on_exit rm -f "$apt_log"

missing_of() {
    local package status
    for package in "$@"; do
        status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
        if [ "$status" != "install ok installed" ]; then
            echo "$package"
        fi
    done
}

# Once per run, and only when something is to be installed. A failed index
# (a mirror in the middle of a sync, say) is named and passed over: the
# install decides whether what it lacks was needed.
updated=
update_once() {
    if [ -n "$updated" ]; then
        return 0
    fi
    updated=yes
    local status=0 failed
    "${sudo_cmd[@]}" apt-get update -qq >"$apt_log" 2>&1 || status=$?
    failed=$(sed -n 's/^[EW]: Failed to fetch \([^ ]*\).*/\1/p' "$apt_log" | paste -sd ' ' -)
    if [ -n "$failed" ] || [ "$status" -ne 0 ]; then
        echo "install-deps: apt-get update could not fetch ${failed:-its indexes ($(tail -n 1 "$apt_log"))}; going on without them" >&2
    fi
}

# The release's own suite, from the machine: bookworm on Debian 12.
release_suite() {
    (. /etc/os-release && echo "$VERSION_CODENAME")
}

# Installs the missing ones of the named packages, as they are and then once
# more from the release's suite (amd64 libraries from the security suite have
# no i386 twin of the same version when its i386 index is missing). Sets
# `installed` to yes, or to no with apt's answer on standard error.
install_packages() {
    local group=$1
    shift
    local missing
    mapfile -t missing < <(missing_of "$@")
    installed=yes
    if [ "${#missing[@]}" -eq 0 ]; then
        return 0
    fi
    update_once
    echo "install-deps: installing the $group group: ${missing[*]}" >&2
    if "${apt_install[@]}" "${missing[@]}" >"$apt_log" 2>&1; then
        return 0
    fi
    local suite
    suite=$(release_suite)
    echo "install-deps: apt could not install them; trying again with every version from $suite" >&2
    if "${apt_install[@]}" -t "$suite" "${missing[@]}" >"$apt_log" 2>&1; then
        return 0
    fi
    installed=no
    echo "install-deps: apt refused the $group group (${missing[*]}). It answered:" >&2
    grep -v '^\(Reading\|Building\|Selecting\|Preparing\|Unpacking\|Setting up\)' "$apt_log" |
        tail -n 20 | sed 's/^/    /' >&2
}

required_group() {
    install_packages "$@"
    if [ "$installed" = no ]; then
        echo "install-deps: FAILED: the $1 group is needed and could not be installed" >&2
        exit 1
    fi
}

# A group the suites can do without: where apt cannot install it, the reason
# goes to build/NAME-not-installed.txt, once apt has answered, and the caller
# says what is lost.
optional_group() {
    local name=$1 reason_file=build/$1-not-installed.txt
    shift
    install_packages "$name" "$@"
    if [ "$installed" = yes ]; then
        rm -f "$reason_file"
        return 0
    fi
    local refused answer
    refused=$(missing_of "$@" | paste -sd ' ' -)
    answer=$(grep -m 3 ' : Depends:' "$apt_log" || grep -m 1 '^E:' "$apt_log" || tail -n 1 "$apt_log")
    mkdir -p build
    echo "apt refused $refused: $(echo "$answer" | tr -s ' ' | paste -sd ';' -)" >"$reason_file"
}

arm64_group() {
    optional_group arm64 "${arm64_group[@]}"
    if [ "$installed" = no ]; then
        echo "!!!!! install-deps: the ARM64 tools are not installed; there will be no ARM64 build: $(cat build/arm64-not-installed.txt) !!!!!" >&2
    fi
}

# Everything in one transaction first; group by group only where that fails.
all_groups() {
    install_packages "run, test, x86 and arm64" "${run_group[@]}" "${test_group[@]}" \
        "${x86_group[@]}" "${arm64_group[@]}"
    if [ "$installed" = yes ]; then
        rm -f build/arm64-not-installed.txt
        return 0
    fi
    echo "install-deps: installing group by group" >&2
    required_group run "${run_group[@]}"
    required_group test "${test_group[@]}"
    required_group x86 "${x86_group[@]}"
    arm64_group
}

case "${1:-all}" in
    run)
        required_group run "${run_group[@]}"
        ;;
    all)
        all_groups
        ;;
    *)
        echo "usage: install-deps.sh [run|all]" >&2
        exit 2
        ;;
esac
