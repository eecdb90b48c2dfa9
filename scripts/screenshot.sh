#!/usr/bin/env bash
# Builds Moxvane.exe and takes a picture of its window as a new user sees it:
# a fresh Wine prefix, Wine's virtual desktop (which paints the title bar), a
# private Xvfb. With "dark", the prefix first gets a dark colour scheme
# (tests/ui/dark-scheme.reg: yellow window text on black, white button text on
# purple). PRESET picks the build (default mingw, x64; mingw-x86 for the x86
# program, mingw-arm64 for the ARM64 one, each under its Debian's Wine).
# Under a minute for x64 once built; it stops where the preset's programs
# cannot start here, with the reason (lib/runs-here.sh).
# Usage: scripts/screenshot.sh [default|dark] [OUTPUT.png] [PRESET]
set -euo pipefail
shopt -s inherit_errexit
cd "$(dirname "$0")/.."
repo=$PWD
scheme=${1:-default}
case $scheme in
default) out=${2:-docs/screenshot.png} ;;
dark) out=${2:-docs/screenshot-dark.png} ;;
*) echo "usage: scripts/screenshot.sh [default|dark] [OUTPUT.png] [PRESET]" >&2; exit 2 ;;
esac
preset=${3:-mingw}
source scripts/lib/wine-session.sh
source scripts/lib/runs-here.sh
build=${BUILD_OF_PRESET[$preset]:-}
if [ -z "$build" ]; then
    echo "screenshot.sh: no preset '$preset': mingw, mingw-clang, mingw-x86 or mingw-arm64" >&2
    exit 2
fi

scripts/install-deps.sh
what_runs_here "$build"
if [ "${RUNS[$build]}" = no ]; then
    echo "screenshot.sh: the $preset programs cannot start here: ${WHY_NOT[$build]}" >&2
    exit 1
fi
export MOXVANE_FOREIGN_WINE=${WINE_OF[$build]}
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" --target Moxvane -j "$(nproc)"

work=$PWD/build/$preset/screenshot
rm -rf "$work"
mkdir -p "$work"
cp "build/$preset/ui/Moxvane.exe" "$work"
wine_session_start "$work"
"$repo/scripts/lib/xvfb" "$work" start
on_exit "$repo/scripts/lib/xvfb" "$work" stop
DISPLAY=:$(cat "$work/xvfb.display")
export DISPLAY
cd "$work"  # no reg.exe here to shadow Wine's own
if [ "$scheme" = dark ]; then
    "$windows_run" reg import "$repo/tests/ui/dark-scheme.reg" >/dev/null 2>&1 </dev/null
fi
"$windows_run" explorer /desktop=Moxvane,640x400 Moxvane.exe >/dev/null 2>&1 </dev/null &
# The window, once shown, a moment to paint (emulated, it takes a while).
timeout 120 xdotool search --sync --name '^Moxvane$' >/dev/null
sleep 3
cd - >/dev/null
import -window root -crop 640x400+0+0 +repage "$out"
echo "wrote $out"
