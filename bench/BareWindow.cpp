// The floor for start-up time and size: the least a Win32 program does to
// show a window, built with the same compiler and flags as Moxvane. Started
// by the C run-time library (wWinMain) or, like Moxvane, by the system
// itself (StartBareWindow); the linker keeps only the one its build starts.
#include <windows.h>

namespace {

LRESULT CALLBACK BareProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

int ShowBareWindowUntilClosed(HINSTANCE instance) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = BareProc;
    windowClass.hInstance = instance;
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = L"BareWindow";
    RegisterClassW(&windowClass);
    const HWND window = CreateWindowExW(
        0, L"BareWindow", L"Bare", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, CW_USEDEFAULT,
        CW_USEDEFAULT, 440, 280, nullptr, nullptr, instance, nullptr);
    ShowWindow(window, SW_SHOWNORMAL);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    return ShowBareWindowUntilClosed(instance);
}

extern "C" [[noreturn]] void WINAPI StartBareWindow() {
    ExitProcess(static_cast<UINT>(ShowBareWindowUntilClosed(GetModuleHandleW(nullptr))));
}
