// A thousand apply and undo cycles through Form1 and its message boxes: the
// window, the actions and the boxes must give back every handle and GDI
// object they take, and the registry must end as the last action left it.
#include <gtest/gtest.h>

#include "support/LowestFreeHandle.h"
#include "support/ScratchHive.h"
#include "ui/CloseForm.h"
#include "ui/Form1.h"
#include "ui/MessageBoxCloser.h"

namespace {

constexpr size_t kCycles = 1000;

// Windows counts a process's GDI and USER objects; Wine reports 0 for both,
// so there the handle values carry the check.
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
    const HWND form = ui::CreateForm1(GetModuleHandleW(nullptr));
    ShowWindow(form, SW_SHOWNORMAL);
    const testing_support::MessageBoxCloser boxes;

    Resources afterFirstCycle{};
    for (size_t cycle = 0; cycle < kCycles; ++cycle) {
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
    EXPECT_EQ(kCycles, boxes.Count(L"Success! --> WMP Scripting disabled"));
    EXPECT_EQ(kCycles, boxes.Count(L"Scripting re-enabled in WMP."));
    EXPECT_EQ(2u * kCycles, boxes.Count());
    EXPECT_TRUE(testing_support::KeyExists(HKEY_CURRENT_USER,
                                           L"Software\\Microsoft\\MediaPlayer\\Preferences"));
    EXPECT_FALSE(testing_support::ReadStoredValue(HKEY_CURRENT_USER,
                                                  L"Software\\Microsoft\\MediaPlayer\\Preferences",
                                                  L"PlayerScriptCommandsEnabled")
                     .exists);
    testing_support::CloseForm(form);
}

}  // namespace
