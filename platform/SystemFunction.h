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

// Sets `function` to the named export, as LookUpSystemFunction finds it.
template <typename Function>
void Bind(HMODULE dll, const char* name, Function& function) noexcept {
    function = LookUpSystemFunction<Function>(dll, name);
}

template <typename Functions, bool (*BindAll)(Functions&) noexcept>
BOOL CALLBACK RunBindAll(INIT_ONCE*, void* functions, void**) noexcept {
    return BindAll(*static_cast<Functions*>(functions)) ? TRUE : FALSE;
}

// A struct of function pointers that BindAll fills, once per process,
// whichever thread asks first: a DLL it loads stays loaded, with one
// reference, and no caller looks a function up again. BindAll returns false
// where the answer may change (a DLL that failed to load): the next caller
// then binds again.
template <typename Functions, bool (*BindAll)(Functions&) noexcept>
const Functions& BoundOnce() noexcept {
    static INIT_ONCE once = INIT_ONCE_STATIC_INIT;
    static Functions functions{};
    InitOnceExecuteOnce(&once, RunBindAll<Functions, BindAll>, &functions, nullptr);
    return functions;
}

}  // namespace platform
