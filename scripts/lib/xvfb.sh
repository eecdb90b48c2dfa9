#!/usr/bin/env bash
# Starts (start) or stops (stop) a private X server for one build directory or
# work folder, in a fraction of a second: for the window tests (the Wine
# runner reads its display number from there), screenshots, the release check
# and the benchmark.
# Usage: xvfb.sh DIR start|stop
set -euo pipefail
build_dir=$1
display_file=$build_dir/xvfb.display
case $2 in
start)
    rm -f "$display_file"
    setsid Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$display_file" \
        </dev/null >/dev/null 2>&1 &
    echo $! >"$build_dir/xvfb.pid"
    for _ in $(seq 50); do [ -s "$display_file" ] && exit 0; sleep 0.1; done
    exit 1
    ;;
stop)
    if [ -f "$build_dir/xvfb.pid" ]; then
        kill "$(cat "$build_dir/xvfb.pid")" 2>/dev/null || true
    fi
    rm -f "$display_file" "$build_dir/xvfb.pid"
    ;;
esac
