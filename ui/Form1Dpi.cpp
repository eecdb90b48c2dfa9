#include "ui/Form1Dpi.h"

#include "platform/SystemFunction.h"
#include "ui/Form1Layout.h"

namespace ui {
namespace {

HMODULE User32() {
    return GetModuleHandleW(L"user32.dll");
}

// Windows 8.1's DPI functions; null before it.
HMODULE Shcore() {
    return platform::LoadSystemLibrary(L"shcore.dll");
}

int SystemDpi() {
    const HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi;
}

// The frame of the mode around `client`: scaled to `dpi` under per-monitor v2.
RECT WithFrame(RECT client, int dpi, DpiMode mode) {
    using AdjustForDpi = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
    const auto adjustForDpi =
        platform::LookUpSystemFunction<AdjustForDpi>(User32(), "AdjustWindowRectExForDpi");
    if (mode == DpiMode::PerMonitorV2 && adjustForDpi != nullptr) {
        adjustForDpi(&client, FORM1_STYLE, FALSE, 0, static_cast<UINT>(dpi));
    } else {
        AdjustWindowRectEx(&client, FORM1_STYLE, FALSE, 0);
    }
    return client;
}

}  // namespace

DpiMode DpiModeOf(HWND window) noexcept {
    const auto contextOf = platform::LookUpSystemFunction<DPI_AWARENESS_CONTEXT(WINAPI*)(HWND)>(
        User32(), "GetWindowDpiAwarenessContext");
    const auto equal =
        platform::LookUpSystemFunction<BOOL(WINAPI*)(DPI_AWARENESS_CONTEXT, DPI_AWARENESS_CONTEXT)>(
            User32(), "AreDpiAwarenessContextsEqual");
    if (contextOf != nullptr && equal != nullptr) {
        const DPI_AWARENESS_CONTEXT context = contextOf(window);
        if (equal(context, DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2)) {
            return DpiMode::PerMonitorV2;
        }
        return equal(context, DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE) ? DpiMode::PerMonitor
                                                                       : DpiMode::SystemAware;
    }
    const auto processAwareness = platform::LookUpSystemFunction<HRESULT(WINAPI*)(HANDLE, int*)>(
        Shcore(), "GetProcessDpiAwareness");
    const int perMonitor = 2;  // PROCESS_PER_MONITOR_DPI_AWARE
    int awareness = 0;
    return processAwareness != nullptr && SUCCEEDED(processAwareness(nullptr, &awareness)) &&
                   awareness == perMonitor
               ? DpiMode::PerMonitor
               : DpiMode::SystemAware;
}

int MonitorDpiOf(HWND window) noexcept {
    const auto dpiForWindow =
        platform::LookUpSystemFunction<UINT(WINAPI*)(HWND)>(User32(), "GetDpiForWindow");
    if (dpiForWindow != nullptr) {
        return static_cast<int>(dpiForWindow(window));
    }
    using DpiForMonitor = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
    const auto dpiForMonitor =
        platform::LookUpSystemFunction<DpiForMonitor>(Shcore(), "GetDpiForMonitor");
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
