// Stands in for a DLL that someone put beside the program under a name the
// program or its start-up might load. Once loaded it leaves a file named
// after itself with ".loaded" added, so the end-to-end test sees that it was.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, void*) {
    if (reason == DLL_PROCESS_ATTACH) {
        wchar_t marker[MAX_PATH + 8];
        const DWORD length = GetModuleFileNameW(self, marker, MAX_PATH);
        if (length > 0 && length < MAX_PATH) {
            lstrcpyW(marker + length, L".loaded");
            CloseHandle(CreateFileW(marker, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        }
    }
    return TRUE;
}
