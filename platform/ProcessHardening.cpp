#include "platform/ProcessHardening.h"

#include <windows.h>

#include "platform/SystemFunction.h"

namespace platform {

bool HardenProcess() noexcept {
    HeapSetInformation(nullptr, HeapEnableTerminationOnCorruption, nullptr, 0);
    const auto setDefaultDllDirectories = LookUpSystemFunction<BOOL(WINAPI*)(DWORD)>(
        GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories");
    return setDefaultDllDirectories != nullptr &&
           setDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32) != FALSE;
}

}  // namespace platform
