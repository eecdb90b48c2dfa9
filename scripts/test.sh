#!/usr/bin/env bash
# The README's test command: sets up a fresh Debian machine if needed,
# cross-builds everything and runs the whole suite under Wine four times, for
# x64 with mingw-w64 GCC (first, so that its result comes within minutes),
# for x64 with clang and lld, for x86 with GCC under the Wine of an i386
# Debian, and for ARM64 with clang 19 under the Wine of an arm64 Debian on
# qemu-user; then lint and the release check. About 22 minutes on 2 cores
# from a clean clone with nothing installed, about 12 for a second run. A
# build whose programs cannot start here is only compiled, with its loud line
# (lib/runs-here.sh).
# MOXVANE_SUITES picks some of "x64 clang x86 arm64 lint release" (default
# all; CI runs all).
set -euo pipefail
shopt -s inherit_errexit
cd "$(dirname "$0")/.."
source scripts/lib/wine-session.sh
source scripts/lib/runs-here.sh
all_suites="x64 clang x86 arm64 lint release"
suites=" ${MOXVANE_SUITES:-$all_suites} "
if [ -n "${CI:-}" ]; then
    suites=" $all_suites "
fi

build() {
    cmake --preset "$1" -DBUILD_TESTING=ON >/dev/null  # also after run.sh
    cmake --build --preset "$1" -j "$(nproc)"
}

suite() {
    wine_session_start "$PWD/build/$1"
    build "$1"
    ctest --preset "$1"
}

# The suite where the build's programs can start here, else the build alone.
foreign_suite() {
    local build=$1
    what_runs_here "$build"
    if [ "${RUNS[$build]}" = yes ]; then
        MOXVANE_FOREIGN_WINE=${WINE_OF[$build]} suite "${PRESET_OF[$build]}"
    elif [ "${COMPILES[$build]}" = yes ]; then
        build "${PRESET_OF[$build]}"
    fi
}

# On a kernel that cannot start i386 programs, and without binfmt_misc, the
# x86 programs are compiled only, with their loud line and the reason.
degraded_x86() {
    local answer
    answer=$(MOXVANE_I386_NATIVE=no MOXVANE_BINFMT_MISC=/nonexistent bash -c \
        'source scripts/lib/runs-here.sh; what_runs_here x86 2>&1; echo "${COMPILES[x86]} ${RUNS[x86]}"')
    if [[ $answer != *"!!!!! x86: COMPILED ONLY, ITS PROGRAMS CANNOT START HERE: "*"binfmt_misc cannot be mounted here"*"yes no" ]]; then
        echo "$answer" >&2
        fail "FAILED: without binfmt_misc, x86 was not said to be compiled only"
    fi
    echo "test.sh: without 32-bit support or binfmt_misc, x86 is compiled only, with its loud line"
}

scripts/install-deps.sh
export MOXVANE_DEPS_INSTALLED=1
for suite in $suites; do
    case $suite in
        x64) suite mingw ;;
        clang) suite mingw-clang ;;
        x86)
            foreign_suite x86
            degraded_x86
            ;;
        arm64) foreign_suite arm64 ;;
        lint) scripts/lint.sh ;;
        release) scripts/check-release.sh ;;
        *)
            echo "test.sh: no suite '$suite' in MOXVANE_SUITES: $all_suites" >&2
            exit 2
            ;;
    esac
done
