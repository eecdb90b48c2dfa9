# Sourced by everything that runs Wine: no debug output, no offer to install
# Mono or Gecko, no menu entries on the host's desktop; and the one way to
# start a Windows program, with the Wine loader of its own bitness.
#
# Where MOXVANE_ARM64_WINE names scripts/arm64-wine.sh, Wine and its tools are
# those of the arm64 Debian that runs ARM64 programs on this machine:
# wineboot, wineserver and windows_run below run there.
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

# The machine field of a PE file's header: 8664 for x64, 014c for x86, aa64
# for ARM64.
pe_machine() {
    pe_header=$(od -An -tu4 -j60 -N4 "$1" | tr -d ' ')
    od -An -tx2 -j$((pe_header + 4)) -N2 "$1" | tr -d ' '
}

# Once Wine's 32-bit half is installed, Debian's `wine` starts every program
# through the 32-bit loader, and a 64-bit program started that way loses its
# virtual desktop. So 32-bit programs get the 32-bit loader, and 64-bit ones
# and Wine's own tools (reg, explorer) the 64-bit one.
wine_loader() {
    if [ -f "$1" ] && [ "$(pe_machine "$1")" = 014c ]; then
        echo /usr/lib/wine/wine
    else
        echo /usr/lib/wine/wine64
    fi
}

# Runs a command here, or in the arm64 Debian.
in_wine_system() {
    if [ -n "${MOXVANE_ARM64_WINE:-}" ]; then
        "$MOXVANE_ARM64_WINE" run "$@"
    else
        command "$@"
    fi
}
wineboot() { in_wine_system wineboot "$@"; }
wineserver() { in_wine_system wineserver "$@"; }

# Runs a Windows program or one of Wine's tools. The programs it starts get
# the loader of their own bitness too (Wine derives theirs from WINELOADER).
windows_run() {
    windows_loader=$(wine_loader "$1")
    in_wine_system env WINELOADER="$windows_loader" "$windows_loader" "$@"
}

# True where Wine can start 32-bit programs: its 32-bit half is installed and
# the kernel runs x86 code.
wine_runs_x86() {
    /usr/lib/wine/wine --version >/dev/null 2>&1
}

# A prefix made before Wine's 32-bit half was installed has no 32-bit system
# directory, and Wine can then start no program in it at all; one made before
# it had its own font folder draws no bold (wine-prefix.sh). Either is made
# anew.
wine_prefix_ready() {
    [ -f "$1/ready" ] && [ -d "$1/fonts" ] &&
        { [ -d "$1/drive_c/windows/syswow64" ] || [ ! -x /usr/lib/wine/wine ]; }
}
