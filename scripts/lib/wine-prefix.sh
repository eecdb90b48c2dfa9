#!/usr/bin/env bash
# Makes the Wine prefix named by the first argument, once (10 to 50 s): the
# only place where the project's prefixes are made, for the build, the tests,
# run, screenshot and the benchmark alike. Safe to call again, also from
# several processes at once.
#
# Debian's Wine never looks in /usr/share/wine/fonts, where fonts-wine puts
# Tahoma; the prefix is told to, so that the window is drawn in its own font.
# It gets that folder's fonts but Tahoma Bold: fonts-wine's tahomabd.ttf has
# the regular outlines (and bitmaps bold at 11 pixels only), so Wine, which
# picks it for weight 700, would draw the bold title regular. Without it, Wine
# emboldens the regular outlines, which draws a real bold.
set -euo pipefail
prefix=$1
# shellcheck source=wine-environment.sh
source "$(dirname "$0")/wine-environment.sh"
mkdir -p "$prefix"
export WINEPREFIX=$prefix
# One process makes it; the others wait here, then find it made.
exec 9>"$prefix.lock"
flock 9
# shellcheck disable=SC2310 # a pure predicate: is the prefix made?
if wine_prefix_ready "$prefix"; then
    exit 0
fi
if [ -f "$prefix/ready" ]; then  # made before x86 or the font folder
    "$in_wine" wineserver -k 2>/dev/null || true
    find "$prefix" -mindepth 1 -delete
fi
"$in_wine" wineboot -i >/dev/null 2>&1
mkdir -p "$prefix/fonts"
for font in /usr/share/wine/fonts/*; do
    if [ "${font##*/}" != tahomabd.ttf ]; then
        ln -sf "$font" "$prefix/fonts/"
    fi
done
# From inside the prefix: a reg.exe in the current directory would shadow
# Wine's own.
cd "$prefix"
fonts_dir=$prefix/fonts
fonts="Z:${fonts_dir//\//\\}"
"$windows_run" reg add "HKCU\\Software\\Wine\\Fonts" /v Path /d "$fonts" /f >/dev/null 2>&1 </dev/null
# Let the first start finish its background work before anything runs:
# programs started meanwhile can stall for minutes.
"$in_wine" wineserver -w
touch "$prefix/ready"
