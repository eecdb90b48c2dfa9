// Recognising and finding the platform's message boxes among top-level windows.
#pragma once

#include <windows.h>

namespace testing_support {

// Message boxes are dialogs: windows of the class "#32770".
inline bool IsMessageBox(HWND window) {
    wchar_t className[16] = L"";
    return GetClassNameW(window, className, 16) != 0 && lstrcmpW(className, L"#32770") == 0;
}

template <typename Accept>
struct MessageBoxSearch {
    Accept& accept;
    HWND box;

    // An enumeration callback, with the platform's calling convention.
    static BOOL CALLBACK Visit(HWND window, LPARAM param) {
        auto& search = *reinterpret_cast<MessageBoxSearch*>(param);
        if (IsMessageBox(window) && IsWindowVisible(window) && search.accept(window)) {
            search.box = window;
            return FALSE;
        }
        return TRUE;
    }
};

// The first visible message box for which `accept(box)` holds, or null.
template <typename Accept>
HWND FindMessageBox(Accept accept) {
    MessageBoxSearch<Accept> search{accept, nullptr};
    EnumWindows(&MessageBoxSearch<Accept>::Visit, reinterpret_cast<LPARAM>(&search));
    return search.box;
}

}  // namespace testing_support
