#!/usr/bin/env bash
# Sets up a fresh Debian machine if needed, cross-builds everything and runs
# the whole test suite under Wine four times: for x64 with mingw-w64 GCC,
# for x64 with clang and lld, for x86 with GCC under Wine's WoW64, and for
# ARM64 with clang 19 under the Wine of an arm64 Debian on qemu-user. Then
# runs clang-tidy over the program's code and checks the release bundles
# (reproducible, signed correctly).
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/wine-session.sh

build() {
    cmake --preset "$1" -DBUILD_TESTING=ON >/dev/null  # also after run.sh
    cmake --build --preset "$1" -j "$(nproc)"
}

suite() {
    wine_session_start "$PWD/build/$1"
    build "$1"
    ctest --preset "$1"
}

scripts/install-deps.sh
export MOXVANE_DEPS_INSTALLED=1
suite mingw
suite mingw-clang
if wine_runs_x86; then
    suite mingw-x86
else
    build mingw-x86
    reason="no Wine 32-bit loader, or a kernel without x86 support"
    [ ! -f build/x86-not-installed.txt ] || reason=$(cat build/x86-not-installed.txt)
    echo "!!!!! x86 TESTS NOT RUN: this machine cannot start 32-bit programs ($reason); the x86 build was only compiled !!!!!"
fi

# The ARM64 suite needs its run-time, built from source, and the arm64
# Debian with Wine; both are made once into the build tree.
arm64_suite() {
    local reason
    if [ -f build/arm64-not-installed.txt ]; then
        echo "!!!!! ARM64 NOT BUILT: $(cat build/arm64-not-installed.txt) !!!!!"
        return 0
    fi
    if ! scripts/arm64-runtime.sh; then
        echo "!!!!! ARM64 NOT BUILT: its run-time could not be built from Debian's sources (build/arm64-runtime/build.log) !!!!!"
        return 0
    fi
    if ! scripts/arm64-wine.sh make 2>&1 | tee build/arm64-wine.txt; then
        build mingw-arm64
        reason=$(tail -n 1 build/arm64-wine.txt)
        echo "!!!!! ARM64 TESTS NOT RUN: no arm64 Debian with Wine (${reason#arm64-wine: }); the ARM64 build was only compiled !!!!!"
        return 0
    fi
    MOXVANE_ARM64_WINE=$PWD/scripts/arm64-wine.sh suite mingw-arm64
}
arm64_suite

scripts/lint.sh
scripts/check-release.sh
