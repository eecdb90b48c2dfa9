#!/usr/bin/env bash
# The README's test command: sets up a fresh Debian machine if needed,
# cross-builds everything and runs the whole suite under Wine four times, for
# x64 with mingw-w64 GCC, for x64 with clang and lld, for x86 with GCC under
# Wine's WoW64, and for ARM64 with clang 19 under the Wine of an arm64 Debian
# on qemu-user; then lint and the release check. 20 to 35 minutes on 2 cores
# from a clean clone, about 8 of them making the ARM64 run-time and the arm64
# Debian, which later runs reuse. A build whose programs cannot start here is
# only compiled, with its loud line (lib/runs-here.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib/wine-session.sh
source scripts/lib/runs-here.sh

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
suite_or_build() {
    local build=$1 preset=$2
    if [ "${RUNS[$build]}" = yes ]; then
        suite "$preset"
    elif [ "${COMPILES[$build]}" = yes ]; then
        build "$preset"
    fi
}

scripts/install-deps.sh
export MOXVANE_DEPS_INSTALLED=1
what_runs_here x86 arm64
suite mingw
suite mingw-clang
suite_or_build x86 mingw-x86
MOXVANE_ARM64_WINE=$ARM64_WINE suite_or_build arm64 mingw-arm64
scripts/lint.sh
scripts/check-release.sh
