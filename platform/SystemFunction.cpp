#include "platform/SystemFunction.h"

namespace platform {

HMODULE LoadSystemLibrary(const wchar_t* name) noexcept {
    wchar_t path[MAX_PATH];
    UINT length = GetSystemDirectoryW(path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return nullptr;
    }
    path[length++] = L'\\';
    for (; *name != L'\0'; ++name) {
        if (length + 1 >= MAX_PATH) {
            return nullptr;
        }
        path[length++] = *name;
    }
    path[length] = L'\0';
    // With a full path, the DLL's own imports are looked for in its
    // directory first rather than beside the program.
    return LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

}  // namespace platform
