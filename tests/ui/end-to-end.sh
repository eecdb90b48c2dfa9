#!/usr/bin/env bash
# Operates the built Moxvane.exe in a fresh Wine prefix as a person would:
# real key presses and mouse clicks through the X server, the message boxes
# read by a probe program, the registry read back by Wine's own reg tool.
# It has an X server of its own, so no other test's window can take a click.
# The program may be the x64, x86 or ARM64 build; the value is read back by the
# reg tool of the Wine that runs it. HKCU\Software is one key in both
# registry views, so the x86 program's value is the one the player reads.
# Usage: end-to-end.sh MOXVANE_EXE PROBE_EXE PLANTED_DLL WORK_DIR
set -euo pipefail
shopt -s inherit_errexit
program=$1 probe=$2 planted=$3 work=$4
here=$(cd "$(dirname "$0")" && pwd)
lib=$(cd "$here/../../scripts/lib" && pwd)
xvfb=$lib/xvfb
export WINEPREFIX=$work/prefix
# shellcheck source=wine-environment.sh
source "$lib/wine-environment.sh"
# shellcheck source=command.sh
source "$lib/command.sh"

readonly PREFERENCES='Software\Microsoft\MediaPlayer\Preferences'
readonly APPLIED=$'Success! --> WMP Scripting disabled
Scripting in WMP has been disabled for the current user! Re-run this program for every additional user on this computer to disable scripting for everyone.
modal'
readonly UNDONE=$'Scripting re-enabled in WMP.
Scripting in WMP has been re-enabled for the current user.
modal'
readonly APPLY_FAILED=$'Error
There was an error creating the registry key - scripting in WMP is NOT disabled.
modal'
failures=0

# Runs a Windows program; its output goes through a file, as Wine's services
# keep a pipe open long after the program ends.
windows() {
    local status=0
    "$windows_run" "$@" >"$work/output" 2>&1 </dev/null || status=$?
    tr -d '\r' <"$work/output"
    return "$status"
}
probe() { windows "$work/WindowProbe.exe" "$@"; }

expect() {
    if [ "$2" == "$3" ]; then
        echo "ok: $1"
    else
        printf 'FAILED: %s\n  expected: %s\n  actual:   %s\n' "$1" "$2" "$3"
        failures=$((failures + 1))
    fi
}

press() { xdotool key --delay 50 "$@"; }
click_at() { xdotool mousemove --window "$desktop" "$1" "$2" click 1; }
# The centre of a screen rectangle "left top right bottom".
click_rect() {
    local left top right bottom
    read -r left top right bottom <<<"$1"
    click_at $(((left + right) / 2)) $(((top + bottom) / 2))
}
click_control() { click_rect "$(probe rect "$1")"; }
click_box_ok() { click_rect "$(probe box-rect 1)"; }

# Wine's own reg tool runs as a 64-bit program.
stored_value() {
    local value=absent
    if "$windows_run" reg query "HKCU\\$PREFERENCES" /v PlayerScriptCommandsEnabled \
        >"$work/output" 2>&1 </dev/null; then
        value=$(tr -d '\r' <"$work/output" | grep -o 'PlayerScriptCommandsEnabled.*' | tr -s ' ')
    fi
    echo "$value"
}

# Checks the box that the last action opened, then closes it with the
# command given third, as a person would (a key or a click).
expect_box() {
    expect "$1: message box" "$2" "$(probe box)"
    $3
    probe box-closed >/dev/null
}

# Starts Moxvane.exe from the directory given (the work directory by default).
start_program() {
    (cd "${1:-$work}" && "$windows_run" Moxvane.exe >/dev/null 2>&1 </dev/null) &
    program_pid=$!
    probe form >/dev/null
    desktop=$(xdotool search --sync --name 'Wine desktop' | head -1)
    xdotool windowfocus --sync "$desktop"
}

expect_program_ends() {
    local ended=no
    for _ in $(seq 100); do
        kill -0 "$program_pid" 2>/dev/null || { ended=yes; break; }
        sleep 0.1
    done
    expect "$1" yes "$ended"
}

pixel() { convert "$work/screen.png" -format "%[hex:p{$1,$2}]" info:; }

expect_labels_in_window_colour() {
    import -window "$desktop" "$work/screen.png"
    local left top right bottom
    read -r left top right bottom <<<"$(probe rect 1011)"
    expect "Label1 background" E0E0E0 "$(pixel $((right - 3)) $((top + 3)))"
    read -r left top right bottom <<<"$(probe rect 1014)"
    expect "Label4 background" E0E0E0 "$(pixel $((left + 3)) $((top + 3)))"
    read -r left top right bottom <<<"$(probe rect 1003)"
    expect "window background" E0E0E0 "$(pixel $((left - 4)) $((top + 4)))"
}

# The text of a screen area "left top right bottom": the WCAG contrast ratio
# between the colour that stands out most from the area's most frequent
# colour and that colour, then the two colours, as "RATIO TEXT BACKGROUND".
text_on_screen() {
    local left top right bottom
    read -r left top right bottom <<<"$1"
    convert "$work/screen.png" -crop "$((right - left))x$((bottom - top))+$left+$top" \
        -format %c histogram:info:- |
        awk '
        function channel(c) { c /= 255; return c <= 0.04045 ? c / 12.92 : ((c + 0.055) / 1.055) ^ 2.4 }
        # "count: (red,green,blue...) #RRGGBB ..." as the colour, its luminance and count
        {
            count = $1 + 0
            match($0, /#[0-9A-F]+/)
            hex[NR] = substr($0, RSTART + 1, 6)
            match($0, /\([^)]*\)/)
            split(substr($0, RSTART + 1, RLENGTH - 2), rgb, ",")
            l = 0.2126 * channel(rgb[1]) + 0.7152 * channel(rgb[2]) + 0.0722 * channel(rgb[3])
            luminance[NR] = l + 0.05
            if (count > most) { most = count; background = l + 0.05; fill = hex[NR] }
        }
        END {
            best = 1
            for (i in luminance) {
                r = luminance[i] > background ? luminance[i] / background : background / luminance[i]
                if (r > best) { best = r; text = hex[i] }
            }
            printf "%.1f %s %s\n", best, text, fill
        }'
}

prepare_prefix() {
    rm -rf "$work"
    mkdir -p "$work"
    on_exit "$xvfb" "$work" stop
    on_exit "$in_wine" wineserver -k
    "$xvfb" "$work" start
    DISPLAY=:$(cat "$work/xvfb.display")
    export DISPLAY
    cp "$program" "$work/Moxvane.exe"
    cp "$probe" "$work/WindowProbe.exe"
    cd "$work"  # no reg.exe here to shadow Wine's own
    "$lib/wine-prefix" "$WINEPREFIX"
    "$in_wine" wineserver -p
    # One virtual desktop window holds the program, its boxes and the focus.
    windows reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null
    windows reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 800x600 /f >/dev/null
}

keyboard_session() {
    expect "client size at 96 DPI" 434x252 "$(probe form)"
    expect "focus at start" 1001 "$(probe focus)"
    press Escape Return
    expect "Esc and Enter run nothing" 0 "$(probe no-box >/dev/null; echo $?)"
    press Tab
    expect "Tab moves to Command2" 1002 "$(probe focus)"
    press Return
    expect "Enter after Tab runs nothing" 0 "$(probe no-box >/dev/null; echo $?)"
    press shift+Tab
    expect "Shift+Tab moves back to Command1" 1001 "$(probe focus)"

    press space
    expect_box "Space on Command1" "$APPLIED" "press Return"
    expect "value after apply" "PlayerScriptCommandsEnabled REG_DWORD 0x0" "$(stored_value)"
    expect "focus back after the box" 1001 "$(probe focus)"
    press space
    expect_box "Space again after the box" "$APPLIED" click_box_ok
    press Tab space
    expect_box "Space on Command2" "$UNDONE" "press space"
    expect "value after undo" absent "$(stored_value)"
    press Tab Tab
    expect "Tab cycles between the two buttons" 1002 "$(probe focus)"
}

mouse_session() {
    click_control 1001
    expect_box "click on Command1" "$APPLIED" click_box_ok
    expect "a click focuses Command1" 1001 "$(probe focus)"
    click_control 1002
    expect_box "click on Command2" "$UNDONE" click_box_ok
    expect "value after clicks" absent "$(stored_value)"
    click_control 1014
    expect "a click on a label runs nothing" 0 "$(probe no-box >/dev/null; echo $?)"
}

access_denied_session() {
    probe lock "$PREFERENCES"
    press shift+Tab
    expect "focus before the denied apply" 1001 "$(probe focus)"
    press space
    expect_box "apply on a read-only key" "$APPLY_FAILED" "press Return"
    expect "value after a denied apply" absent "$(stored_value)"
}

high_dpi_session() {
    windows reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f >/dev/null
    start_program
    expect "client size at 144 DPI" 651x378 "$(probe form)"
    local left top right bottom
    read -r left top right bottom <<<"$(probe rect 1001)"
    expect "Command1 size at 144 DPI" 338x38 "$((right - left))x$((bottom - top))"
    press alt+F4
    expect_program_ends "Alt+F4 at 144 DPI ends the program"
}

# A dark scheme whose white control text cannot be read on the grey: the
# labels must take the scheme's pair for text on a window (yellow on black,
# not the buttons' white on purple) and stay readable on the screen.
dark_scheme_session() {
    windows reg import "$here/dark-scheme.reg" >/dev/null
    start_program
    local label rect contrast colour background readable
    for label in 1012 1013 1014; do
        rect=$(probe rect $label)
        # The window shows before it has painted: grab again until the
        # text is there, for a few seconds at most.
        for _ in $(seq 20); do
            import -window "$desktop" "$work/screen.png"
            read -r contrast colour background <<<"$(text_on_screen "$rect")"
            readable=$(awk -v c="$contrast" 'BEGIN { print (c >= 4.5) ? "yes" : "no" }')
            [ "$readable" = no ] || break
            sleep 0.25
        done
        expect "label $label readable in a dark scheme (contrast $contrast)" yes "$readable"
        expect "label $label on the scheme's window colour" 000000 "$background"
        expect "label $label in the scheme's window text colour" FFFF00 "$colour"
    done
    press alt+F4
    expect_program_ends "Alt+F4 in a dark scheme"
}

# DLLs put beside the program, under every name that it, its start-up or the
# system on its behalf could look for there: the DLLs it loads itself, the
# random source's, the ones that windows and message boxes bring, and the GCC
# runtime's; and a Moxvane.exe.manifest that redirects all of them to that
# folder, which would be obeyed over the DLL search if the program had no
# manifest of its own. Wine is told to prefer such files to its own. Left out:
# - version and imm32, which Wine's own user32 loads by itself (Windows' does
#   not);
# - the DLLs the program imports (advapi32, gdi32, kernel32, msvcrt, user32):
#   Windows always takes these KnownDLLs from the system directory, Wine does
#   not, and loads a planted one; the image test checks that every import is
#   a KnownDLL instead.
readonly PLANTED_NAMES='oleaut32 shcore cryptbase bcrypt bcryptprimitives rsaenh uxtheme dwmapi
comctl32 msimg32 riched20 libgcc_s_seh-1 libgcc_s_dw2-1 libstdc++-6 libwinpthread-1'

planted_dll_session() {
    local folder=$work/downloads name overrides=
    mkdir -p "$folder"
    cp "$work/Moxvane.exe" "$folder/"
    local manifest='<assembly xmlns="urn:schemas-microsoft-com:asm.v1" manifestVersion="1.0">'
    manifest+='<assemblyIdentity type="win32" name="Planted" version="1.0.0.0"/>'
    for name in $PLANTED_NAMES; do
        cp "$planted" "$folder/$name.dll"
        overrides+="$name,"
        manifest+="<file name=\"$name.dll\"/>"
    done
    echo "$manifest</assembly>" >"$folder/Moxvane.exe.manifest"
    WINEDLLOVERRIDES="$WINEDLLOVERRIDES;${overrides%,}=n,b" start_program "$folder"
    press space
    expect_box "apply beside planted DLLs" "$APPLIED" "press Return"
    press Tab space
    expect_box "undo beside planted DLLs" "$UNDONE" "press Return"
    press alt+F4
    expect_program_ends "Alt+F4 beside planted DLLs"
    expect "no planted DLL loaded, also through a planted manifest" "" \
        "$(find "$folder" -maxdepth 1 -name '*.loaded' -printf '%f ')"
}

prepare_prefix
echo "program: $(pe_machine "$program" | sed 's/8664/x64/; s/014c/x86/; s/aa64/ARM64/')"
planted_dll_session
start_program
keyboard_session
mouse_session
expect_labels_in_window_colour
access_denied_session
press alt+F4
expect_program_ends "Alt+F4 ends the program"
high_dpi_session
dark_scheme_session

echo "$failures failed"
[ "$failures" -eq 0 ]
