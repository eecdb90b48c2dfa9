# shellcheck shell=bash
# Sourced by everything that runs Wine: no debug output, no offer to install
# Mono or Gecko, no menu entries on the host's desktop; and where the commands
# that start Windows programs and Wine's tools are:
#   "$windows_run" PROGRAM [ARG...]   a Windows program or one of Wine's own
#                                     (reg, explorer, wineboot)
#   "$in_wine" wineserver ...         one of Wine's host tools
# Where MOXVANE_FOREIGN_WINE names an architecture (i386, arm64), both run in
# the Debian of that architecture that scripts/foreign-wine.sh makes; else in
# this machine's 64-bit Wine.
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
wine_lib=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
export windows_run=$wine_lib/windows-run in_wine=$wine_lib/in-wine

# The Wine loader of the Debian named (i386, arm64, or empty for this
# machine's): the i386 one has only the 32-bit loader. This machine's is always the 64-bit one:
# its 32-bit half, where an older set-up installed it, may be one that the
# kernel cannot start.
wine_loader() {
    if [ "$1" = i386 ]; then
        echo /usr/lib/wine/wine
    else
        echo /usr/lib/wine/wine64
    fi
}

# An unsigned little-endian number of SIZE (2 or 4) bytes at OFFSET of FILE.
number_at() {
    od -An -tu"$3" -j"$2" -N"$3" "$1" | tr -d ' '
}

# The machine field of a PE file's header: 8664 for x64, 014c for x86, aa64
# for ARM64.
pe_machine() {
    local pe_header
    pe_header=$(number_at "$1" 60 4)
    printf '%04x\n' "$(number_at "$1" $((pe_header + 4)) 2)"
}

# A prefix is made by one Wine (its ready file names it) and works only with
# that one; one made before it had its own font folder draws no bold
# (wine-prefix). Either is made anew.
wine_prefix_ready() {
    [ "$(cat "$1/ready" 2>/dev/null)" = "${MOXVANE_FOREIGN_WINE:-amd64}" ] && [ -d "$1/fonts" ]
}
