// Start-up: declare DPI awareness, show Form1, run it until it closes. The
// process was hardened before, with its stack canary (platform/StackGuard.cpp).
#include <windows.h>

#include "platform/ProcessHardening.h"
#include "ui/Form1.h"
#include "ui/Form1Dpi.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
#ifdef _MSC_VER
    platform::HardenProcess();  // GCC and clang builds did it with their canary
#endif
    ui::DeclareDpiAwareness();
    const HWND form = ui::CreateForm1(instance);
    int exitCode = 1;
    if (form != nullptr) {
        ShowWindow(form, SW_SHOWNORMAL);
        exitCode = ui::RunForm1(form);
    }
    return exitCode;
}
