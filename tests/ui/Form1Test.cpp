#include <gtest/gtest.h>

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
    Form1Test() : form_(ui::CreateForm1(GetModuleHandleW(nullptr), GetParam())) {}
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

TEST_P(Form1Test, FontsAreTahomaInPoints) {
    for (const int id : {ui::ID_LABEL1, ui::ID_LABEL2, ui::ID_COMMAND1, ui::ID_LABEL5}) {
        const auto font = reinterpret_cast<HFONT>(SendDlgItemMessageW(form_, id, WM_GETFONT, 0, 0));
        LOGFONTW logFont{};
        ASSERT_NE(0, GetObjectW(font, sizeof logFont, &logFont)) << id;
        EXPECT_STREQ(L"Tahoma", logFont.lfFaceName);
        EXPECT_EQ(ANSI_CHARSET, logFont.lfCharSet);
        const bool title = id == ui::ID_LABEL1;
        EXPECT_EQ(-MulDiv(title ? 1200 : 825, GetParam(), 7200), logFont.lfHeight) << id;
        EXPECT_EQ(title ? FW_BOLD : FW_NORMAL, logFont.lfWeight) << id;
    }
}

// The window's two fonts are gone once it is: GDI objects cannot leak with it.
TEST_P(Form1Test, ClosingFreesTheFonts) {
    const auto font = [this](int id) {
        return reinterpret_cast<HGDIOBJ>(SendDlgItemMessageW(form_, id, WM_GETFONT, 0, 0));
    };
    const HGDIOBJ regular = font(ui::ID_LABEL2);
    const HGDIOBJ bold = font(ui::ID_LABEL1);
    ASSERT_EQ(static_cast<DWORD>(OBJ_FONT), GetObjectType(regular));
    ASSERT_EQ(static_cast<DWORD>(OBJ_FONT), GetObjectType(bold));
    testing_support::CloseForm(form_);
    form_ = nullptr;
    EXPECT_EQ(0u, GetObjectType(regular));
    EXPECT_EQ(0u, GetObjectType(bold));
}

// Children without WS_EX_TOPMOST stay in creation order from the top down.
TEST_P(Form1Test, ControlsAreCreatedInTheirOrder) {
    const std::vector<int> expected{ui::ID_COMMAND2, ui::ID_COMMAND1, ui::ID_LABEL5, ui::ID_IMAGE1,
                                    ui::ID_LABEL4,   ui::ID_LABEL3,   ui::ID_LABEL2, ui::ID_LABEL1};
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

INSTANTIATE_TEST_SUITE_P(AtDpi, Form1Test, testing::Values(96, 144));

class Form1BehaviourTest : public testing::Test {
  protected:
    Form1BehaviourTest() : form_(ui::CreateForm1(GetModuleHandleW(nullptr), 96)) {
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
