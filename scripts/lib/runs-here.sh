# shellcheck shell=bash
# Sourced by every command that builds or starts the Windows programs: the
# one answer to what this machine can do with each build (x64, x86, arm64).
#
#   what_runs_here BUILD...   answers for the builds named, making what the
#                             ARM64 build needs first (once, a few minutes),
#                             and prints the loud line of each degraded one:
#     COMPILES[BUILD]         yes or no: it can be compiled here
#     RUNS[BUILD]             yes or no: its programs can be started here
#     WHY_NOT[BUILD]          why not, where either is no
#   ARM64_WINE                what MOXVANE_ARM64_WINE is set to for the
#                             ARM64 programs
#
# What the scripts share:
#   build/x86-not-installed.txt    install-deps.sh: why apt could not install
#   build/arm64-not-installed.txt  Wine's 32-bit half, or the ARM64 tools
#   build/arm64-runtime/ready      arm64-runtime.sh: the source versions the
#                                  ARM64 run-time was built from, once built
#   build/arm64-wine/ready         arm64-wine.sh: the arm64 Debian is made and
#                                  Wine has run in it
#   build/*/wineprefix/ready       lib/wine-prefix.sh: the Wine prefix is made
#   build/*/xvfb.display           lib/xvfb.sh: the private X server's display
#   MOXVANE_DEPS_INSTALLED         set by test.sh once install-deps.sh has run:
#                                  the commands it calls install nothing
#   MOXVANE_ARM64_WINE             the path of arm64-wine.sh: Wine and its
#                                  tools run in the arm64 Debian
runs_here_repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
ARM64_WINE=$runs_here_repo/scripts/arm64-wine.sh
declare -A COMPILES RUNS WHY_NOT

# x64 is what the required set-up installs.
answer_x64() {
    COMPILES[x64]=yes RUNS[x64]=yes WHY_NOT[x64]=
}

# The i686 compiler is always installed; Wine's 32-bit half may not be.
answer_x86() {
    COMPILES[x86]=yes RUNS[x86]=yes WHY_NOT[x86]=
    if /usr/lib/wine/wine --version >/dev/null 2>&1; then
        return 0
    fi
    RUNS[x86]=no
    WHY_NOT[x86]="no Wine 32-bit loader, or a kernel without x86 support"
    local reasons=$runs_here_repo/build/x86-not-installed.txt
    if [ -f "$reasons" ]; then
        WHY_NOT[x86]=$(cat "$reasons")
    fi
}

# The ARM64 tools, the run-time built from Debian's sources, then the arm64
# Debian's Wine really running a program through arm64-wine.sh run.
answer_arm64() {
    COMPILES[arm64]=no RUNS[arm64]=no
    local reasons=$runs_here_repo/build/arm64-not-installed.txt
    if [ -f "$reasons" ]; then
        WHY_NOT[arm64]="the ARM64 tools are not installed: $(cat "$reasons")"
        return 0
    fi
    if ! "$runs_here_repo/scripts/arm64-runtime.sh"; then
        WHY_NOT[arm64]="its run-time could not be built from Debian's sources (build/arm64-runtime/build.log)"
        return 0
    fi
    COMPILES[arm64]=yes
    local answer
    answer=$(mktemp)
    if "$ARM64_WINE" make 2>&1 | tee "$answer" >&2 &&
        "$ARM64_WINE" run /usr/lib/wine/wine64 --version >"$answer" 2>&1; then
        RUNS[arm64]=yes WHY_NOT[arm64]=
    else
        WHY_NOT[arm64]="no arm64 Debian whose Wine runs here ($(tail -n 1 "$answer"))"
    fi
    rm -f "$answer"
}

what_runs_here() {
    local build
    for build in "$@"; do
        "answer_$build"
        if [ "${COMPILES[$build]}" = no ]; then
            echo "!!!!! $build: NOT BUILT: ${WHY_NOT[$build]} !!!!!" >&2
        elif [ "${RUNS[$build]}" = no ]; then
            echo "!!!!! $build: COMPILED ONLY, ITS PROGRAMS CANNOT START HERE: ${WHY_NOT[$build]} !!!!!" >&2
        fi
    done
}
