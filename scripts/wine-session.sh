# Sourced by the scripts that run Windows programs: one throwaway Wine prefix
# in the build tree, created once, with a wineserver kept alive for the run.
wine_session_start() {
    local build_dir=$1
    export WINEPREFIX="$build_dir/wineprefix"
    export WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
    mkdir -p "$WINEPREFIX"
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        # Let the prefix's first start finish all its background work before
        # any test runs: programs started meanwhile can stall for minutes.
        wineboot -i >/dev/null 2>&1
        wineserver -w
    fi
    wineserver -p 2>/dev/null || true  # already running for this prefix: keep it
    trap 'wineserver -k 2>/dev/null || true' EXIT
}
