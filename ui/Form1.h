// The program's one window: the explanation, the icon and the two buttons.
#pragma once

#include <windows.h>

#include "ui/Form1Dpi.h"

namespace ui {

// Control identifiers. 1 and 2 are avoided: the dialog manager sends IDOK and
// IDCANCEL for Enter and Esc, which must not reach the buttons.
inline constexpr int ID_COMMAND1 = 1001;
inline constexpr int ID_COMMAND2 = 1002;
inline constexpr int ID_IMAGE1 = 1003;
inline constexpr int ID_LABEL1 = 1011;
inline constexpr int ID_LABEL2 = 1012;
inline constexpr int ID_LABEL3 = 1013;
inline constexpr int ID_LABEL4 = 1014;
inline constexpr int ID_LABEL5 = 1015;

// Creates Form1 (hidden), centred on the screen, laid out for the DPI of the
// monitor it appears on and framed as its DPI mode has it. Null, with nothing
// of it left, where any control, font or brush of it cannot be made.
HWND CreateForm1(HINSTANCE instance) noexcept;

// The same for a given DPI and DPI mode.
HWND CreateForm1(HINSTANCE instance, int dpi, DpiMode mode) noexcept;

// Gives a keyboard message to the dialog manager, so Tab, Shift+Tab and Space
// have their usual meaning while Enter and Esc do nothing. True when handled.
bool HandleDialogKey(HWND form, MSG& message) noexcept;

// Runs the window's message loop until it closes; returns the exit code.
int RunForm1(HWND form) noexcept;

}  // namespace ui
