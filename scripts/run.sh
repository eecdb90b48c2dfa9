#!/usr/bin/env bash
# The README's run command: sets up a fresh Debian machine if needed (about a
# minute), builds Moxvane.exe and starts it under Wine, in the build tree's own
# prefix, on the current X display.
set -euo pipefail
shopt -s inherit_errexit
cd "$(dirname "$0")/.."
source scripts/lib/wine-session.sh

no_display() {
    echo "run.sh: $1; run it from a graphical session, or use 'bash scripts/screenshot.sh' for a picture of the window" >&2
    exit 2
}

if [ -z "${DISPLAY:-}" ]; then
    no_display "no X display (DISPLAY is not set)"
fi
scripts/install-deps.sh run
xdpyinfo >/dev/null 2>&1 || no_display "cannot open the X display '$DISPLAY'"
wine_session_start "$PWD/build/mingw"
cmake --preset mingw -DBUILD_TESTING=OFF >/dev/null  # GoogleTest is not installed
cmake --build --preset mingw --target Moxvane -j "$(nproc)"
"$windows_run" build/mingw/ui/Moxvane.exe
