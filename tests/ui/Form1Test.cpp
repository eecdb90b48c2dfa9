#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "support/ScratchHive.h"
#include "ui/CloseForm.h"
#include "ui/Form1.h"
#include "ui/MessageBoxCloser.h"

namespace {

struct ExpectedControl {
    int id;
    const wchar_t* className;
    int left, top, width, height;  // pixels at 96 DPI
    const wchar_t* text;
    DWORD style;  // the control's own style bits, and whether Tab stops on it
};

constexpr DWORD kButton = BS_PUSHBUTTON | WS_TABSTOP;
constexpr DWORD kPicture = SS_ICON | SS_CENTERIMAGE | SS_REALSIZEIMAGE;
constexpr DWORD kLabel = SS_LEFT | SS_NOPREFIX;
constexpr DWORD kCentredLabel = SS_CENTER | SS_NOPREFIX;

// Form1 as a person sees it at 96 DPI.
const ExpectedControl kControls[] = {
    {ui::ID_IMAGE1, L"Static", 16, 8, 32, 32, L"", kPicture},
    {ui::ID_LABEL1, L"Static", 56, 8, 313, 25, L"Moxvane", kLabel},
    {ui::ID_LABEL2, L"Static", 24, 48, 385, 49,
     L"WMP, by default, supports a dangerous feature that allows scripting to be embedded within "
     L"media files. WMP will then execute the scripting when the media file is played.",
     kLabel},
    {ui::ID_LABEL3, L"Static", 24, 104, 385, 41,
     L"By clicking the \"Activate Fix\" button below, a registry entry will be added that tells "
     L"Windows Media Player to disable its scripting functions.",
     kLabel},
    {ui::ID_COMMAND1, L"Button", 8, 160, 225, 25, L"Activate Fix - DISABLE SCRIPTING IN WMP",
     kButton},
    {ui::ID_COMMAND2, L"Button", 240, 160, 185, 25, L"Re-enable Scripting in WMP", kButton},
    {ui::ID_LABEL4, L"Static", 0, 208, 433, 17, nullptr, kCentredLabel},
    {ui::ID_LABEL5, L"Static", 0, 224, 433, 17, nullptr, kCentredLabel},
};

std::wstring TextOf(HWND window) {
    wchar_t buffer[512] = L"";
    GetWindowTextW(window, buffer, 512);
    return buffer;
}

RECT ClientRectOf(HWND form, HWND control) {
    RECT rect;
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, form, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

class Form1Test : public testing::TestWithParam<int> {
  protected:
    Form1Test()
        : form_(ui::CreateForm1(GetModuleHandleW(nullptr), GetParam(), ui::DpiMode::SystemAware)) {}
    ~Form1Test() override { testing_support::CloseForm(form_); }

    int Scaled(int pixels) const { return MulDiv(pixels, GetParam(), 96); }

    HWND form_;
};

TEST_P(Form1Test, ClientAreaAndEveryControlScaleWithTheDpi) {
    ASSERT_NE(nullptr, form_);
    RECT client;
    GetClientRect(form_, &client);
    EXPECT_EQ(Scaled(434), client.right);
    EXPECT_EQ(Scaled(252), client.bottom);
    for (const ExpectedControl& expected : kControls) {
        const HWND control = GetDlgItem(form_, expected.id);
        ASSERT_NE(nullptr, control) << expected.id;
        const RECT rect = ClientRectOf(form_, control);
        EXPECT_EQ(Scaled(expected.left), rect.left) << expected.id;
        EXPECT_EQ(Scaled(expected.top), rect.top) << expected.id;
        EXPECT_NEAR(Scaled(expected.width), rect.right - rect.left, 1) << expected.id;
        EXPECT_NEAR(Scaled(expected.height), rect.bottom - rect.top, 1) << expected.id;
        wchar_t className[32] = L"";
        GetClassNameW(control, className, 32);
        EXPECT_STREQ(expected.className, className);
        const auto style = static_cast<DWORD>(GetWindowLongPtrW(control, GWL_STYLE));
        EXPECT_EQ(expected.style, style & (0xFFFF | WS_TABSTOP)) << expected.id;
        if (expected.text != nullptr) {
            EXPECT_EQ(expected.text, TextOf(control));
        }
    }
}

HFONT FontOf(HWND control) {
    return reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
}

// The extent of a control's text drawn in its own font: on one line, or
// wrapped at word boundaries to `wrapWidth`. Also the face actually drawn.
struct DrawnText {
    std::wstring face;
    SIZE oneLine;
    SIZE wrapped;
};

DrawnText Draw(HWND control, int wrapWidth) {
    const HDC dc = GetDC(control);
    const HGDIOBJ previous = SelectObject(dc, FontOf(control));
    wchar_t face[LF_FACESIZE] = L"";
    GetTextFaceW(dc, LF_FACESIZE, face);
    const std::wstring text = TextOf(control);
    RECT oneLine{0, 0, 0, 0};
    DrawTextW(dc, text.c_str(), -1, &oneLine, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    RECT wrapped{0, 0, wrapWidth, 0};
    DrawTextW(dc, text.c_str(), -1, &wrapped, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    SelectObject(dc, previous);
    ReleaseDC(control, dc);
    return {face, {oneLine.right, oneLine.bottom}, {wrapped.right, wrapped.bottom}};
}

// How many pixels a text in a font blackens on white.
int InkOf(HFONT font, const std::wstring& text) {
    const HDC dc = CreateCompatibleDC(nullptr);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof info.bmiHeader, 400, -100, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    const HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    const HGDIOBJ previousBitmap = SelectObject(dc, bitmap);
    const HGDIOBJ previousFont = SelectObject(dc, font);
    RECT all{0, 0, 400, 100};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    TextOutW(dc, 0, 0, text.c_str(), static_cast<int>(text.size()));
    GdiFlush();
    const auto* pixels = static_cast<const DWORD*>(bits);
    const int ink = static_cast<int>(std::count_if(
        pixels, pixels + 400 * 100, [](DWORD pixel) { return (pixel & 0xFF) < 128; }));
    SelectObject(dc, previousFont);
    SelectObject(dc, previousBitmap);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return ink;
}

// Whether a control's text is drawn bold: clearly more ink than in the same
// font at weight 400. What a person sees of the weight; the font's metrics
// echo the weight asked for, drawn or not.
bool DrawnBold(HWND control, LOGFONTW logFont) {
    logFont.lfWeight = FW_NORMAL;
    const HFONT regular = CreateFontIndirectW(&logFont);
    const int regularInk = InkOf(regular, TextOf(control));
    DeleteObject(regular);
    return InkOf(FontOf(control), TextOf(control)) > regularInk * 5 / 4;
}

TEST_P(Form1Test, TextIsDrawnInTahomaOfItsPointSize) {
    for (const ExpectedControl& expected : kControls) {
        if (expected.id == ui::ID_IMAGE1) {
            continue;
        }
        const HWND control = GetDlgItem(form_, expected.id);
        LOGFONTW logFont{};
        ASSERT_NE(0, GetObjectW(FontOf(control), sizeof logFont, &logFont)) << expected.id;
        const bool title = expected.id == ui::ID_LABEL1;
        EXPECT_EQ(-MulDiv(title ? 1200 : 825, GetParam(), 7200), logFont.lfHeight) << expected.id;
        EXPECT_EQ(title ? FW_BOLD : FW_NORMAL, logFont.lfWeight) << expected.id;
        EXPECT_EQ(ANSI_CHARSET, logFont.lfCharSet);
        const DrawnText drawn = Draw(control, 0);
        EXPECT_EQ(L"Tahoma", drawn.face) << expected.id;
        EXPECT_EQ(title, DrawnBold(control, logFont)) << expected.id;
    }
}

// Every text whole: captions on one line inside the button's edges, labels
// wrapped inside their fixed rectangles, the one-line labels on one line.
TEST_P(Form1Test, EveryTextFitsItsControl) {
    for (const ExpectedControl& expected : kControls) {
        if (expected.id == ui::ID_IMAGE1) {
            continue;
        }
        const HWND control = GetDlgItem(form_, expected.id);
        RECT client;
        GetClientRect(control, &client);
        const DrawnText drawn = Draw(control, client.right);
        if (expected.className == std::wstring(L"Button")) {
            const int edges = 2 * Scaled(GetSystemMetrics(SM_CXEDGE));
            EXPECT_LE(drawn.oneLine.cx, client.right - edges) << expected.id;
            EXPECT_LE(drawn.oneLine.cy, client.bottom - edges) << expected.id;
            continue;
        }
        EXPECT_LE(drawn.wrapped.cx, client.right) << expected.id;
        EXPECT_LE(drawn.wrapped.cy, client.bottom) << expected.id;
        const bool paragraph = expected.id == ui::ID_LABEL2 || expected.id == ui::ID_LABEL3;
        if (!paragraph) {
            EXPECT_EQ(drawn.oneLine.cy, drawn.wrapped.cy) << expected.id << " wraps";
        }
    }
}

// Whether a control's font and the window's brush still existed as the
// control was destroyed: a font must outlive the control that draws with it.
struct SeenAtDestroy {
    WNDPROC original;
    HGDIOBJ font, brush;
    bool fontAlive, brushAlive;
};

SeenAtDestroy& Seen() {
    static SeenAtDestroy seen{};
    return seen;
}

LRESULT CALLBACK RecordAtDestroy(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
    SeenAtDestroy& seen = Seen();
    if (message == WM_DESTROY) {
        seen.fontAlive = GetObjectType(seen.font) == OBJ_FONT;
        seen.brushAlive = GetObjectType(seen.brush) == OBJ_BRUSH;
    }
    return CallWindowProcW(seen.original, control, message, wParam, lParam);
}

// The window's fonts and brush are gone once it is, not before its controls:
// GDI objects cannot leak with it, nor be used after they are freed.
TEST_P(Form1Test, ClosingFreesTheFontsAndTheBackgroundBrushAfterTheControls) {
    const HDC dc = CreateCompatibleDC(nullptr);
    const auto background = reinterpret_cast<HGDIOBJ>(
        SendMessageW(form_, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                     reinterpret_cast<LPARAM>(GetDlgItem(form_, ui::ID_LABEL2))));
    DeleteDC(dc);
    const HGDIOBJ regular = FontOf(GetDlgItem(form_, ui::ID_LABEL2));
    const HGDIOBJ bold = FontOf(GetDlgItem(form_, ui::ID_LABEL1));
    ASSERT_EQ(static_cast<DWORD>(OBJ_FONT), GetObjectType(regular));
    ASSERT_EQ(static_cast<DWORD>(OBJ_FONT), GetObjectType(bold));
    ASSERT_EQ(static_cast<DWORD>(OBJ_BRUSH), GetObjectType(background));
    const HWND label = GetDlgItem(form_, ui::ID_LABEL2);
    Seen() = {reinterpret_cast<WNDPROC>(GetWindowLongPtrW(label, GWLP_WNDPROC)), regular,
              background, false, false};
    SetWindowLongPtrW(label, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RecordAtDestroy));
    testing_support::CloseForm(form_);
    form_ = nullptr;
    EXPECT_TRUE(Seen().fontAlive) << "Label2's font was freed before Label2";
    EXPECT_TRUE(Seen().brushAlive) << "the brush was freed before Label2";
    EXPECT_EQ(0u, GetObjectType(regular));
    EXPECT_EQ(0u, GetObjectType(bold));
    EXPECT_EQ(0u, GetObjectType(background));
}

// Screen readers walk the children in z-order: top to bottom as on the page.
TEST_P(Form1Test, ControlsAreStackedInReadingOrder) {
    const std::vector<int> expected{ui::ID_IMAGE1,   ui::ID_LABEL1,   ui::ID_LABEL2, ui::ID_LABEL3,
                                    ui::ID_COMMAND1, ui::ID_COMMAND2, ui::ID_LABEL4, ui::ID_LABEL5};
    std::vector<int> actual;
    for (HWND child = GetWindow(form_, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        actual.push_back(GetDlgCtrlID(child));
    }
    EXPECT_EQ(expected, actual);
}

// Labels paint opaquely in the window's own colour, with the system's text colour.
TEST_P(Form1Test, LabelsPaintInTheWindowColour) {
    const HDC dc = CreateCompatibleDC(nullptr);
    for (const int id : {ui::ID_LABEL1, ui::ID_LABEL2, ui::ID_LABEL5}) {
        const auto brush = reinterpret_cast<HBRUSH>(
            SendMessageW(form_, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                         reinterpret_cast<LPARAM>(GetDlgItem(form_, id))));
        LOGBRUSH fill{};
        ASSERT_NE(0, GetObjectW(brush, sizeof fill, &fill)) << id;
        EXPECT_EQ(RGB(224, 224, 224), fill.lbColor) << id;
        EXPECT_EQ(RGB(224, 224, 224), GetBkColor(dc)) << id;
        EXPECT_EQ(OPAQUE, GetBkMode(dc)) << id;
        EXPECT_EQ(GetSysColor(COLOR_BTNTEXT), GetTextColor(dc)) << id;
    }
    DeleteDC(dc);
}

// What a person would compare between two windows: the client area, and
// every control's rectangle and font height.
using Rectangle = std::array<LONG, 4>;

Rectangle AsArray(const RECT& rect) {
    return {rect.left, rect.top, rect.right, rect.bottom};
}

struct Appearance {
    Rectangle client;
    std::vector<Rectangle> controls;
    std::vector<LONG> fontHeights;
};

Appearance AppearanceOf(HWND form) {
    Appearance appearance{};
    RECT client;
    GetClientRect(form, &client);
    appearance.client = AsArray(client);
    for (const ExpectedControl& expected : kControls) {
        const HWND control = GetDlgItem(form, expected.id);
        appearance.controls.push_back(AsArray(ClientRectOf(form, control)));
        LOGFONTW logFont{};
        GetObjectW(FontOf(control), sizeof logFont, &logFont);
        appearance.fontHeights.push_back(logFont.lfHeight);
    }
    return appearance;
}

// Where the window goes: under per-monitor v2 the suggested rectangle itself,
// under v1 its top-left with a fresh window's size, and where the system
// handles the change, nowhere: it stays where a fresh window at the old DPI
// is (both are centred).
RECT ExpectedAfterDpiChange(ui::DpiMode mode, const RECT& suggested, HWND fresh) {
    RECT window;
    GetWindowRect(fresh, &window);
    switch (mode) {
        case ui::DpiMode::PerMonitorV2:
            return suggested;
        case ui::DpiMode::SystemAware:
            return window;
        case ui::DpiMode::PerMonitor:
            break;
    }
    return {suggested.left, suggested.top, suggested.left + window.right - window.left,
            suggested.top + window.bottom - window.top};
}

// A move to a monitor of another DPI gives a per-monitor aware window a fresh
// start's look at that DPI, at the place the system suggests, and frees the
// fonts it replaced. A window that is not per-monitor aware (a compatibility
// setting overrode the manifest) leaves the change to the system, which
// stretches its pixels: it keeps its look and fonts. Wine has per-monitor v1
// only; the other modes are given to the window.
class Form1DpiChangeTest : public testing::TestWithParam<ui::DpiMode> {};

TEST_P(Form1DpiChangeTest, LooksAsItsModeHasItAfterADpiChange) {
    const bool laysOut = GetParam() != ui::DpiMode::SystemAware;
    const HWND form = ui::CreateForm1(GetModuleHandleW(nullptr), 96, GetParam());
    for (const int dpi : {144, 192, 96}) {
        const HGDIOBJ oldRegular = FontOf(GetDlgItem(form, ui::ID_LABEL2));
        const HGDIOBJ oldBold = FontOf(GetDlgItem(form, ui::ID_LABEL1));
        const RECT suggested{40, 30, 40 + MulDiv(460, dpi, 96), 30 + MulDiv(290, dpi, 96)};
        SendMessageW(form, WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                     reinterpret_cast<LPARAM>(&suggested));
        const HWND fresh =
            ui::CreateForm1(GetModuleHandleW(nullptr), laysOut ? dpi : 96, GetParam());
        const Appearance changed = AppearanceOf(form);
        const Appearance started = AppearanceOf(fresh);
        const RECT expected = ExpectedAfterDpiChange(GetParam(), suggested, fresh);
        testing_support::CloseForm(fresh);
        if (GetParam() != ui::DpiMode::PerMonitorV2) {
            // Where the frame keeps its size, the client area is exact. (Under
            // v2 it follows from the suggestion, and Wine's frame never scales.)
            EXPECT_EQ(started.client, changed.client) << dpi;
        }
        EXPECT_EQ(started.controls, changed.controls) << dpi;
        EXPECT_EQ(started.fontHeights, changed.fontHeights) << dpi;
        RECT window;
        GetWindowRect(form, &window);
        EXPECT_EQ(AsArray(expected), AsArray(window)) << dpi;
        EXPECT_EQ(laysOut, GetObjectType(oldRegular) == 0) << dpi;
        EXPECT_EQ(laysOut, GetObjectType(oldBold) == 0) << dpi;
    }
    testing_support::CloseForm(form);
}

INSTANTIATE_TEST_SUITE_P(Modes, Form1DpiChangeTest,
                         testing::Values(ui::DpiMode::SystemAware, ui::DpiMode::PerMonitor,
                                         ui::DpiMode::PerMonitorV2));

// Under per-monitor v2 the system asks the window for its size at the new DPI
// before it suggests a rectangle: the client area of the design and the frame
// that DPI has.
TEST_P(Form1Test, AnswersItsSizeAtANewDpiWithThatDpisFrame) {
    using AdjustForDpi = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
    const auto adjustForDpi = reinterpret_cast<AdjustForDpi>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"user32.dll"), "AdjustWindowRectExForDpi")));
    ASSERT_NE(nullptr, adjustForDpi);
    RECT expected{0, 0, Scaled(434), Scaled(252)};
    adjustForDpi(&expected, static_cast<DWORD>(GetWindowLongPtrW(form_, GWL_STYLE)), FALSE,
                 static_cast<DWORD>(GetWindowLongPtrW(form_, GWL_EXSTYLE)),
                 static_cast<UINT>(GetParam()));
    SIZE size{};
    EXPECT_TRUE(SendMessageW(form_, WM_GETDPISCALEDSIZE, static_cast<WPARAM>(GetParam()),
                             reinterpret_cast<LPARAM>(&size)));
    EXPECT_EQ(expected.right - expected.left, size.cx);
    EXPECT_EQ(expected.bottom - expected.top, size.cy);
}

// The wParam of every WM_CHANGEUISTATE sent to a top-level window of this
// thread while RecordUiStateRequest hooks it.
std::vector<WPARAM>& UiStateRequests() {
    static std::vector<WPARAM> requests;
    return requests;
}

LRESULT CALLBACK RecordUiStateRequest(int code, WPARAM wParam, LPARAM lParam) {
    const auto& message = *reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && message.message == WM_CHANGEUISTATE &&
        GetParent(message.hwnd) == nullptr) {
        UiStateRequests().push_back(message.wParam);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// At start the window is laid out for the DPI of the monitor it is on, in its
// own DPI mode, and centred on the screen; and, as the dialog manager does for
// a dialog, it asks for its UI state from the last input, so that a user who
// started it from the keyboard sees the focus. (Wine keeps no UI state: every
// window answers 0 to WM_QUERYUISTATE, so the request is what can be seen.)
TEST(Form1StartTest, IsLaidOutForItsMonitorsDpiCentredAndShowsFocusAsADialog) {
    const HHOOK hook =
        SetWindowsHookExW(WH_CALLWNDPROC, RecordUiStateRequest, nullptr, GetCurrentThreadId());
    const HWND form = ui::CreateForm1(GetModuleHandleW(nullptr));
    UnhookWindowsHookEx(hook);
    EXPECT_EQ(std::vector<WPARAM>{MAKEWPARAM(UIS_INITIALIZE, 0)}, UiStateRequests());
    using DpiForWindow = UINT(WINAPI*)(HWND);
    const auto dpiForWindow = reinterpret_cast<DpiForWindow>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    ASSERT_NE(nullptr, dpiForWindow);
    const HWND fresh = ui::CreateForm1(GetModuleHandleW(nullptr),
                                       static_cast<int>(dpiForWindow(form)), ui::DpiModeOf(form));
    const Appearance started = AppearanceOf(form);
    const Appearance expected = AppearanceOf(fresh);
    testing_support::CloseForm(fresh);
    EXPECT_EQ(expected.client, started.client);
    EXPECT_EQ(expected.controls, started.controls);
    EXPECT_EQ(expected.fontHeights, started.fontHeights);
    RECT window;
    GetWindowRect(form, &window);
    EXPECT_EQ((GetSystemMetrics(SM_CXSCREEN) - (window.right - window.left)) / 2, window.left);
    EXPECT_EQ((GetSystemMetrics(SM_CYSCREEN) - (window.bottom - window.top)) / 2, window.top);
    testing_support::CloseForm(form);
}

// The windows made on this thread while RefuseCommand1 hooks it.
std::vector<HWND>& WindowsMade() {
    static std::vector<HWND> made;
    return made;
}

LRESULT CALLBACK RefuseCommand1(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND) {
        WindowsMade().push_back(reinterpret_cast<HWND>(wParam));
        const CREATESTRUCTW& create = *reinterpret_cast<const CBT_CREATEWNDW*>(lParam)->lpcs;
        if (create.hMenu == reinterpret_cast<HMENU>(static_cast<INT_PTR>(ui::ID_COMMAND1)) &&
            create.hwndParent != nullptr) {
            return 1;
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// A window with a hole where a button should be is never shown: creation
// fails and takes back every window and GDI object it made (Windows counts
// them; Wine reports 0, so there the windows themselves are checked).
TEST(Form1StartTest, IsNotMadeWithoutAllItsControls) {
    // What a first window leaves for the whole process (its class, the shared icon).
    testing_support::CloseForm(ui::CreateForm1(GetModuleHandleW(nullptr)));
    const HANDLE process = GetCurrentProcess();
    const DWORD gdiObjects = GetGuiResources(process, GR_GDIOBJECTS);
    const DWORD userObjects = GetGuiResources(process, GR_USEROBJECTS);
    const HHOOK hook = SetWindowsHookExW(WH_CBT, RefuseCommand1, nullptr, GetCurrentThreadId());
    const HWND form = ui::CreateForm1(GetModuleHandleW(nullptr));
    UnhookWindowsHookEx(hook);
    ASSERT_EQ(nullptr, form);
    EXPECT_EQ(gdiObjects, GetGuiResources(process, GR_GDIOBJECTS));
    EXPECT_EQ(userObjects, GetGuiResources(process, GR_USEROBJECTS));
    EXPECT_GE(WindowsMade().size(), 2u) << "Form1 and Command2 were made before Command1";
    for (const HWND made : WindowsMade()) {
        EXPECT_FALSE(IsWindow(made));
    }
    MSG quit;
    EXPECT_FALSE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

// The brush and colours the labels paint with, as WM_CTLCOLORSTATIC answers.
struct LabelPaint {
    DWORD brushType;
    COLORREF fill, text;
};

LabelPaint LabelPaintOf(HWND form, HDC dc) {
    const auto brush = reinterpret_cast<HBRUSH>(
        SendMessageW(form, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                     reinterpret_cast<LPARAM>(GetDlgItem(form, ui::ID_LABEL2))));
    LOGBRUSH fill{};
    GetObjectW(brush, sizeof fill, &fill);
    return {GetObjectType(brush), fill.lbColor, GetTextColor(dc)};
}

// A system colour change reaches the window: with white control text, which
// cannot be read on the grey, the labels take the system's pair for text on a
// window, not the button pair. A later change for which no brush can be made
// (every GDI handle of the process in use) keeps that pair and its brush.
TEST_P(Form1Test, LabelsFollowASystemColourChange) {
    const int elements[] = {COLOR_BTNTEXT, COLOR_BTNFACE, COLOR_WINDOWTEXT, COLOR_WINDOW};
    COLORREF original[4];
    for (int i = 0; i < 4; ++i) {
        original[i] = GetSysColor(elements[i]);
    }
    const COLORREF dark[] = {RGB(255, 255, 255), RGB(128, 0, 128), RGB(255, 255, 0), RGB(0, 0, 0)};
    ASSERT_TRUE(SetSysColors(4, elements, dark));
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        DispatchMessageW(&message);
    }
    const HDC dc = CreateCompatibleDC(nullptr);  // made before the handles run out
    const LabelPaint followed = LabelPaintOf(form_, dc);
    std::vector<HBRUSH> hoard;
    for (HBRUSH brush = CreateSolidBrush(0); brush != nullptr && hoard.size() < 100000;
         brush = CreateSolidBrush(0)) {
        hoard.push_back(brush);
    }
    SetSysColors(4, elements, original);
    SendMessageW(form_, WM_SYSCOLORCHANGE, 0, 0);
    const LabelPaint unchanged = LabelPaintOf(form_, dc);
    for (const HBRUSH brush : hoard) {
        DeleteObject(brush);
    }
    DeleteDC(dc);
    EXPECT_EQ(RGB(0, 0, 0), followed.fill);
    EXPECT_EQ(RGB(255, 255, 0), followed.text);
    ASSERT_LT(hoard.size(), 100000u) << "no limit on GDI handles here";
    EXPECT_EQ(static_cast<DWORD>(OBJ_BRUSH), unchanged.brushType);
    EXPECT_EQ(RGB(0, 0, 0), unchanged.fill);
    EXPECT_EQ(RGB(255, 255, 0), unchanged.text);
}

INSTANTIATE_TEST_SUITE_P(AtDpi, Form1Test, testing::Values(96, 120, 144, 192));

class Form1BehaviourTest : public testing::Test {
  protected:
    Form1BehaviourTest() : form_(ui::CreateForm1(GetModuleHandleW(nullptr))) {
        ShowWindow(form_, SW_SHOWNORMAL);
        SetForegroundWindow(form_);
        SetActiveWindow(form_);
    }
    ~Form1BehaviourTest() override { testing_support::CloseForm(form_); }

    HWND Button(int id) const { return GetDlgItem(form_, id); }
    // What a button tells its window when it is clicked.
    void Click(int id) const {
        SendMessageW(form_, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                     reinterpret_cast<LPARAM>(Button(id)));
    }

    testing_support::ScratchHive hive_;
    HWND form_;
};

TEST_F(Form1BehaviourTest, FixedFrameWithCloseButtonOnly) {
    const LONG_PTR style = GetWindowLongPtrW(form_, GWL_STYLE);
    EXPECT_EQ(WS_CAPTION, style & WS_CAPTION);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_FALSE(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
    EXPECT_EQ(L"Moxvane", TextOf(form_));
}

TEST_F(Form1BehaviourTest, FocusStartsOnCommand1AndTabMovesBetweenTheButtonsOnly) {
    EXPECT_EQ(Button(ui::ID_COMMAND1), GetFocus());
    EXPECT_EQ(Button(ui::ID_COMMAND2), GetNextDlgTabItem(form_, Button(ui::ID_COMMAND1), FALSE));
    EXPECT_EQ(Button(ui::ID_COMMAND1), GetNextDlgTabItem(form_, Button(ui::ID_COMMAND2), FALSE));
    EXPECT_EQ(Button(ui::ID_COMMAND2), GetNextDlgTabItem(form_, Button(ui::ID_COMMAND1), TRUE));
}

// As the dialog manager does: activated while minimized, the window gives no
// button the focus, where Space would click it unseen; once restored, the
// focus it gets goes on to the button that had it.
TEST_F(Form1BehaviourTest, FocusGoesBackToItsButtonOnlyWhenNotMinimized) {
    SetFocus(Button(ui::ID_COMMAND2));
    SendMessageW(form_, WM_ACTIVATE, WA_INACTIVE, 0);
    ShowWindow(form_, SW_MINIMIZE);
    SetFocus(nullptr);
    SendMessageW(form_, WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, TRUE), 0);
    SendMessageW(form_, WM_SETFOCUS, 0, 0);
    EXPECT_NE(Button(ui::ID_COMMAND1), GetFocus());
    EXPECT_NE(Button(ui::ID_COMMAND2), GetFocus());
    ShowWindow(form_, SW_RESTORE);
    SetFocus(form_);
    EXPECT_EQ(Button(ui::ID_COMMAND2), GetFocus());
}

// Tab and Shift+Tab first, as they make the dialog manager flag the focused
// button as the default.
TEST_F(Form1BehaviourTest, EscAndEnterRunNoAction) {
    for (const WPARAM key : {VK_ESCAPE, VK_RETURN, VK_TAB, VK_RETURN, VK_TAB, VK_RETURN}) {
        MSG message{GetFocus(), WM_KEYDOWN, key, 0, 0, {}};
        ui::HandleDialogKey(form_, message);
    }
    EXPECT_TRUE(IsWindow(form_));
    EXPECT_FALSE(testing_support::KeyExists(HKEY_CURRENT_USER,
                                            L"Software\\Microsoft\\MediaPlayer\\Preferences"));
}

TEST_F(Form1BehaviourTest, ClicksRunTheirActionsAndReportInABox) {
    {
        testing_support::MessageBoxCloser closer;
        Click(ui::ID_COMMAND1);
        ASSERT_TRUE(closer.Closed());
        EXPECT_EQ(L"Success! --> WMP Scripting disabled", closer.Title());
    }
    EXPECT_TRUE(testing_support::ReadStoredValue(HKEY_CURRENT_USER,
                                                 L"Software\\Microsoft\\MediaPlayer\\Preferences",
                                                 L"PlayerScriptCommandsEnabled")
                    .exists);
    {
        testing_support::MessageBoxCloser closer;
        Click(ui::ID_COMMAND2);
        ASSERT_TRUE(closer.Closed());
        EXPECT_EQ(L"Scripting re-enabled in WMP.", closer.Title());
        EXPECT_EQ(L"Scripting in WMP has been re-enabled for the current user.", closer.Text());
    }
    EXPECT_FALSE(testing_support::ReadStoredValue(HKEY_CURRENT_USER,
                                                  L"Software\\Microsoft\\MediaPlayer\\Preferences",
                                                  L"PlayerScriptCommandsEnabled")
                     .exists);
}

}  // namespace
