# shellcheck shell=bash
# Sourced by every command: how it fails, and how its clean-ups add up.
#   fail MESSAGE...    "NAME: MESSAGE" on standard error, then exit status 1;
#                      NAME is the command's, or fail_name where it sets one
#   on_exit COMMAND [ARG...]
#                      runs COMMAND with its arguments, as they are now, when
#                      the shell exits, before those added earlier; the exit
#                      status is in $exit_status, and stays the shell's
fail() {
    echo "${fail_name:-$(basename "$0" .sh)}: $*" >&2
    exit 1
}

declare -ga exit_handlers  # kept where a second library sources this one
on_exit() {
    local handler
    printf -v handler '%q ' "$@"
    exit_handlers=("$handler" "${exit_handlers[@]}")
    trap run_exit_handlers EXIT
}

# A clean-up that fails does not keep the others from running.
run_exit_handlers() {
    exit_status=$?
    local handler
    for handler in "${exit_handlers[@]}"; do
        eval "$handler" || true
    done
    return "$exit_status"
}
