#include "registry/SystemFunction.h"

namespace modRegistry {

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
    return LoadLibraryW(path);
}

}  // namespace modRegistry
