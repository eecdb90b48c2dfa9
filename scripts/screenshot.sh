#!/usr/bin/env bash
# Builds Moxvane.exe and takes a picture of its window as a new user sees it:
# a fresh Wine prefix, Wine's virtual desktop (which paints the title bar), a
# private Xvfb. With "dark", the prefix first gets a dark colour scheme
# (tests/ui/dark-scheme.reg: yellow window text on black, white button text on
# purple). PRESET picks the build (default mingw, x64; mingw-x86 for the x86
# program, mingw-arm64 for the ARM64 one, under the arm64 Debian's Wine).
# Usage: scripts/screenshot.sh [default|dark] [OUTPUT.png] [PRESET]
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$PWD
scheme=${1:-default}
case $scheme in
default) out=${2:-docs/screenshot.png} ;;
dark) out=${2:-docs/screenshot-dark.png} ;;
*) echo "usage: scripts/screenshot.sh [default|dark] [OUTPUT.png] [PRESET]" >&2; exit 2 ;;
esac
preset=${3:-mingw}

scripts/install-deps.sh
if [ "$preset" = mingw-arm64 ]; then
    scripts/arm64-runtime.sh
    scripts/arm64-wine.sh make
    export MOXVANE_ARM64_WINE=$repo/scripts/arm64-wine.sh
fi
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" --target Moxvane -j "$(nproc)"

work=$PWD/build/$preset/screenshot
rm -rf "$work"
mkdir -p "$work"
cp "build/$preset/ui/Moxvane.exe" "$work"
source scripts/wine-session.sh
wine_session_start "$work"
tests/ui/xvfb.sh "$work" start
trap 'tests/ui/xvfb.sh "$work" stop; wine_session_end' EXIT
export DISPLAY=:$(cat "$work/xvfb.display")
cd "$work"  # no reg.exe here to shadow Wine's own
if [ "$scheme" = dark ]; then
    windows_run reg import "$repo/tests/ui/dark-scheme.reg" >/dev/null 2>&1 </dev/null
fi
windows_run explorer /desktop=Moxvane,640x400 Moxvane.exe >/dev/null 2>&1 </dev/null &
# The window, once shown, a moment to paint (emulated, it takes a while).
timeout 120 xdotool search --sync --name '^Moxvane$' >/dev/null
sleep 3
cd - >/dev/null
import -window root -crop 640x400+0+0 +repage "$out"
echo "wrote $out"
