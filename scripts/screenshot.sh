#!/usr/bin/env bash
# Builds Moxvane.exe and takes the README's screenshot of its window, drawn in
# Wine's virtual desktop (which paints the title bar) on a private Xvfb.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/wine-session.sh
out=${1:-docs/screenshot.png}

scripts/install-deps.sh
build_dir=$PWD/build/mingw
wine_session_start "$build_dir"
cmake --preset mingw >/dev/null
cmake --build --preset mingw --target Moxvane -j "$(nproc)"

tests/ui/xvfb.sh "$build_dir" start
trap 'tests/ui/xvfb.sh "$build_dir" stop; wineserver -k 2>/dev/null || true' EXIT
export DISPLAY=:$(cat "$build_dir/xvfb.display")
wine explorer /desktop=Moxvane,640x400 build/mingw/ui/Moxvane.exe &
sleep 6
import -window root -crop 640x400+0+0 +repage "$out"
echo "wrote $out"
