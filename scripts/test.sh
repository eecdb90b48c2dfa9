#!/usr/bin/env bash
# Sets up a fresh Debian machine if needed, cross-builds everything with
# mingw-w64 GCC and runs the whole test suite under Wine; builds and tests
# again with clang and lld; runs clang-tidy over the program's code; then
# checks the release bundle (reproducible, signed correctly).
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/wine-session.sh

scripts/install-deps.sh
wine_session_start "$PWD/build/mingw"
cmake --preset mingw >/dev/null
cmake --build --preset mingw -j "$(nproc)"
ctest --preset mingw

cmake --preset mingw-clang >/dev/null
cmake --build --preset mingw-clang -j "$(nproc)"
ctest --preset mingw-clang

scripts/lint.sh
scripts/check-release.sh
