#!/usr/bin/env bash
# Measures Moxvane.exe against the bare window program built with the same
# toolchain and flags: the size of each executable, then, launching them
# alternately (A B B A ...) under Wine on a private Xvfb, the median time from
# process creation to a visible window and the peak private memory of each.
# Usage: bench/run.sh [PAIRS]   (default 50)
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$PWD
source scripts/wine-session.sh
pairs=${1:-50}

scripts/install-deps.sh >/dev/null
build_dir=$PWD/build/mingw
wine_session_start "$build_dir"
cmake --preset mingw >/dev/null
cmake --build --preset mingw --target Moxvane BareWindow LaunchTimer -j "$(nproc)" >/dev/null

work=$build_dir/bench-run
rm -rf "$work"
mkdir -p "$work"
cp build/mingw/ui/Moxvane.exe build/mingw/bench/BareWindow.exe build/mingw/bench/LaunchTimer.exe "$work"
"$repo/tests/ui/xvfb.sh" "$work" start
trap '"$repo/tests/ui/xvfb.sh" "$work" stop; wineserver -k 2>/dev/null || true' EXIT
export DISPLAY=:$(cat "$work/xvfb.display")

echo "Moxvane.exe: $(stat -c %s "$work/Moxvane.exe") bytes; BareWindow.exe: $(stat -c %s "$work/BareWindow.exe") bytes"
cd "$work"
status=0
windows_run LaunchTimer.exe Moxvane.exe BareWindow.exe "$pairs" >"$work/output" 2>&1 </dev/null || status=$?
tr -d '\r' <"$work/output"
exit "$status"
