#!/usr/bin/env bash
# Runs a Windows program under Wine in the prefix named by the first argument,
# creating that prefix on first use. Used as the build's cross-compiling emulator.
set -euo pipefail
shopt -s inherit_errexit
WINEPREFIX=$1
shift
export WINEPREFIX
lib=$(cd "$(dirname "$0")/../scripts/lib" && pwd)
# shellcheck source=wine-environment.sh
source "$lib/wine-environment.sh"
# shellcheck source=command.sh
source "$lib/command.sh"
"$lib/wine-prefix" "$WINEPREFIX"
# An X display for programs that open windows, when the test fixture started one.
display_file=$(dirname "$WINEPREFIX")/xvfb.display
if [ -z "${DISPLAY:-}" ] && [ -f "$display_file" ]; then
    DISPLAY=:$(cat "$display_file")
    export DISPLAY
fi
# Wine's background services, started by whichever program comes first,
# inherit its output handles and outlive it. Writing to a file rather than to
# the caller's pipe keeps a caller that reads to end-of-file from waiting on them.
output=$(mktemp)
on_exit rm -f "$output"
status=0
"$windows_run" "$@" >"$output" 2>&1 </dev/null || status=$?
cat "$output"
exit "$status"
