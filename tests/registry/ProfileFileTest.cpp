#include <gtest/gtest.h>

#include <string>

#include "registry/modRegistry.h"
#include "support/TempDirectory.h"

using modRegistry::DeleteRegValue;
using modRegistry::Variant;
using modRegistry::WriteRegValue;
using testing_support::ReadFileBytes;
using testing_support::TempDirectory;

namespace {

constexpr const char* kOriginal = "[Player]\r\nVolume=5\r\n";

class ProfileFileTest : public testing::Test {
  protected:
    TempDirectory dir_;
    std::wstring file_ = dir_.WriteFile(L"settings.ini", kOriginal);
};

TEST_F(ProfileFileTest, TextWriteAddsTheKeyToItsSection) {
    ASSERT_EQ(0, WriteRegValue(file_.c_str(), L"Player", L"Scripts", L"s", Variant(L"off")));
    ASSERT_EQ(0, WriteRegValue(file_.c_str(), L"Other", L"Level", L"S", Variant(2.5)));
    EXPECT_EQ("[Player]\r\nVolume=5\r\nScripts=off\r\n[Other]\r\nLevel=2.5\r\n",
              ReadFileBytes(file_));
}

TEST_F(ProfileFileTest, OnlyTextIsAcceptedAndTheFileIsLeftAlone) {
    for (const wchar_t* code : {L"D", L"B", L"d", L"Q", L""}) {
        EXPECT_EQ(modRegistry::STATUS_NOT_DONE,
                  WriteRegValue(file_.c_str(), L"Player", L"Scripts", code, Variant(1)));
    }
    EXPECT_EQ(kOriginal, ReadFileBytes(file_));
}

TEST_F(ProfileFileTest, DeleteLeavesTheKeyWithAnEmptyValue) {
    ASSERT_EQ(0, DeleteRegValue(file_.c_str(), L"Player", L"Volume"));
    EXPECT_EQ("[Player]\r\nVolume=\r\n", ReadFileBytes(file_));
}

// Held open by another writer that shares nothing, the file cannot be written.
TEST_F(ProfileFileTest, FailedWriteIsReportedAsFailure) {
    const HANDLE exclusive =
        CreateFileW(file_.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, exclusive);
    const auto written = WriteRegValue(file_.c_str(), L"Player", L"Scripts", L"S", Variant(L"off"));
    const auto deleted = DeleteRegValue(file_.c_str(), L"Player", L"Volume");
    CloseHandle(exclusive);
    EXPECT_EQ(ERROR_SHARING_VIOLATION, written);
    EXPECT_EQ(ERROR_SHARING_VIOLATION, deleted);
    EXPECT_EQ(kOriginal, ReadFileBytes(file_));
}

TEST_F(ProfileFileTest, WildcardRootIsFoundButNotWrittenAsAFileName) {
    const std::wstring pattern = dir_.Path(L"*.ini");
    EXPECT_EQ(modRegistry::ROOT_PROFILE_FILE, modRegistry::ResolveRootKey(pattern.c_str()));
    EXPECT_NE(0, WriteRegValue(pattern.c_str(), L"Player", L"Scripts", L"S", Variant(L"off")));
    EXPECT_EQ(kOriginal, ReadFileBytes(file_));
}

// The file found in the current directory is the one written, not a file of
// the same name in the Windows directory.
TEST_F(ProfileFileTest, BareNameWritesTheFileInTheCurrentDirectory) {
    wchar_t previous[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, previous);
    ASSERT_TRUE(SetCurrentDirectoryW(dir_.Path().c_str()));
    const auto status =
        WriteRegValue(L"settings.ini", L"Player", L"Scripts", L"S", Variant(L"off"));
    SetCurrentDirectoryW(previous);
    ASSERT_EQ(0, status);
    EXPECT_EQ("[Player]\r\nVolume=5\r\nScripts=off\r\n", ReadFileBytes(file_));
}

}  // namespace
