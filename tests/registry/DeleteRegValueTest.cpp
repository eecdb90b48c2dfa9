#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "registry/modRegistry.h"
#include "support/ScratchHive.h"

using modRegistry::DeleteRegValue;
using modRegistry::Variant;
using modRegistry::WriteRegValue;
using testing_support::KeyExists;
using testing_support::ReadStoredValue;
using testing_support::ScratchHive;
using testing_support::StoreValue;
using Bytes = std::vector<std::uint8_t>;

namespace {

constexpr const wchar_t* kKey = L"Software\\Moxvane\\Values";
constexpr const wchar_t* kName = L"Setting";

class DeleteRegValueTest : public testing::Test {
  protected:
    ScratchHive hive_;
};

TEST_F(DeleteRegValueTest, RemovesOnlyTheNamedValue) {
    StoreValue(HKEY_CURRENT_USER, kKey, kName, REG_DWORD, {1, 0, 0, 0});
    StoreValue(HKEY_CURRENT_USER, kKey, L"Other", REG_BINARY, {'k', 0});
    StoreValue(HKEY_CURRENT_USER, kKey, nullptr, REG_BINARY, {'d', 0});
    testing_support::CreateKey(HKEY_CURRENT_USER, L"Software\\Moxvane\\Values\\Child");

    ASSERT_EQ(0, DeleteRegValue(L"HKCU", kKey, kName));

    EXPECT_FALSE(ReadStoredValue(HKEY_CURRENT_USER, kKey, kName).exists);
    EXPECT_EQ((Bytes{'k', 0}), ReadStoredValue(HKEY_CURRENT_USER, kKey, L"Other").bytes);
    EXPECT_EQ((Bytes{'d', 0}), ReadStoredValue(HKEY_CURRENT_USER, kKey, nullptr).bytes);
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, L"Software\\Moxvane\\Values\\Child"));
}

TEST_F(DeleteRegValueTest, MissingValueOrKeyCountsAsDone) {
    testing_support::CreateKey(HKEY_CURRENT_USER, kKey);
    EXPECT_EQ(0, DeleteRegValue(L"HKCU", kKey, kName));
    EXPECT_EQ(0, DeleteRegValue(L"HKCU", L"Software\\Moxvane\\Missing", kName));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, L"Software\\Moxvane\\Missing"));
}

TEST_F(DeleteRegValueTest, EmptyNameRemovesTheDefaultValue) {
    StoreValue(HKEY_CURRENT_USER, kKey, nullptr, REG_SZ, {'d', 0});
    EXPECT_EQ(0, DeleteRegValue(L"HKCU", kKey, L""));
    EXPECT_FALSE(ReadStoredValue(HKEY_CURRENT_USER, kKey, nullptr).exists);
}

// A key the user may read but not modify: both routines fail with the access
// error and leave the stored value exactly as it was.
TEST_F(DeleteRegValueTest, AccessDeniedIsReportedAndChangesNothing) {
    StoreValue(HKEY_CURRENT_USER, kKey, kName, REG_DWORD, {1, 0, 0, 0});
    {
        const testing_support::LockedKey locked(HKEY_CURRENT_USER, kKey);
        EXPECT_EQ(ERROR_ACCESS_DENIED, WriteRegValue(L"HKCU", kKey, kName, L"D", Variant(0)));
        EXPECT_EQ(ERROR_ACCESS_DENIED, DeleteRegValue(L"HKCU", kKey, kName));
    }
    EXPECT_EQ((Bytes{1, 0, 0, 0}), ReadStoredValue(HKEY_CURRENT_USER, kKey, kName).bytes);
}

}  // namespace
