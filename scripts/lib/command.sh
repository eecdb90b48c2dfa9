# shellcheck shell=bash
# Sourced by every command: how it fails, and how its clean-ups add up.
#   fail MESSAGE...    "NAME: MESSAGE" on standard error, then exit status 1;
#                      NAME is the command's, or fail_name where it sets one
#   on_exit COMMAND [ARG...]
#                      runs COMMAND with its arguments, as they are now, when
#                      this shell exits, before those it added earlier; the
#                      exit status is in $exit_status, and stays the shell's.
#                      A subshell ($(...), ( )) that adds one runs only its
#                      own: those of the shell it came from are not its to run.
#                      One already added by this shell is not added again.
fail() {
    echo "${fail_name:-$(basename "$0" .sh)}: $*" >&2
    exit 1
}

declare -ga exit_handlers  # kept where a second library sources this one
on_exit() {
    local handler
    printf -v handler '%q ' "$@"
    handler="$BASHPID $handler"
    local added
    for added in "${exit_handlers[@]}"; do
        if [ "$added" = "$handler" ]; then
            return 0
        fi
    done
    exit_handlers=("$handler" "${exit_handlers[@]}")
    trap run_exit_handlers EXIT
}

# A clean-up that fails does not keep the others from running.
run_exit_handlers() {
    exit_status=$?
    local entry
    for entry in "${exit_handlers[@]}"; do
        if [ "${entry%% *}" = "$BASHPID" ]; then
            eval "${entry#* }" || true
        fi
    done
    return "$exit_status"
}
