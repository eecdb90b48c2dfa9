# shellcheck shell=bash
# Sourced by the scripts that run Windows programs: one throwaway Wine prefix
# in the build tree, made once, with a wineserver kept alive for the run. A
# second session ends the first one's wineserver. Wine's environment
# (wine-environment.sh) comes with it; a session for x86 or ARM64 programs
# exports MOXVANE_FOREIGN_WINE first (lib/runs-here.sh: WINE_OF).
# shellcheck source=wine-environment.sh
source "$(dirname "${BASH_SOURCE[0]}")/wine-environment.sh"
# shellcheck source=command.sh
source "$(dirname "${BASH_SOURCE[0]}")/command.sh"
wine_session_end() {
    if [ -n "${wine_session_prefix:-}" ]; then
        WINEPREFIX=$wine_session_prefix MOXVANE_FOREIGN_WINE=$wine_session_wine \
            "$in_wine" wineserver -k 2>/dev/null || true
        wine_session_prefix=
    fi
}
wine_session_start() {
    local build_dir=$1
    wine_session_end
    export WINEPREFIX="$build_dir/wineprefix"
    wine_session_prefix=$WINEPREFIX
    wine_session_wine=${MOXVANE_FOREIGN_WINE:-}
    "$wine_lib/wine-prefix" "$WINEPREFIX"
    "$in_wine" wineserver -p 2>/dev/null || true  # already running for this prefix: keep it
    on_exit wine_session_end
}
