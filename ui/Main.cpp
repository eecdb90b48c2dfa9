// Start-up: declare DPI awareness, show Form1, run it until it closes.
#include <windows.h>

#include "ui/Form1.h"

namespace {

int ScreenDpi() {
    const HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    SetProcessDPIAware();
    const HWND form = ui::CreateForm1(instance, ScreenDpi());
    int exitCode = 1;
    if (form != nullptr) {
        ShowWindow(form, SW_SHOWNORMAL);
        exitCode = ui::RunForm1(form);
    }
    return exitCode;
}
