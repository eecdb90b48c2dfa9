// The two things the program does for its user: switch script commands in
// media files off for the current user, and switch them back on.
#pragma once

#include <windows.h>

namespace actions {

// What a finished action tells the user.
struct FixMessage {
    const wchar_t* title;
    const wchar_t* text;
};

// Stores PlayerScriptCommandsEnabled = DWORD 0 and says whether that worked.
FixMessage ApplyFix() noexcept;
// Deletes PlayerScriptCommandsEnabled and says whether that worked.
FixMessage UndoFix() noexcept;

// The buttons' handlers: run the action, then report it in a message box that
// is modal to `owner`.
void Command1_Click(HWND owner) noexcept;
void Command2_Click(HWND owner) noexcept;

}  // namespace actions
