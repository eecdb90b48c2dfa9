#!/usr/bin/env bash
# Sets up a fresh Debian machine if needed, cross-builds everything and runs
# the whole test suite under Wine, then checks that a second build of the
# program from the same sources is byte-identical.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/wine-session.sh

scripts/install-deps.sh
build_dir=build/mingw
wine_session_start "$PWD/$build_dir"
cmake --preset mingw >/dev/null
cmake --build --preset mingw -j "$(nproc)"
ctest --preset mingw
scripts/check-release.sh
