// A thousand apply and undo cycles through Form1 and its message boxes: the
// window, the actions and the boxes must give back every handle and GDI
// object they take, and the registry must end as the last action left it.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "support/LowestFreeHandle.h"
#include "support/ScratchHive.h"
#include "ui/CloseForm.h"
#include "ui/Form1.h"
#include "ui/MessageBoxSearch.h"

namespace {

constexpr int kCycles = 1000;

// Presses OK on each message box of this thread as soon as it is activated,
// counting the boxes by title. Faster than watching from a second thread,
// which a thousand boxes need.
class BoxDismisser {
  public:
    BoxDismisser() : hook_(SetWindowsHookExW(WH_CBT, OnCbt, nullptr, GetCurrentThreadId())) {
        titles_ = &titles;
    }
    BoxDismisser(const BoxDismisser&) = delete;
    BoxDismisser& operator=(const BoxDismisser&) = delete;
    ~BoxDismisser() {
        UnhookWindowsHookEx(hook_);
        titles_ = nullptr;
    }

    std::map<std::wstring, int> titles;

  private:
    static LRESULT CALLBACK OnCbt(int code, WPARAM wParam, LPARAM lParam) {
        const auto window = reinterpret_cast<HWND>(wParam);
        if (code == HCBT_ACTIVATE && testing_support::IsMessageBox(window)) {
            wchar_t title[128] = L"";
            GetWindowTextW(window, title, 128);
            ++(*titles_)[title];
            PostMessageW(window, WM_COMMAND, IDOK, 0);
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }

    static inline thread_local std::map<std::wstring, int>* titles_ = nullptr;
    HHOOK hook_;
};

struct Resources {
    HANDLE lowestFreeHandle;
    DWORD gdiObjects;
    DWORD userObjects;

    static Resources Now() {
        return {testing_support::LowestFreeHandle(),
                GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS),
                GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS)};
    }
};

void Click(HWND form, int id) {
    SendMessageW(form, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(form, id)));
}

TEST(SoakTest, ThousandApplyUndoCyclesLeakNothing) {
    const testing_support::ScratchHive hive;
    const HWND form = ui::CreateForm1(GetModuleHandleW(nullptr), 96);
    ShowWindow(form, SW_SHOWNORMAL);
    BoxDismisser boxes;

    Resources afterFirstCycle{};
    for (int cycle = 0; cycle < kCycles; ++cycle) {
        Click(form, ui::ID_COMMAND1);
        Click(form, ui::ID_COMMAND2);
        if (cycle == 0) {
            afterFirstCycle = Resources::Now();
        }
    }
    const Resources atEnd = Resources::Now();

    EXPECT_EQ(afterFirstCycle.lowestFreeHandle, atEnd.lowestFreeHandle);
    EXPECT_EQ(afterFirstCycle.gdiObjects, atEnd.gdiObjects);
    EXPECT_EQ(afterFirstCycle.userObjects, atEnd.userObjects);
    EXPECT_EQ(kCycles, boxes.titles[L"Success! --> WMP Scripting disabled"]);
    EXPECT_EQ(kCycles, boxes.titles[L"Scripting re-enabled in WMP."]);
    EXPECT_EQ(2u, boxes.titles.size());
    EXPECT_TRUE(testing_support::KeyExists(HKEY_CURRENT_USER,
                                           L"Software\\Microsoft\\MediaPlayer\\Preferences"));
    EXPECT_FALSE(testing_support::ReadStoredValue(HKEY_CURRENT_USER,
                                                  L"Software\\Microsoft\\MediaPlayer\\Preferences",
                                                  L"PlayerScriptCommandsEnabled")
                     .exists);
    testing_support::CloseForm(form);
}

}  // namespace
