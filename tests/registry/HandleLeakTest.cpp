#include <gtest/gtest.h>

#include "actions/FixActions.h"
#include "registry/modRegistry.h"
#include "support/LowestFreeHandle.h"
#include "support/ScratchHive.h"
#include "support/TempDirectory.h"

using modRegistry::Variant;
using testing_support::LowestFreeHandle;

namespace {

TEST(HandleLeakTest, EveryPathReleasesWhatItOpens) {
    const testing_support::ScratchHive hive;
    const testing_support::TempDirectory dir;
    const std::wstring file = dir.WriteFile(L"a.ini", "[s]\r\n");
    const std::wstring readOnly = dir.WriteFile(L"ro.ini", "", FILE_ATTRIBUTE_READONLY);
    const std::wstring pattern = dir.Path(L"*.ini");
    const testing_support::LockedKey locked(HKEY_CURRENT_USER, L"Software\\Locked");

    HANDLE afterFirstRound = nullptr;
    for (int round = 0; round < 1000; ++round) {
        actions::ApplyFix();
        actions::UndoFix();
        modRegistry::WriteRegValue(L"HKCU", L"Software\\Locked", L"v", L"D", Variant(0));
        modRegistry::DeleteRegValue(L"HKCU", L"Software\\Locked", L"v");
        modRegistry::WriteRegValue(L"HKCU", L"Software\\T", L"v", L"D", Variant(40000));
        modRegistry::WriteRegValue(L"HKCU", L"Software\\T", L"v", L"Q", Variant(1));
        modRegistry::WriteRegValue(file.c_str(), L"s", L"k", L"S", Variant(L"v"));
        modRegistry::DeleteRegValue(file.c_str(), L"s", L"k");
        modRegistry::WriteRegValue(readOnly.c_str(), L"s", L"k", L"S", Variant(L"v"));
        modRegistry::WriteRegValue(pattern.c_str(), L"s", L"k", L"S", Variant(L"v"));
        modRegistry::ResolveRootKey(dir.Path().c_str());
        if (round == 0) {
            afterFirstRound = LowestFreeHandle();
        }
    }
    EXPECT_EQ(afterFirstRound, LowestFreeHandle());
}

}  // namespace
