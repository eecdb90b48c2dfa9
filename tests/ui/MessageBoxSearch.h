// Recognising and finding the platform's message boxes among top-level windows.
#pragma once

#include <windows.h>

namespace testing_support {

// Message boxes are dialogs: windows of the class "#32770".
inline bool IsMessageBox(HWND window) {
    wchar_t className[16] = L"";
    return GetClassNameW(window, className, 16) != 0 && lstrcmpW(className, L"#32770") == 0;
}

// The first visible message box for which `accept(box)` holds, or null.
template <typename Accept>
HWND FindMessageBox(Accept accept) {
    struct Search {
        Accept& accept;
        HWND box;
    } search{accept, nullptr};
    EnumWindows(
        [](HWND window, LPARAM param) -> BOOL {
            auto& found = *reinterpret_cast<Search*>(param);
            if (IsMessageBox(window) && IsWindowVisible(window) && found.accept(window)) {
                found.box = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.box;
}

}  // namespace testing_support
