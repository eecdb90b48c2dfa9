#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "registry/modRegistry.h"
#include "support/ScratchHive.h"

using modRegistry::RegStatus;
using modRegistry::Variant;
using modRegistry::WriteRegValue;
using testing_support::ReadStoredValue;
using testing_support::ScratchHive;
using Bytes = std::vector<std::uint8_t>;

namespace {

constexpr const wchar_t* kKey = L"Software\\Moxvane\\Values";
constexpr const wchar_t* kName = L"Setting";

struct StoredCase {
    const char* label;
    const wchar_t* typeCode;
    Variant value;
    DWORD type;
    Bytes bytes;
};

void PrintTo(const StoredCase& c, std::ostream* out) {
    *out << c.label;
}

class StoredImageTest : public testing::TestWithParam<StoredCase> {
  protected:
    ScratchHive hive_;
};

TEST_P(StoredImageTest, WritesTheExpectedTypeAndBytes) {
    const StoredCase& c = GetParam();
    ASSERT_EQ(0, WriteRegValue(L"HKCU", kKey, kName, c.typeCode, c.value));
    const auto stored = ReadStoredValue(HKEY_CURRENT_USER, kKey, kName);
    ASSERT_TRUE(stored.exists);
    EXPECT_EQ(c.type, stored.type);
    EXPECT_EQ(c.bytes, stored.bytes);
}

INSTANTIATE_TEST_SUITE_P(
    EveryTypeCode, StoredImageTest,
    testing::Values(
        StoredCase{"D zero", L"D", Variant(std::int16_t{0}), REG_DWORD, {0, 0, 0, 0}},
        StoredCase{"d lower case", L"d", Variant(std::int16_t{0}), REG_DWORD, {0, 0, 0, 0}},
        StoredCase{"D minus one", L"D", Variant(-1), REG_DWORD, {0xFF, 0xFF, 0xFF, 0xFF}},
        StoredCase{"D 2.5 ties to even", L"D", Variant(2.5), REG_DWORD, {2, 0, 0, 0}},
        StoredCase{"D 3.5 ties to even", L"D", Variant(3.5), REG_DWORD, {4, 0, 0, 0}},
        StoredCase{"D lowest", L"D", Variant(-32768), REG_DWORD, {0x00, 0x80, 0xFF, 0xFF}},
        StoredCase{"D highest", L"D", Variant(32767), REG_DWORD, {0xFF, 0x7F, 0, 0}},
        StoredCase{"D numeric text", L"D", Variant(L" 12 "), REG_DWORD, {12, 0, 0, 0}},
        StoredCase{"D true", L"D", Variant(true), REG_DWORD, {0xFF, 0xFF, 0xFF, 0xFF}},
        StoredCase{"B true", L"B", Variant(true), REG_BINARY, {0xFF, 0xFF}},
        StoredCase{"b false", L"b", Variant(false), REG_BINARY, {0, 0}},
        StoredCase{"B True text", L"B", Variant(L"True"), REG_BINARY, {0xFF, 0xFF}},
        StoredCase{"B nonzero number", L"B", Variant(7), REG_BINARY, {0xFF, 0xFF}},
        StoredCase{"B zero", L"B", Variant(0.0), REG_BINARY, {0, 0}},
        StoredCase{"S abc", L"S", Variant(L"abc"), REG_SZ, {0x61, 0x62, 0x63, 0}},
        StoredCase{"s empty", L"s", Variant(L""), REG_SZ, {0}},
        StoredCase{"S number", L"S", Variant(-1), REG_SZ, {'-', '1', 0}},
        StoredCase{"S fraction", L"S", Variant(2.5), REG_SZ, {'2', '.', '5', 0}},
        StoredCase{"S boolean", L"S", Variant(true), REG_SZ, {'T', 'r', 'u', 'e', 0}}));

struct RefusedCase {
    const char* label;
    const wchar_t* typeCode;
    Variant value;
    RegStatus status;
};

void PrintTo(const RefusedCase& c, std::ostream* out) {
    *out << c.label;
}

class UnconvertibleValueTest : public testing::TestWithParam<RefusedCase> {
  protected:
    ScratchHive hive_;
};

// The key is created first, so it stays; but the value is not written and the
// caller learns why.
TEST_P(UnconvertibleValueTest, ReportsTheConversionErrorAndWritesNothing) {
    const RefusedCase& c = GetParam();
    EXPECT_EQ(c.status, WriteRegValue(L"HKCU", kKey, kName, c.typeCode, c.value));
    EXPECT_TRUE(testing_support::KeyExists(HKEY_CURRENT_USER, kKey));
    EXPECT_FALSE(ReadStoredValue(HKEY_CURRENT_USER, kKey, kName).exists);
}

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInfinity = std::numeric_limits<double>::infinity();

INSTANTIATE_TEST_SUITE_P(
    EveryCase, UnconvertibleValueTest,
    testing::Values(
        RefusedCase{"D above range", L"D", Variant(40000), static_cast<RegStatus>(DISP_E_OVERFLOW)},
        RefusedCase{"D below range", L"D", Variant(-32769.0),
                    static_cast<RegStatus>(DISP_E_OVERFLOW)},
        RefusedCase{"D NaN", L"D", Variant(kNaN), static_cast<RegStatus>(DISP_E_OVERFLOW)},
        RefusedCase{"D infinity", L"D", Variant(kInfinity),
                    static_cast<RegStatus>(DISP_E_OVERFLOW)},
        RefusedCase{"D text", L"D", Variant(L"abc"), static_cast<RegStatus>(DISP_E_TYPEMISMATCH)},
        RefusedCase{"B text", L"B", Variant(L"abc"), static_cast<RegStatus>(DISP_E_TYPEMISMATCH)},
        RefusedCase{"S outside the code page", L"S", Variant(L"\u03B1\u03B2"),
                    ERROR_NO_UNICODE_TRANSLATION}));

class WriteRegValueTest : public testing::Test {
  protected:
    ScratchHive hive_;
};

TEST_F(WriteRegValueTest, TextIsStoredInTheAnsiCodePage) {
    if (GetACP() != 1252) {
        GTEST_SKIP() << "expected bytes are those of code page 1252";
    }
    ASSERT_EQ(0, WriteRegValue(L"HKCU", kKey, kName, L"S", Variant(L"caf\u00E9")));
    EXPECT_EQ((Bytes{'c', 'a', 'f', 0xE9, 0}),
              ReadStoredValue(HKEY_CURRENT_USER, kKey, kName).bytes);
}

TEST_F(WriteRegValueTest, CreatesEveryMissingKeyOnTheWay) {
    ASSERT_FALSE(testing_support::KeyExists(HKEY_CURRENT_USER, L"Software\\Moxvane"));
    EXPECT_EQ(0, WriteRegValue(L"HKCU", L"Software\\Moxvane\\A\\B", kName, L"D", Variant(5)));
    EXPECT_EQ((Bytes{5, 0, 0, 0}),
              ReadStoredValue(HKEY_CURRENT_USER, L"Software\\Moxvane\\A\\B", kName).bytes);
}

TEST_F(WriteRegValueTest, ReplacesAValueOfAnotherType) {
    testing_support::StoreValue(HKEY_CURRENT_USER, kKey, kName, REG_SZ, {'x', 0});
    ASSERT_EQ(0, WriteRegValue(L"HKCU", kKey, kName, L"D", Variant(std::int16_t{0})));
    const auto stored = ReadStoredValue(HKEY_CURRENT_USER, kKey, kName);
    EXPECT_EQ(static_cast<DWORD>(REG_DWORD), stored.type);
    EXPECT_EQ((Bytes{0, 0, 0, 0}), stored.bytes);
}

TEST_F(WriteRegValueTest, EmptyValueNameIsTheDefaultValue) {
    ASSERT_EQ(0, WriteRegValue(L"HKCU", kKey, L"", L"S", Variant(L"abc")));
    EXPECT_EQ((Bytes{'a', 'b', 'c', 0}), ReadStoredValue(HKEY_CURRENT_USER, kKey, nullptr).bytes);
}

TEST_F(WriteRegValueTest, UnknownTypeCodeOnlyCreatesTheKey) {
    for (const wchar_t* code : {L"Q", L"", L"SS", L" D", L"DWORD"}) {
        EXPECT_EQ(0, WriteRegValue(L"HKCU", kKey, kName, code, Variant(1)));
        EXPECT_TRUE(testing_support::KeyExists(HKEY_CURRENT_USER, kKey));
        EXPECT_FALSE(ReadStoredValue(HKEY_CURRENT_USER, kKey, kName).exists);
    }
}

TEST_F(WriteRegValueTest, RootThatNamesNothingAttemptsNothing) {
    for (const wchar_t* root : {L"HKEY_CURRENT_USER", L"HKUS", L""}) {
        EXPECT_EQ(modRegistry::STATUS_NOT_DONE, WriteRegValue(root, kKey, kName, L"D", Variant(0)));
        EXPECT_EQ(modRegistry::STATUS_NOT_DONE, modRegistry::DeleteRegValue(root, kKey, kName));
    }
    EXPECT_FALSE(testing_support::KeyExists(HKEY_CURRENT_USER, L"Software\\Moxvane"));
}

TEST_F(WriteRegValueTest, NameOutsideTheCodePageIsRefusedBeforeAnythingIsCreated) {
    const RegStatus status =
        WriteRegValue(L"HKCU", L"Software\\Moxvane\\\u03B1", kName, L"D", Variant(0));
    EXPECT_EQ(ERROR_NO_UNICODE_TRANSLATION, status);
    EXPECT_EQ(ERROR_NO_UNICODE_TRANSLATION,
              WriteRegValue(L"HKCU", kKey, L"\u03B1", L"D", Variant(0)));
    EXPECT_FALSE(testing_support::KeyExists(HKEY_CURRENT_USER, L"Software\\Moxvane"));
}

TEST(WriteRegValueHiveTest, OtherAbbreviationsReachTheirOwnHive) {
    const ScratchHive machine(HKEY_LOCAL_MACHINE);
    ASSERT_EQ(0, WriteRegValue(L"hklm", kKey, kName, L"D", Variant(3)));
    EXPECT_EQ((Bytes{3, 0, 0, 0}), ReadStoredValue(HKEY_LOCAL_MACHINE, kKey, kName).bytes);
}

}  // namespace
