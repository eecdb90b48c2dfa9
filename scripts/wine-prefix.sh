#!/bin/sh
# Makes the Wine prefix named by the first argument, once: the only place where
# the project's prefixes are made, for the build, the tests, run, screenshot
# and the benchmark alike. Safe to call again, also from several processes.
#
# Debian's Wine never looks in /usr/share/wine/fonts, where fonts-wine puts
# Tahoma; the prefix is told to, so that the window is drawn in its own font.
set -eu
prefix=$1
scripts=$(cd "$(dirname "$0")" && pwd)
. "$scripts/wine-environment.sh"
wine_prefix_ready "$prefix" && exit 0
mkdir -p "$prefix"
export WINEPREFIX="$prefix"
flock "$prefix.lock" sh -c '
    . "$1/wine-environment.sh"
    wine_prefix_ready "$WINEPREFIX" && exit 0
    if [ -f "$WINEPREFIX/ready" ]; then  # made before Wine could run x86
        wineserver -k 2>/dev/null || true
        find "$WINEPREFIX" -mindepth 1 -delete
    fi
    wineboot -i >/dev/null 2>&1
    # From inside the prefix: a reg.exe in the current directory would
    # shadow Wine'"'"'s own.
    cd "$WINEPREFIX"
    windows_run reg add "HKCU\\Software\\Wine\\Fonts" /v Path /d "Z:\\usr\\share\\wine\\fonts" /f \
        >/dev/null 2>&1 </dev/null
    # Let the first start finish its background work before anything runs:
    # programs started meanwhile can stall for minutes.
    wineserver -w
    touch "$WINEPREFIX/ready"
' sh "$scripts"
