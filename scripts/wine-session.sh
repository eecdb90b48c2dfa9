# Sourced by the scripts that run Windows programs: one throwaway Wine prefix
# in the build tree, created once, with a wineserver kept alive for the run.
wine_session_start() {
    local build_dir=$1
    export WINEPREFIX="$build_dir/wineprefix"
    export WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
    mkdir -p "$WINEPREFIX"
    wineserver -p
    [ -f "$WINEPREFIX/system.reg" ] || wineboot -i >/dev/null 2>&1
    trap 'wineserver -k 2>/dev/null || true' EXIT
}
