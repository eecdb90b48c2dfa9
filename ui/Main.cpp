// Start-up: harden the process, declare DPI awareness, show Form1, run it
// until it closes.
#include <windows.h>

#include "ui/Form1.h"

namespace {

// DLLs that the system loads on the program's behalf come from the system
// directory only, never from beside the program or the current directory; and
// a corrupted heap ends the process instead of being used. The DLL search
// call is looked up at run time: Windows 7 has it only with an update.
void HardenProcess() {
    HeapSetInformation(nullptr, HeapEnableTerminationOnCorruption, nullptr, 0);
    using SetDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);
    const auto setDefaultDllDirectories =
        reinterpret_cast<SetDllDirectoriesFunction>(reinterpret_cast<void*>(
            GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")));
    if (setDefaultDllDirectories != nullptr) {
        setDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    }
}

int ScreenDpi() {
    const HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    HardenProcess();
    SetProcessDPIAware();
    const HWND form = ui::CreateForm1(instance, ScreenDpi());
    int exitCode = 1;
    if (form != nullptr) {
        ShowWindow(form, SW_SHOWNORMAL);
        exitCode = ui::RunForm1(form);
    }
    return exitCode;
}
