// Start-up: harden the process, declare DPI awareness, show Form1, run it
// until it closes.
#include <windows.h>

#include "ui/Form1.h"
#include "registry/SystemFunction.h"

namespace {

// DLLs that the system loads on the program's behalf come from the system
// directory only, never from beside the program or the current directory; and
// a corrupted heap ends the process instead of being used. Windows 7 has the
// DLL search call only with an update.
void HardenProcess() {
    HeapSetInformation(nullptr, HeapEnableTerminationOnCorruption, nullptr, 0);
    const auto setDefaultDllDirectories = modRegistry::LookUpSystemFunction<BOOL(WINAPI*)(DWORD)>(
        GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories");
    if (setDefaultDllDirectories != nullptr) {
        setDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    }
}

// The window draws itself for the DPI of the monitor it is on, and the system
// tells it when that changes: per-monitor v2 (Windows 10 1703), else per
// monitor (Windows 8.1), else the system DPI (Windows 7).
void DeclareDpiAwareness() {
    const auto setContext = modRegistry::LookUpSystemFunction<BOOL(WINAPI*)(HANDLE)>(
        GetModuleHandleW(L"user32.dll"), "SetProcessDpiAwarenessContext");
    const auto perMonitorV2 = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-4));
    if (setContext != nullptr && setContext(perMonitorV2)) {
        return;
    }
    const auto setAwareness = modRegistry::LookUpSystemFunction<HRESULT(WINAPI*)(int)>(
        modRegistry::LoadSystemLibrary(L"shcore.dll"), "SetProcessDpiAwareness");
    const int perMonitor = 2;
    if (setAwareness != nullptr && SUCCEEDED(setAwareness(perMonitor))) {
        return;
    }
    SetProcessDPIAware();
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
    DeclareDpiAwareness();
    const HWND form = ui::CreateForm1(instance, ScreenDpi());
    int exitCode = 1;
    if (form != nullptr) {
        ShowWindow(form, SW_SHOWNORMAL);
        exitCode = ui::RunForm1(form);
    }
    return exitCode;
}
