# shellcheck shell=bash
# shellcheck disable=SC2034 # the tables are read by the commands that source this
# Sourced by every command that builds or starts the Windows programs: the
# one answer to what this machine can do with each build (x64, x86, arm64),
# and the one table of the builds.
#
#   PRESET_OF[BUILD]          its CMake preset with GCC, or clang for ARM64
#   BUILD_OF_PRESET[PRESET]   the build each preset makes
#   TOOLCHAIN_OF[BUILD]       its toolchain file in cmake/, for the release
#   WINE_OF[BUILD]            the Debian whose Wine runs its programs, for
#                             MOXVANE_FOREIGN_WINE (empty: this machine's)
#   RELEASE_BUNDLES           the release's bundles, in their order
#   BUILD_OF[BUNDLE]          the build each bundle comes from
#   what_compiles_here BUILD...
#                             sets COMPILES and WHY_NOT alone (for ARM64:
#                             its run-time built once, a few minutes)
#   what_runs_here BUILD...   answers for the builds named, making what they
#                             need first (once: under a minute for x86, a few
#                             for ARM64), and prints the loud line of each
#                             degraded one:
#     COMPILES[BUILD]         yes or no: it can be compiled here
#     RUNS[BUILD]             yes or no: its programs can be started here
#     WHY_NOT[BUILD]          why not, where either is no
#
# What the scripts share:
#   build/arm64-not-installed.txt  install-deps.sh: why apt could not install
#                                  the ARM64 tools
#   build/arm64-runtime/ready      arm64-runtime.sh: the source versions the
#                                  ARM64 run-time was built from, once built
#   build/i386-wine/ready          foreign-wine.sh: the i386 or arm64 Debian
#   build/arm64-wine/ready         is made and Wine has run in it
#   build/i386-wine/i386-probe     foreign-wine.sh: a tiny i386 program, run
#                                  to learn whether the kernel starts them
#   build/*/wineprefix/ready       lib/wine-prefix: the prefix is made, by
#                                  the Wine it names
#   build/*/xvfb.display           lib/xvfb: the private X server's display
#   MOXVANE_DEPS_INSTALLED         set by test.sh once install-deps.sh has run:
#                                  the commands it calls install nothing
#   MOXVANE_FOREIGN_WINE           i386 or arm64: Wine and its tools run in
#                                  that Debian (lib/wine-environment.sh)
#   MOXVANE_FOREIGN_WINE_SCRIPT    the foreign-wine.sh that makes and runs it,
#                                  where not the caller's own (lib/in-wine)
#   MOXVANE_I386_NATIVE, MOXVANE_BINFMT_MISC
#                                  for tests: foreign-wine.sh's knobs
# shellcheck source=wine-environment.sh
source "$(dirname "${BASH_SOURCE[0]}")/wine-environment.sh"
runs_here_repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
declare -A PRESET_OF=([x64]=mingw [x86]=mingw-x86 [arm64]=mingw-arm64)
declare -A BUILD_OF_PRESET=([mingw]=x64 [mingw-clang]=x64 [mingw-x86]=x86 [mingw-arm64]=arm64)
declare -A TOOLCHAIN_OF=([x64]=mingw-w64-x86_64 [x86]=mingw-w64-i686 [arm64]=mingw-w64-aarch64-clang)
declare -A WINE_OF=([x64]="" [x86]=i386 [arm64]=arm64)
RELEASE_BUNDLES=(win64 win32 arm64)
declare -A BUILD_OF=([win64]=x64 [win32]=x86 [arm64]=arm64)
declare -A COMPILES RUNS WHY_NOT

# x64 and x86 compile with what the required set-up installs.
compiles_x64() { COMPILES[x64]=yes; }
compiles_x86() { COMPILES[x86]=yes; }

# The ARM64 tools and the run-time built from Debian's sources.
compiles_arm64() {
    COMPILES[arm64]=no
    local reasons=$runs_here_repo/build/arm64-not-installed.txt
    if [ -f "$reasons" ]; then
        WHY_NOT[arm64]="the ARM64 tools are not installed: $(cat "$reasons")"
        return 0
    fi
    local status=0
    "$runs_here_repo/scripts/arm64-runtime.sh" || status=$?
    if [ "$status" -ne 0 ]; then
        WHY_NOT[arm64]="its run-time could not be built from Debian's sources (build/arm64-runtime/build.log)"
        return 0
    fi
    COMPILES[arm64]=yes
}

# The build's Debian made, then its Wine really started through
# foreign-wine.sh run.
answer_foreign_wine() {
    local build=$1 arch=${WINE_OF[$1]} answer status=0
    answer=$(mktemp)
    # Its own status, whatever the caller's shell options: no pipe.
    "$runs_here_repo/scripts/foreign-wine.sh" "$arch" make >"$answer" 2>&1 || status=$?
    cat "$answer" >&2
    if [ "$status" -eq 0 ]; then
        "$runs_here_repo/scripts/foreign-wine.sh" "$arch" run "$(wine_loader "$arch")" --version \
            >"$answer" 2>&1 || status=$?
    fi
    if [ "$status" -eq 0 ]; then
        RUNS[$build]=yes
    else
        WHY_NOT[$build]="no $arch Debian whose Wine runs here ($(tail -n 1 "$answer"))"
    fi
    rm -f "$answer"
}

what_compiles_here() {
    local build
    for build in "$@"; do
        WHY_NOT[$build]=
        "compiles_$build"
        if [ "${COMPILES[$build]}" = no ]; then
            echo "!!!!! $build: NOT BUILT: ${WHY_NOT[$build]} !!!!!" >&2
        fi
    done
}

# This machine's Wine runs the x64 programs; the others' Debians theirs.
what_runs_here() {
    local build
    for build in "$@"; do
        what_compiles_here "$build"
        RUNS[$build]=no
        if [ "${COMPILES[$build]}" = no ]; then
            continue
        fi
        if [ -z "${WINE_OF[$build]}" ]; then
            RUNS[$build]=yes
        else
            answer_foreign_wine "$build"
        fi
        if [ "${RUNS[$build]}" = no ]; then
            echo "!!!!! $build: COMPILED ONLY, ITS PROGRAMS CANNOT START HERE: ${WHY_NOT[$build]} !!!!!" >&2
        fi
    done
}
