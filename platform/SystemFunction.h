// Calls into system functions that not every supported Windows version has,
// or that live in a DLL loaded only when needed. Used by start-up, the window
// and the registry routines.
#pragma once

#include <windows.h>

namespace platform {

// Loads a DLL of the system directory by its full path, and the DLLs it needs
// from beside it, so no other directory is searched for any of them, on every
// supported Windows version. Null where the system has no such DLL.
HMODULE LoadSystemLibrary(const wchar_t* name) noexcept;

// The named export of a loaded system DLL as a typed function pointer, or
// null where this Windows version lacks it (or the DLL is not loaded).
template <typename Function>
Function LookUpSystemFunction(HMODULE dll, const char* name) noexcept {
    if (dll == nullptr) {
        return nullptr;
    }
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(dll, name)));
}

}  // namespace platform
