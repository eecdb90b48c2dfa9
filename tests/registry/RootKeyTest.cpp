#include <gtest/gtest.h>

#include "registry/modRegistry.h"
#include "support/TempDirectory.h"

using modRegistry::ResolveRootKey;
using modRegistry::RootKey;
using testing_support::TempDirectory;

namespace {

struct HiveCase {
    const wchar_t* rootName;
    RootKey expected;
    HKEY hive;
};

class HiveAbbreviationTest : public testing::TestWithParam<HiveCase> {};

TEST_P(HiveAbbreviationTest, ResolvesToThePlatformsOwnHandle) {
    const HiveCase& c = GetParam();
    const RootKey root = ResolveRootKey(c.rootName);
    EXPECT_EQ(c.expected, root);
    // On 64-bit Windows the handle is the sign-extended 32-bit value.
    EXPECT_EQ(c.hive, modRegistry::HiveHandle(root));
}

INSTANTIATE_TEST_SUITE_P(
    EveryCase, HiveAbbreviationTest,
    testing::Values(HiveCase{L"HKCU", static_cast<RootKey>(0x80000001), HKEY_CURRENT_USER},
                    HiveCase{L"hkcu", static_cast<RootKey>(0x80000001), HKEY_CURRENT_USER},
                    HiveCase{L"HkCu", static_cast<RootKey>(0x80000001), HKEY_CURRENT_USER},
                    HiveCase{L"HKLM", static_cast<RootKey>(0x80000002), HKEY_LOCAL_MACHINE},
                    HiveCase{L"hklm", static_cast<RootKey>(0x80000002), HKEY_LOCAL_MACHINE},
                    HiveCase{L"HKU", static_cast<RootKey>(0x80000003), HKEY_USERS},
                    HiveCase{L"hKu", static_cast<RootKey>(0x80000003), HKEY_USERS},
                    HiveCase{L"HKDD", static_cast<RootKey>(0x80000006), HKEY_DYN_DATA},
                    HiveCase{L"HKCC", static_cast<RootKey>(0x80000005), HKEY_CURRENT_CONFIG},
                    HiveCase{L"hkcr", static_cast<RootKey>(0x80000000), HKEY_CLASSES_ROOT},
                    HiveCase{L"HKCR", static_cast<RootKey>(0x80000000), HKEY_CLASSES_ROOT}));

class NotARootTest : public testing::TestWithParam<const wchar_t*> {};

TEST_P(NotARootTest, ResolvesToNone) {
    EXPECT_EQ(modRegistry::ROOT_NONE, ResolveRootKey(GetParam()));
}

INSTANTIATE_TEST_SUITE_P(EveryCase, NotARootTest,
                         testing::Values(L"HKUS", L" HKCU", L"HKCU ", L"HK CU", L"HKCU\\Software",
                                         L"HKEY_CURRENT_USER", L"HKEY_LOCAL_MACHINE", L"HKPD", L"",
                                         nullptr, L"Z:\\no\\such\\directory\\file.ini",
                                         L"\\\\?\\<>|\"", L"C:\\*\\x.ini"));

// A folder of lookup targets, each named by what it is.
class ProfileLookupTest : public testing::Test {
  protected:
    ProfileLookupTest() {
        dir_.WriteFile(L"plain.ini", "[a]\r\n");
        dir_.WriteFile(L"readonly.ini", "", FILE_ATTRIBUTE_READONLY);
        dir_.WriteFile(L"hidden.ini", "", FILE_ATTRIBUTE_HIDDEN);
        dir_.WriteFile(L"system.ini", "", FILE_ATTRIBUTE_SYSTEM);
        dir_.MakeDirectory(L"folder.ini");
        dir_.MakeDirectory(L"onlyfolder.cfg");
    }
    RootKey Resolve(const std::wstring& name) const {
        return ResolveRootKey(dir_.Path(name).c_str());
    }

    TempDirectory dir_;
};

TEST_F(ProfileLookupTest, OrdinaryFilesAreProfilesAndNothingElseIs) {
    EXPECT_EQ(modRegistry::ROOT_PROFILE_FILE, Resolve(L"plain.ini"));
    EXPECT_EQ(modRegistry::ROOT_PROFILE_FILE, Resolve(L"readonly.ini"));
    EXPECT_EQ(modRegistry::ROOT_NONE, Resolve(L"hidden.ini"));
    EXPECT_EQ(modRegistry::ROOT_NONE, Resolve(L"system.ini"));
    EXPECT_EQ(modRegistry::ROOT_NONE, Resolve(L"folder.ini"));
    EXPECT_EQ(modRegistry::ROOT_NONE, Resolve(L"missing.ini"));
    EXPECT_EQ(modRegistry::ROOT_NONE, Resolve(L""));
}

TEST_F(ProfileLookupTest, WildcardsInTheLastComponentMatchOrdinaryFilesOnly) {
    EXPECT_EQ(modRegistry::ROOT_PROFILE_FILE, Resolve(L"*.ini"));
    EXPECT_EQ(modRegistry::ROOT_PROFILE_FILE, Resolve(L"pl?in.ini"));
    EXPECT_EQ(modRegistry::ROOT_NONE, Resolve(L"hid*.ini"));
    EXPECT_EQ(modRegistry::ROOT_NONE, Resolve(L"*.cfg"));
    EXPECT_EQ(modRegistry::ROOT_NONE, Resolve(L"*.none"));
}

TEST_F(ProfileLookupTest, BareNameIsLookedUpInTheCurrentDirectory) {
    wchar_t previous[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, previous);
    ASSERT_TRUE(SetCurrentDirectoryW(dir_.Path().c_str()));
    EXPECT_EQ(modRegistry::ROOT_PROFILE_FILE, ResolveRootKey(L"plain.ini"));
    EXPECT_EQ(modRegistry::ROOT_NONE, ResolveRootKey(L"hidden.ini"));
    SetCurrentDirectoryW(previous);
    EXPECT_EQ(modRegistry::ROOT_NONE, ResolveRootKey(L"plain.ini"));
}

TEST_F(ProfileLookupTest, NameTheAnsiCodePageCannotHoldIsNoFile) {
    // Never approximated: "plαin.ini" must not find "plain.ini" or "pl?in.ini".
    EXPECT_EQ(modRegistry::ROOT_NONE, Resolve(L"pl\u03B1in.ini"));
}

}  // namespace
