#include "ui/Form1.h"

#include "actions/FixActions.h"
#include "ui/Form1Colours.h"
#include "ui/Form1Layout.h"

namespace ui {
namespace {

constexpr const wchar_t* FORM1_CLASS = L"MoxvaneForm1";
constexpr int PROGRAM_ICON = 1;

// What the window keeps for its lifetime.
struct Form1State {
    int dpi;
    DpiMode mode;
    HFONT regularFont;
    HFONT boldFont;
    Form1Colours colours;
    HBRUSH background;  // in colours.background
    HICON icon;         // shared: owned by the system
    HWND focused;       // restored when the window is activated again, as dialogs do
};

Form1State* StateOf(HWND form) {
    return reinterpret_cast<Form1State*>(GetWindowLongPtrW(form, GWLP_USERDATA));
}

HFONT CreateTahoma(int centipoints, bool bold, int dpi) {
    return CreateFontW(-MulDiv(centipoints, dpi, 7200), 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE,
                       FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                       DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, FONT_FACE);
}

const wchar_t* ClassOf(ControlKind kind) {
    return kind == ControlKind::Button ? L"BUTTON" : L"STATIC";
}

DWORD StyleOf(ControlKind kind) {
    switch (kind) {
        case ControlKind::Button:
            return BS_PUSHBUTTON | WS_TABSTOP;
        case ControlKind::Picture:
            return SS_ICON | SS_CENTERIMAGE | SS_REALSIZEIMAGE;
        case ControlKind::CentredLabel:
            return SS_CENTER | SS_NOPREFIX;
        case ControlKind::Label:
            break;
    }
    return SS_LEFT | SS_NOPREFIX;
}

// Made in the order of FORM1_CONTROLS; LayOut places and sizes them.
bool CreateControl(HWND form, const ControlLayout& layout, HICON icon) {
    const HWND control = CreateWindowExW(
        0, ClassOf(layout.kind), layout.text, WS_CHILD | WS_VISIBLE | StyleOf(layout.kind), 0, 0, 0,
        0, form, reinterpret_cast<HMENU>(static_cast<INT_PTR>(layout.id)), nullptr, nullptr);
    if (layout.kind == ControlKind::Picture) {
        SendMessageW(control, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
    }
    return control != nullptr;
}

// The fonts for the window's current DPI, given to every control that shows
// text; those of an earlier DPI are freed once no control uses them. Where
// either cannot be made, the controls keep the fonts they have.
bool ChangeFonts(HWND form, Form1State& state) {
    const HFONT regular = CreateTahoma(FONT_REGULAR_CENTIPOINTS, false, state.dpi);
    const HFONT bold = CreateTahoma(FONT_BOLD_CENTIPOINTS, true, state.dpi);
    if (regular == nullptr || bold == nullptr) {
        DeleteObject(regular);
        DeleteObject(bold);
        return false;
    }
    for (const ControlLayout& layout : FORM1_CONTROLS) {
        if (layout.kind != ControlKind::Picture) {
            SendMessageW(GetDlgItem(form, layout.id), WM_SETFONT,
                         reinterpret_cast<WPARAM>(layout.bold ? bold : regular), TRUE);
        }
    }
    DeleteObject(state.regularFont);
    DeleteObject(state.boldFont);
    state.regularFont = regular;
    state.boldFont = bold;
    return true;
}

// The one layout of the window's contents, at its current DPI: every control's
// rectangle and font. False where the fonts cannot be made.
bool LayOut(HWND form, Form1State& state) {
    for (const ControlLayout& layout : FORM1_CONTROLS) {
        SetWindowPos(GetDlgItem(form, layout.id), nullptr, ScaleTwips(layout.left, state.dpi),
                     ScaleTwips(layout.top, state.dpi), ScaleTwips(layout.width, state.dpi),
                     ScaleTwips(layout.height, state.dpi), SWP_NOZORDER | SWP_NOACTIVATE);
    }
    return ChangeFonts(form, state);
}

// Chooses the colours for the system's current settings; false where the
// background brush cannot be made, and then the colours and brush stay as
// they were.
bool ChooseColours(Form1State& state) {
    const Form1Colours colours = CurrentForm1Colours();
    const HBRUSH background = CreateSolidBrush(colours.background);
    if (background == nullptr) {
        return false;
    }
    DeleteObject(state.background);
    state.background = background;
    state.colours = colours;
    return true;
}

// Screen readers walk the controls in z-order, which creation made the
// reverse of the page: each goes to the bottom in reading order instead.
void StackInReadingOrder(HWND form) {
    for (const int id : FORM1_READING_ORDER) {
        SetWindowPos(GetDlgItem(form, id), HWND_BOTTOM, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
}

// Every control and the background brush, or -1 and no window at all: the
// system then destroys the window with the controls made so far, and the
// state goes back to NewForm1, which frees it.
LRESULT OnCreate(HWND form, const CREATESTRUCTW& create) {
    auto* const state = static_cast<Form1State*>(create.lpCreateParams);
    for (const ControlLayout& layout : FORM1_CONTROLS) {
        if (!CreateControl(form, layout, state->icon)) {
            return -1;
        }
    }
    if (!ChooseColours(*state)) {
        return -1;
    }
    SetWindowLongPtrW(form, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state));
    StackInReadingOrder(form);
    // As dialogs do: the focus rectangle shows when the last input came from
    // the keyboard, as for a program started with Enter.
    SendMessageW(form, WM_CHANGEUISTATE, MAKEWPARAM(UIS_INITIALIZE, 0), 0);
    state->focused = GetDlgItem(form, ID_COMMAND1);
    return 0;
}

void OnCommand(HWND form, int id, int notification) {
    if (notification != BN_CLICKED) {
        return;
    }
    if (id == ID_COMMAND1) {
        actions::Command1_Click(form);
    } else if (id == ID_COMMAND2) {
        actions::Command2_Click(form);
    }
}

// Labels paint opaquely in the window's own colours.
LRESULT OnCtlColorStatic(HDC dc, const Form1State& state) {
    SetBkColor(dc, state.colours.background);
    SetTextColor(dc, state.colours.text);
    return reinterpret_cast<LRESULT>(state.background);
}

LRESULT OnEraseBackground(HWND form, HDC dc, const Form1State& state) {
    RECT client;
    GetClientRect(form, &client);
    FillRect(dc, &client, state.background);
    return 1;
}

// High contrast switched, or the system's colours changed: choose again and
// repaint the window with all its controls. Where no brush can be made for
// the new colours, the window keeps its old ones.
void OnColoursChanged(HWND form, Form1State& state) {
    if (!ChooseColours(state)) {
        return;
    }
    RedrawWindow(form, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

// Before a move to a monitor of another DPI (per-monitor v2 only): the
// window's size there, from which the system computes its suggestion.
LRESULT OnGetDpiScaledSize(int dpi, SIZE& size) {
    size = Form1WindowSize(dpi, DpiMode::PerMonitorV2);
    return TRUE;
}

// A window that is not per-monitor aware leaves the change to the system,
// which stretches its pixels: laying it out again would scale it twice.
LRESULT OnDpiChanged(HWND form, WPARAM wParam, LPARAM lParam, Form1State& state) {
    if (state.mode == DpiMode::SystemAware) {
        return DefWindowProcW(form, WM_DPICHANGED, wParam, lParam);
    }
    const int dpi = LOWORD(wParam);
    const RECT& suggested = *reinterpret_cast<const RECT*>(lParam);
    state.dpi = dpi;
    LayOut(form, state);  // where new fonts cannot be made, the old ones stay
    const RECT window = Form1RectForDpiChange(dpi, suggested, state.mode);
    SetWindowPos(form, nullptr, window.left, window.top, window.right - window.left,
                 window.bottom - window.top, SWP_NOZORDER | SWP_NOACTIVATE);
    return 0;
}

// As the dialog manager does: the focus goes back to the control that had it,
// but never while the window is minimized, where Space would click a button
// nobody sees.
void OnActivate(HWND form, bool active, bool minimized, Form1State& state) {
    if (active && !minimized) {
        SetFocus(state.focused);
    } else if (const HWND focus = GetFocus(); focus != nullptr && IsChild(form, focus)) {
        state.focused = focus;
    }
}

// From the process heap rather than operator new, which would bring the C++
// exception machinery into an otherwise exception-free program. Fonts and
// colours come with the window's layout.
Form1State* NewState(HICON icon) {
    auto* const state =
        static_cast<Form1State*>(HeapAlloc(GetProcessHeap(), 0, sizeof(Form1State)));
    if (state != nullptr) {
        *state = Form1State{0, DpiMode::SystemAware, nullptr, nullptr, {}, nullptr, icon, nullptr};
    }
    return state;
}

// The form itself was given the focus (restored from minimized, say): it
// passes it on to the saved control.
void OnSetFocus(HWND form, const Form1State& state) {
    if (!IsIconic(form)) {
        SetFocus(state.focused);
    }
}

void FreeState(Form1State* state) {
    DeleteObject(state->regularFont);
    DeleteObject(state->boldFont);
    DeleteObject(state->background);
    HeapFree(GetProcessHeap(), 0, state);
}

// The last message, after the controls are gone: only then may their fonts
// and the brush they paint with be freed.
void OnNcDestroy(HWND form, Form1State* state) {
    SetWindowLongPtrW(form, GWLP_USERDATA, 0);
    FreeState(state);
}

LRESULT CALLBACK Form1Proc(HWND form, UINT message, WPARAM wParam, LPARAM lParam) {
    Form1State* const state = StateOf(form);
    if (state == nullptr && message != WM_CREATE) {
        // Before the window is made, or after it is gone.
        return DefWindowProcW(form, message, wParam, lParam);
    }
    switch (message) {
        case WM_CREATE:
            return OnCreate(form, *reinterpret_cast<CREATESTRUCTW*>(lParam));
        case WM_COMMAND:
            OnCommand(form, LOWORD(wParam), HIWORD(wParam));
            return 0;
        case WM_CTLCOLORSTATIC:
            return OnCtlColorStatic(reinterpret_cast<HDC>(wParam), *state);
        case WM_ERASEBKGND:
            return OnEraseBackground(form, reinterpret_cast<HDC>(wParam), *state);
        case WM_SYSCOLORCHANGE:
        case WM_SETTINGCHANGE:
            OnColoursChanged(form, *state);
            return 0;
        case WM_GETDPISCALEDSIZE:
            return OnGetDpiScaledSize(static_cast<int>(wParam), *reinterpret_cast<SIZE*>(lParam));
        case WM_DPICHANGED:
            return OnDpiChanged(form, wParam, lParam, *state);
        case WM_ACTIVATE:
            OnActivate(form, LOWORD(wParam) != WA_INACTIVE, HIWORD(wParam) != 0, *state);
            return 0;
        case WM_SETFOCUS:
            OnSetFocus(form, *state);
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        case WM_NCDESTROY:
            OnNcDestroy(form, state);
            return DefWindowProcW(form, message, wParam, lParam);
        default:
            return DefWindowProcW(form, message, wParam, lParam);
    }
}

// The window paints its own background, in the colours it chose.
bool RegisterForm1Class(HINSTANCE instance, HICON icon) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    if (GetClassInfoExW(instance, FORM1_CLASS, &windowClass)) {
        return true;
    }
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = Form1Proc;
    windowClass.hInstance = instance;
    windowClass.hIcon = icon;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = FORM1_CLASS;
    return RegisterClassExW(&windowClass) != 0;
}

// The window with its controls and colours, hidden and not yet laid out, at
// the centre of the screen: on the monitor where it will appear.
HWND NewForm1(HINSTANCE instance) {
    const HICON icon = static_cast<HICON>(
        LoadImageW(instance, MAKEINTRESOURCEW(PROGRAM_ICON), IMAGE_ICON, 32, 32, LR_SHARED));
    Form1State* const state = NewState(icon);
    if (state == nullptr) {
        return nullptr;
    }
    HWND form = nullptr;
    if (RegisterForm1Class(instance, icon)) {
        form = CreateWindowExW(0, FORM1_CLASS, FORM1_CAPTION, FORM1_STYLE,
                               GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2,
                               0, 0, nullptr, nullptr, instance, state);
    }
    if (form == nullptr) {
        FreeState(state);
    }
    return form;
}

// Lays the window out for `dpi`, sizes it as `mode` has it and centres it;
// false where its fonts cannot be made.
bool Place(HWND form, Form1State& state, int dpi, DpiMode mode) {
    state.dpi = dpi;
    state.mode = mode;
    if (!LayOut(form, state)) {
        return false;
    }
    const SIZE size = Form1WindowSize(dpi, mode);
    SetWindowPos(form, nullptr, (GetSystemMetrics(SM_CXSCREEN) - size.cx) / 2,
                 (GetSystemMetrics(SM_CYSCREEN) - size.cy) / 2, size.cx, size.cy,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    return true;
}

// The new window placed, or destroyed where it cannot be: its state is taken
// back first, so that no quit message is posted for a window never shown.
HWND Placed(HWND form, int dpi, DpiMode mode) {
    Form1State* const state = StateOf(form);
    if (Place(form, *state, dpi, mode)) {
        return form;
    }
    SetWindowLongPtrW(form, GWLP_USERDATA, 0);
    DestroyWindow(form);
    FreeState(state);
    return nullptr;
}

}  // namespace

HWND CreateForm1(HINSTANCE instance) noexcept {
    const HWND form = NewForm1(instance);
    return form != nullptr ? Placed(form, MonitorDpiOf(form), DpiModeOf(form)) : nullptr;
}

HWND CreateForm1(HINSTANCE instance, int dpi, DpiMode mode) noexcept {
    const HWND form = NewForm1(instance);
    return form != nullptr ? Placed(form, dpi, mode) : nullptr;
}

bool HandleDialogKey(HWND form, MSG& message) noexcept {
    // Tab makes the dialog manager flag the focused push button as the
    // default, and Enter would then click it; no button here answers Enter.
    const bool enter = message.message == WM_KEYDOWN && message.wParam == VK_RETURN;
    return !enter && IsDialogMessageW(form, &message);
}

int RunForm1(HWND form) noexcept {
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (!HandleDialogKey(form, message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    return static_cast<int>(message.wParam);
}

}  // namespace ui
