#!/usr/bin/env bash
# Builds Moxvane.exe a second time, from a copy of the sources in another
# directory and into another build tree, and fails unless the two programs are
# byte for byte the same. Run after scripts/test.sh has built build/mingw.
set -euo pipefail
cd "$(dirname "$0")/.."
first=build/mingw/ui/Moxvane.exe
work=$(mktemp -d /tmp/moxvane-rebuild.XXXXXX)
trap 'rm -rf "$work"' EXIT

mkdir "$work/source"
git ls-files -z | xargs -0 cp --parents -t "$work/source"
cmake -S "$work/source" -B "$work/build" --toolchain cmake/mingw-w64-x86_64.cmake \
    -DCMAKE_BUILD_TYPE=MinSizeRel -DBUILD_TESTING=OFF \
    -DMOXVANE_WINEPREFIX="$PWD/build/mingw/wineprefix" >/dev/null
cmake --build "$work/build" --target Moxvane -j "$(nproc)" >/dev/null
if cmp "$first" "$work/build/ui/Moxvane.exe"; then
    echo "reproducible: a second build gives the same Moxvane.exe ($(sha256sum <"$first" | cut -c1-16))"
else
    echo "NOT reproducible: a second build gives a different Moxvane.exe" >&2
    exit 1
fi
