# Sourced by the scripts that run Windows programs: one throwaway Wine prefix
# in the build tree, made once, with a wineserver kept alive for the run. A
# second session ends the first one's wineserver. Wine's environment and
# helpers (wine-environment.sh) come with it.
source "$(dirname "${BASH_SOURCE[0]}")/wine-environment.sh"
wine_session_start() {
    local build_dir=$1
    if [ -n "${wine_session_prefix:-}" ]; then
        WINEPREFIX=$wine_session_prefix wineserver -k 2>/dev/null || true
    fi
    export WINEPREFIX="$build_dir/wineprefix"
    wine_session_prefix=$WINEPREFIX
    "$(dirname "${BASH_SOURCE[0]}")/wine-prefix.sh" "$WINEPREFIX"
    wineserver -p 2>/dev/null || true  # already running for this prefix: keep it
    trap 'wineserver -k 2>/dev/null || true' EXIT
}
