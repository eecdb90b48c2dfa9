# Sourced by the scripts that run Windows programs: one throwaway Wine prefix
# in the build tree, made once, with a wineserver kept alive for the run.
wine_session_start() {
    local build_dir=$1
    export WINEPREFIX="$build_dir/wineprefix"
    source "$(dirname "${BASH_SOURCE[0]}")/wine-environment.sh"
    "$(dirname "${BASH_SOURCE[0]}")/wine-prefix.sh" "$WINEPREFIX"
    wineserver -p 2>/dev/null || true  # already running for this prefix: keep it
    trap 'wineserver -k 2>/dev/null || true' EXIT
}
