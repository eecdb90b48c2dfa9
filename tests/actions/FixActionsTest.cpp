#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "actions/FixActions.h"
#include "support/ScratchHive.h"

using testing_support::ReadStoredValue;
using testing_support::StoreValue;
using Bytes = std::vector<std::uint8_t>;

namespace {

constexpr const wchar_t* kPreferences = L"Software\\Microsoft\\MediaPlayer\\Preferences";
constexpr const wchar_t* kScriptValue = L"PlayerScriptCommandsEnabled";

constexpr const wchar_t* kApplied = L"Success! --> WMP Scripting disabled";
constexpr const wchar_t* kUndone = L"Scripting re-enabled in WMP.";

testing_support::StoredValue ScriptSetting() {
    return ReadStoredValue(HKEY_CURRENT_USER, kPreferences, kScriptValue);
}

class FixActionsTest : public testing::Test {
  protected:
    testing_support::ScratchHive hive_;
};

TEST_F(FixActionsTest, ApplyCreatesThePreferenceAsDwordZero) {
    EXPECT_STREQ(kApplied, actions::ApplyFix().title);
    EXPECT_STREQ(kApplied, actions::ApplyFix().title);
    const auto stored = ScriptSetting();
    EXPECT_EQ(static_cast<DWORD>(REG_DWORD), stored.type);
    EXPECT_EQ((Bytes{0, 0, 0, 0}), stored.bytes);
}

TEST_F(FixActionsTest, ApplyOverwritesAnEarlierValueOfAnyType) {
    StoreValue(HKEY_CURRENT_USER, kPreferences, kScriptValue, REG_SZ, {'1', 0});
    EXPECT_STREQ(kApplied, actions::ApplyFix().title);
    EXPECT_EQ((Bytes{0, 0, 0, 0}), ScriptSetting().bytes);
}

TEST_F(FixActionsTest, UndoRemovesTheValueAndSucceedsWhenItIsAlreadyGone) {
    actions::ApplyFix();
    EXPECT_STREQ(kUndone, actions::UndoFix().title);
    EXPECT_FALSE(ScriptSetting().exists);
    EXPECT_STREQ(kUndone, actions::UndoFix().title);
}

TEST_F(FixActionsTest, ApplyAndUndoKeepThePlayersOtherSettings) {
    StoreValue(HKEY_CURRENT_USER, kPreferences, L"Volume", REG_DWORD, {50, 0, 0, 0});
    testing_support::CreateKey(HKEY_CURRENT_USER,
                               L"Software\\Microsoft\\MediaPlayer\\Preferences\\Sub");
    actions::ApplyFix();
    actions::UndoFix();
    EXPECT_EQ((Bytes{50, 0, 0, 0}),
              ReadStoredValue(HKEY_CURRENT_USER, kPreferences, L"Volume").bytes);
    EXPECT_TRUE(testing_support::KeyExists(HKEY_CURRENT_USER,
                                           L"Software\\Microsoft\\MediaPlayer\\Preferences\\Sub"));
}

TEST_F(FixActionsTest, LockedPreferencesGiveTheFailureMessagesAndStayUnchanged) {
    StoreValue(HKEY_CURRENT_USER, kPreferences, kScriptValue, REG_DWORD, {1, 0, 0, 0});
    {
        const testing_support::LockedKey locked(HKEY_CURRENT_USER, kPreferences);
        const actions::FixMessage applied = actions::ApplyFix();
        EXPECT_STREQ(L"Error", applied.title);
        EXPECT_STREQ(
            L"There was an error creating the registry key - scripting in WMP is NOT disabled.",
            applied.text);
        const actions::FixMessage undone = actions::UndoFix();
        EXPECT_STREQ(L"Error", undone.title);
        EXPECT_STREQ(
            L"There was an error deleting the registry key - it may have already been deleted.",
            undone.text);
    }
    EXPECT_EQ((Bytes{1, 0, 0, 0}), ScriptSetting().bytes);
}

TEST_F(FixActionsTest, SuccessMessagesSayWhatHappened) {
    EXPECT_STREQ(
        L"Scripting in WMP has been disabled for the current user! Re-run this program "
        L"for every additional user on this computer to disable scripting for everyone.",
        actions::ApplyFix().text);
    EXPECT_STREQ(L"Scripting in WMP has been re-enabled for the current user.",
                 actions::UndoFix().text);
}

}  // namespace
