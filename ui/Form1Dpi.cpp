#include "ui/Form1Dpi.h"

#include "platform/SystemFunction.h"
#include "ui/Form1Layout.h"

namespace ui {
namespace {

// Windows 10's DPI functions; null before it.
struct User32Functions {
    BOOL(WINAPI* adjustForDpi)(RECT*, DWORD, BOOL, DWORD, UINT);
    DPI_AWARENESS_CONTEXT(WINAPI* contextOf)(HWND);
    BOOL(WINAPI* contextsEqual)(DPI_AWARENESS_CONTEXT, DPI_AWARENESS_CONTEXT);
    UINT(WINAPI* dpiForWindow)(HWND);
};

bool BindUser32(User32Functions& functions) noexcept {
    using platform::Bind;
    const HMODULE dll = GetModuleHandleW(L"user32.dll");
    Bind(dll, "AdjustWindowRectExForDpi", functions.adjustForDpi);
    Bind(dll, "GetWindowDpiAwarenessContext", functions.contextOf);
    Bind(dll, "AreDpiAwarenessContextsEqual", functions.contextsEqual);
    Bind(dll, "GetDpiForWindow", functions.dpiForWindow);
    return true;
}

const User32Functions& User32() {
    return platform::BoundOnce<User32Functions, BindUser32>();
}

// Windows 8.1's, in shcore.dll: loaded only where Windows 10's are missing.
// Windows 7 has no shcore.dll at all, so a failed load is the final answer.
struct ShcoreFunctions {
    HRESULT(WINAPI* processAwareness)(HANDLE, int*);
    HRESULT(WINAPI* dpiForMonitor)(HMONITOR, int, UINT*, UINT*);
};

bool BindShcore(ShcoreFunctions& functions) noexcept {
    using platform::Bind;
    const HMODULE dll = platform::LoadSystemLibrary(L"shcore.dll");
    Bind(dll, "GetProcessDpiAwareness", functions.processAwareness);
    Bind(dll, "GetDpiForMonitor", functions.dpiForMonitor);
    return true;
}

const ShcoreFunctions& Shcore() {
    return platform::BoundOnce<ShcoreFunctions, BindShcore>();
}

int SystemDpi() {
    const HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi;
}

// The frame of the mode around `client`: scaled to `dpi` under per-monitor v2.
RECT WithFrame(RECT client, int dpi, DpiMode mode) {
    const auto adjustForDpi = User32().adjustForDpi;
    if (mode == DpiMode::PerMonitorV2 && adjustForDpi != nullptr) {
        adjustForDpi(&client, FORM1_STYLE, FALSE, 0, static_cast<UINT>(dpi));
    } else {
        AdjustWindowRectEx(&client, FORM1_STYLE, FALSE, 0);
    }
    return client;
}

}  // namespace

DpiMode DpiModeOf(HWND window) noexcept {
    const User32Functions& user32 = User32();
    if (user32.contextOf != nullptr && user32.contextsEqual != nullptr) {
        const DPI_AWARENESS_CONTEXT context = user32.contextOf(window);
        if (user32.contextsEqual(context, DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2)) {
            return DpiMode::PerMonitorV2;
        }
        return user32.contextsEqual(context, DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE)
                   ? DpiMode::PerMonitor
                   : DpiMode::SystemAware;
    }
    const auto processAwareness = Shcore().processAwareness;
    const int perMonitor = 2;  // PROCESS_PER_MONITOR_DPI_AWARE
    int awareness = 0;
    return processAwareness != nullptr && SUCCEEDED(processAwareness(nullptr, &awareness)) &&
                   awareness == perMonitor
               ? DpiMode::PerMonitor
               : DpiMode::SystemAware;
}

int MonitorDpiOf(HWND window) noexcept {
    const auto dpiForWindow = User32().dpiForWindow;
    if (dpiForWindow != nullptr) {
        return static_cast<int>(dpiForWindow(window));
    }
    const auto dpiForMonitor = Shcore().dpiForMonitor;
    const int effectiveDpi = 0;  // MDT_EFFECTIVE_DPI
    UINT dpiX = 0;
    UINT dpiY = 0;
    if (dpiForMonitor != nullptr &&
        SUCCEEDED(dpiForMonitor(MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), effectiveDpi,
                                &dpiX, &dpiY))) {
        return static_cast<int>(dpiY);
    }
    return SystemDpi();
}

SIZE Form1WindowSize(int dpi, DpiMode mode) noexcept {
    const RECT client{0, 0, ScaleTwips(FORM1_CLIENT_WIDTH, dpi),
                      ScaleTwips(FORM1_CLIENT_HEIGHT, dpi)};
    const RECT window = WithFrame(client, dpi, mode);
    return {window.right - window.left, window.bottom - window.top};
}

RECT Form1RectForDpiChange(int dpi, const RECT& suggested, DpiMode mode) noexcept {
    if (mode == DpiMode::PerMonitorV2) {
        return suggested;
    }
    const SIZE size = Form1WindowSize(dpi, mode);
    return {suggested.left, suggested.top, suggested.left + size.cx, suggested.top + size.cy};
}

}  // namespace ui
