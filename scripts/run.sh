#!/usr/bin/env bash
# Sets up a fresh Debian machine if needed, builds Moxvane.exe and starts it
# under Wine, in the build tree's own prefix, on the current X display.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/wine-session.sh

scripts/install-deps.sh
wine_session_start "$PWD/build/mingw"
cmake --preset mingw >/dev/null
cmake --build --preset mingw --target Moxvane -j "$(nproc)"
wine build/mingw/ui/Moxvane.exe
