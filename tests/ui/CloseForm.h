// Ends a Form1 made by a test.
#pragma once

#include <windows.h>

namespace testing_support {

// Closing Form1 ends the program's loop with WM_QUIT; take it off this
// thread's queue, or the next test's message box would end at once.
inline void CloseForm(HWND form) {
    DestroyWindow(form);
    MSG quit;
    PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
}

}  // namespace testing_support
