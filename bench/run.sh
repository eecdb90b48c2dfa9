#!/usr/bin/env bash
# Measures Moxvane.exe against the bare window program built with the same
# toolchain and flags, for x64 and for x86: the size of each executable, then,
# launching them alternately (A B B A ...) under Wine on a private Xvfb, the
# median time from process creation to a visible window and the peak private
# memory of each. The x86 pair is launched by an x86 timer under Wine's WoW64.
# Usage: bench/run.sh [PAIRS]   (default 50)
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$PWD
source scripts/wine-session.sh
pairs=${1:-50}

# Builds the three programs of one preset and times them in its own prefix.
measure() {
    local preset=$1 build_dir=$PWD/build/$1
    work=$build_dir/bench-run  # global: the exit trap stops its X server
    wine_session_start "$build_dir"
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" --target Moxvane BareWindow LaunchTimer -j "$(nproc)" >/dev/null
    rm -rf "$work"
    mkdir -p "$work"
    cp "$build_dir/ui/Moxvane.exe" "$build_dir/bench/BareWindow.exe" \
        "$build_dir/bench/LaunchTimer.exe" "$work"
    "$repo/tests/ui/xvfb.sh" "$work" start
    trap '"$repo/tests/ui/xvfb.sh" "$work" stop; wineserver -k 2>/dev/null || true' EXIT
    echo "== $preset: Moxvane.exe $(stat -c %s "$work/Moxvane.exe") bytes;" \
        "BareWindow.exe $(stat -c %s "$work/BareWindow.exe") bytes"
    local status=0
    (cd "$work" && DISPLAY=:$(cat "$work/xvfb.display") windows_run LaunchTimer.exe Moxvane.exe \
        BareWindow.exe "$pairs" >"$work/output" 2>&1 </dev/null) || status=$?
    tr -d '\r' <"$work/output"
    "$repo/tests/ui/xvfb.sh" "$work" stop
    return "$status"
}

scripts/install-deps.sh >/dev/null
measure mingw
if wine_runs_x86; then
    measure mingw-x86
else
    echo "!!!!! x86 NOT MEASURED: this machine cannot start 32-bit programs !!!!!"
fi
