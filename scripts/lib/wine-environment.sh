# shellcheck shell=bash
# Sourced by everything that runs Wine: no debug output, no offer to install
# Mono or Gecko, no menu entries on the host's desktop; and where the commands
# that start Windows programs and Wine's tools are:
#   "$windows_run" PROGRAM [ARG...]   a Windows program or one of Wine's own
#                                     (reg, explorer), with the loader of its
#                                     own bitness
#   "$in_wine" wineserver|wineboot ...  one of Wine's host tools
# Where MOXVANE_ARM64_WINE names scripts/arm64-wine.sh, both run in the arm64
# Debian that runs the ARM64 programs.
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
wine_lib=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
export windows_run=$wine_lib/windows-run in_wine=$wine_lib/in-wine

# The machine field of a PE file's header: 8664 for x64, 014c for x86, aa64
# for ARM64.
pe_machine() {
    local pe_header
    pe_header=$(od -An -tu4 -j60 -N4 "$1" | tr -d ' ')
    od -An -tx2 -j$((pe_header + 4)) -N2 "$1" | tr -d ' '
}

# A prefix made before Wine's 32-bit half was installed has no 32-bit system
# directory, and Wine can then start no program in it at all; one made before
# it had its own font folder draws no bold (wine-prefix.sh). Either is made
# anew.
wine_prefix_ready() {
    [ -f "$1/ready" ] && [ -d "$1/fonts" ] &&
        { [ -d "$1/drive_c/windows/syswow64" ] || [ ! -x /usr/lib/wine/wine ]; }
}
