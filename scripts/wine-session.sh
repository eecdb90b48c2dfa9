# Sourced by the scripts that run Windows programs: one throwaway Wine prefix
# in the build tree, made once, with a wineserver kept alive for the run. A
# second session ends the first one's wineserver. Wine's environment and
# helpers (wine-environment.sh) come with it; a session for ARM64 programs
# exports MOXVANE_ARM64_WINE first.
source "$(dirname "${BASH_SOURCE[0]}")/wine-environment.sh"
wine_session_end() {
    [ -n "${wine_session_prefix:-}" ] || return 0
    WINEPREFIX=$wine_session_prefix MOXVANE_ARM64_WINE=$wine_session_arm64 wineserver -k 2>/dev/null || true
    wine_session_prefix=
}
wine_session_start() {
    local build_dir=$1
    wine_session_end
    export WINEPREFIX="$build_dir/wineprefix"
    wine_session_prefix=$WINEPREFIX
    wine_session_arm64=${MOXVANE_ARM64_WINE:-}
    "$(dirname "${BASH_SOURCE[0]}")/wine-prefix.sh" "$WINEPREFIX"
    wineserver -p 2>/dev/null || true  # already running for this prefix: keep it
    trap wine_session_end EXIT
}
