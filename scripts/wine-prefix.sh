#!/bin/sh
# Makes the Wine prefix named by the first argument, once: the only place where
# the project's prefixes are made, for the build, the tests, run, screenshot
# and the benchmark alike. Safe to call again, also from several processes.
#
# Debian's Wine never looks in /usr/share/wine/fonts, where fonts-wine puts
# Tahoma; the prefix is told to, so that the window is drawn in its own font.
# It gets that folder's fonts but Tahoma Bold: fonts-wine's tahomabd.ttf has
# the regular outlines (and bitmaps bold at 11 pixels only), so Wine, which
# picks it for weight 700, would draw the bold title regular. Without it, Wine
# emboldens the regular outlines, which draws a real bold.
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
    if [ -f "$WINEPREFIX/ready" ]; then  # made before x86 or the font folder
        wineserver -k 2>/dev/null || true
        find "$WINEPREFIX" -mindepth 1 -delete
    fi
    wineboot -i >/dev/null 2>&1
    mkdir -p "$WINEPREFIX/fonts"
    for font in /usr/share/wine/fonts/*; do
        [ "${font##*/}" = tahomabd.ttf ] || ln -sf "$font" "$WINEPREFIX/fonts/"
    done
    # From inside the prefix: a reg.exe in the current directory would
    # shadow Wine'"'"'s own.
    cd "$WINEPREFIX"
    fonts="Z:$(echo "$WINEPREFIX/fonts" | tr / "\\\\")"
    windows_run reg add "HKCU\\Software\\Wine\\Fonts" /v Path /d "$fonts" /f >/dev/null 2>&1 </dev/null
    # Let the first start finish its background work before anything runs:
    # programs started meanwhile can stall for minutes.
    wineserver -w
    touch "$WINEPREFIX/ready"
' sh "$scripts"
