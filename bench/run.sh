#!/usr/bin/env bash
# Measures Moxvane.exe against two bare window programs built with the same
# toolchain and flags, one started by the C run-time library and one, as
# Moxvane is, without any, for each build (x64 GCC, x64 clang, x86 GCC, ARM64
# clang): the size of each executable, then, launching Moxvane and one anchor
# alternately (A B B A ...) under Wine on a private Xvfb, the median time from
# process creation to a visible window and the peak private memory of each.
# The x86 programs are launched by an x86 timer under the Wine of the i386
# Debian (emulated by qemu-user where the kernel cannot start i386 programs),
# the ARM64 ones by an ARM64 timer under the Wine of the arm64 Debian, all of
# it emulated by qemu-user: emulated times compare a build's programs with
# each other only, and say nothing of a real machine. A build whose programs
# cannot start here is not measured, with its loud line (lib/runs-here.sh).
# About 11 minutes with the default 50 pairs.
# Usage: bench/run.sh [PAIRS]   (default 50)
set -euo pipefail
shopt -s inherit_errexit
cd "$(dirname "$0")/.."
repo=$PWD
source scripts/lib/wine-session.sh
source scripts/lib/runs-here.sh
pairs=${1:-50}

# Builds the four programs of one preset and times them in its own prefix.
measure() {
    local preset=$1 build_dir=$PWD/build/$1
    local work=$build_dir/bench-run
    wine_session_start "$build_dir"
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" --target Moxvane BareWindow BareWindowNoRuntime LaunchTimer -j "$(nproc)" >/dev/null
    rm -rf "$work"
    mkdir -p "$work"
    cp "$build_dir/ui/Moxvane.exe" "$build_dir/bench/BareWindow.exe" \
        "$build_dir/bench/BareWindowNoRuntime.exe" "$build_dir/bench/LaunchTimer.exe" "$work"
    "$repo/scripts/lib/xvfb" "$work" start
    on_exit "$repo/scripts/lib/xvfb" "$work" stop
    echo "== $preset: Moxvane.exe $(stat -c %s "$work/Moxvane.exe") bytes;" \
        "BareWindow.exe $(stat -c %s "$work/BareWindow.exe") bytes;" \
        "BareWindowNoRuntime.exe $(stat -c %s "$work/BareWindowNoRuntime.exe") bytes"
    local status=0 anchor
    for anchor in BareWindow.exe BareWindowNoRuntime.exe; do
        (cd "$work" && DISPLAY=:$(cat "$work/xvfb.display") "$windows_run" LaunchTimer.exe Moxvane.exe \
            "$anchor" "$pairs" >"$work/output" 2>&1 </dev/null) || status=$?
        tr -d '\r' <"$work/output"
    done
    "$repo/scripts/lib/xvfb" "$work" stop
    return "$status"
}

scripts/install-deps.sh >/dev/null
what_runs_here x86 arm64
measure mingw
measure mingw-clang
if [ "${RUNS[x86]}" = yes ]; then
    MOXVANE_FOREIGN_WINE=${WINE_OF[x86]} measure mingw-x86
fi
if [ "${RUNS[arm64]}" = yes ]; then
    echo "(ARM64 under qemu-user's emulation: its times compare its programs with each other only)"
    MOXVANE_FOREIGN_WINE=${WINE_OF[arm64]} measure mingw-arm64
fi
