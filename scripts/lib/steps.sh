# shellcheck shell=bash
# Sourced by the scripts that run long steps with their output in one log:
#   steps_begin LOG WHAT     an empty LOG; from now on the script's exit after
#                            a failed step names it, shows the end of LOG and
#                            ends with one line: "WHAT: STEP failed (...)"
#   step NAME COMMAND...     runs COMMAND (a function too, with set -e in
#                            force) with its output added to LOG
#   steps_end                every step has succeeded
# shellcheck source=command.sh
source "$(dirname "${BASH_SOURCE[0]}")/command.sh"

steps_begin() {
    steps_log=$1 steps_what=$2 steps_current=
    : >"$steps_log"
    on_exit steps_report
}

step() {
    steps_current=$1
    shift
    echo "== $steps_current" >>"$steps_log"
    "$@" >>"$steps_log" 2>&1
}

steps_end() {
    steps_current=
}

steps_report() {
    if [ "$exit_status" -eq 0 ] || [ -z "$steps_current" ]; then
        return 0
    fi
    echo "$steps_what: $steps_current failed; the end of $steps_log:" >&2
    tail -n 20 "$steps_log" | sed 's/^/    /' >&2
    echo "$steps_what: $steps_current failed ($(tail -n 1 "$steps_log"))" >&2
}
