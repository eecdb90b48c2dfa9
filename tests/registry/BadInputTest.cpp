// Feeds modRegistry a long, fixed-seed stream of hostile arguments: every
// call must return a status the routines document, write nothing outside the
// scratch hives and the scratch directory, and keep no handle.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "registry/modRegistry.h"
#include "support/LowestFreeHandle.h"
#include "support/ScratchHive.h"
#include "support/TempDirectory.h"

using modRegistry::Variant;

namespace {

constexpr int kCalls = 20000;
constexpr std::mt19937::result_type kSeed = 20261208;

// Every name that the stream can create starts with this, so a write that
// escaped the scratch area would show as a new key or value.
const std::wstring kMark = L"MoxFuzz";

std::wstring Repeat(const std::wstring& piece, size_t count) {
    std::wstring text;
    for (size_t i = 0; i < count; ++i) {
        text += piece;
    }
    return text;
}

class BadInput {
  public:
    // "HKDD" is left out: its hive cannot be redirected, and Wine (unlike
    // Windows, which has none) accepts writes to it.
    explicit BadInput(const testing_support::TempDirectory& dir) {
        const std::wstring ini = dir.WriteFile(L"a.ini", "[s]\r\nk=v\r\n");
        dir.WriteFile(L"b.ini", "");
        roots_ = {L"",
                  L"HKCU",
                  L"hkcu",
                  L" HKCU",
                  L"HKLM",
                  L"HKU",
                  L"HKCR",
                  L"HKCC",
                  L"HKEY_CURRENT_USER",
                  ini,
                  L"a.ini",
                  L".\\b.ini",
                  dir.Path(L"*.ini"),
                  dir.Path(L"?.ini"),
                  dir.Path(),
                  dir.Path(L"missing.ini"),
                  L"*",
                  L"\\\\",
                  L"/",
                  L"C:",
                  L"a.ini\\*",
                  L"\u20ac.ini",
                  L"\u65e5\u672c",
                  Repeat(L"x", 300),
                  Repeat(L"\\x", 200),
                  Repeat(L"y", 40000)};
        components_ = {kMark,
                       kMark + L"*?",
                       kMark + L" sp",
                       kMark + L"\u20ac",
                       kMark + L"\u65e5\u672c",
                       kMark + Repeat(L"k", 300)};
        valueNames_ = {L"",          kMark,         kMark + L"\\x",    kMark + L"*",
                       kMark + L"=", kMark + L"[]", kMark + L"\u20ac", kMark + Repeat(L"v", 20000)};
        typeCodes_ = {L"S",  L"s", L"B", L"b",  L"D",      L"d",    L"",
                      L"SS", L"X", L"0", L" S", L"\u20ac", L"\x01", Repeat(L"D", 300)};
        const double inf = std::numeric_limits<double>::infinity();
        values_ = {Variant(),
                   Variant(std::int16_t{0}),
                   Variant(std::int16_t{-32768}),
                   Variant(std::int32_t{32768}),
                   Variant(std::int32_t{-2147483647 - 1}),
                   Variant(std::nan("")),
                   Variant(inf),
                   Variant(-inf),
                   Variant(1e308),
                   Variant(-0.5),
                   Variant(2.5),
                   Variant(32767.5),
                   Variant(1e-300),
                   Variant(true),
                   Variant(false),
                   Variant(L""),
                   Variant(L"123"),
                   Variant(L" 42 "),
                   Variant(L"1e5"),
                   Variant(L"&H7FFF"),
                   Variant(L"abc"),
                   Variant(L"True"),
                   Variant(L"\u20ac"),
                   Variant(L"line\r\nbreak"),
                   Variant(Repeat(L"t", 40000).c_str())};
    }

    const std::wstring& Root() { return Pick(roots_); }
    const std::wstring& ValueName() { return Pick(valueNames_); }
    const std::wstring& TypeCode() { return Pick(typeCodes_); }
    const Variant& Value() { return Pick(values_); }
    bool Coin() { return random_() % 2 == 0; }

    // Leading, doubled and mixed separators around one to three components.
    std::wstring KeyPath() {
        static const wchar_t* const separators[] = {L"\\", L"\\\\", L"/"};
        std::wstring path = Coin() ? L"" : L"\\";
        if (Coin()) {
            path += L"Software\\";
        }
        const int count = static_cast<int>(random_() % 4);
        for (int i = 0; i < count; ++i) {
            path += (i > 0 ? separators[random_() % 3] : L"") + Pick(components_);
        }
        return path;
    }

  private:
    template <typename T>
    const T& Pick(const std::vector<T>& items) {
        return items[random_() % items.size()];
    }

    std::mt19937 random_{kSeed};
    std::vector<std::wstring> roots_, components_, valueNames_, typeCodes_;
    std::vector<Variant> values_;
};

bool IsDocumentedStatus(modRegistry::RegStatus status) {
    const bool win32Error = status > 0 && status <= 0xFFFF;
    const int facility = HRESULT_FACILITY(status);
    const bool failedHresult =
        status < 0 &&
        (facility == FACILITY_NULL || facility == FACILITY_DISPATCH || facility == FACILITY_WIN32);
    return status == 0 || status == modRegistry::STATUS_NOT_DONE || win32Error || failedHresult;
}

// The names just below a hive's root and below its Software key: where any
// write that escaped the scratch hives would have to appear.
std::set<std::wstring> NamesNearRoot(HKEY hive) {
    std::set<std::wstring> names;
    for (const wchar_t* path : {L"", L"Software"}) {
        HKEY key = nullptr;
        if (RegOpenKeyExW(hive, path, 0, KEY_READ, &key) != ERROR_SUCCESS) {
            continue;
        }
        wchar_t name[16384];
        for (DWORD i = 0, size = 16384; RegEnumKeyExW(key, i, name, &size, nullptr, nullptr,
                                                      nullptr, nullptr) == ERROR_SUCCESS;
             ++i, size = 16384) {
            names.insert(std::wstring(path) + L"\\" + name);
        }
        for (DWORD i = 0, size = 16384; RegEnumValueW(key, i, name, &size, nullptr, nullptr,
                                                      nullptr, nullptr) == ERROR_SUCCESS;
             ++i, size = 16384) {
            names.insert(std::wstring(path) + L":" + name);
        }
        RegCloseKey(key);
    }
    return names;
}

const HKEY kHives[] = {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE,  HKEY_USERS,
                       HKEY_CLASSES_ROOT, HKEY_CURRENT_CONFIG, HKEY_DYN_DATA};

std::vector<std::set<std::wstring>> RegistrySnapshot() {
    std::vector<std::set<std::wstring>> snapshot;
    for (const HKEY hive : kHives) {
        snapshot.push_back(NamesNearRoot(hive));
    }
    // Other test programs running alongside make and remove their scratch keys.
    snapshot.front().erase(testing_support::kScratchParentKey);
    return snapshot;
}

std::set<std::wstring> FilesIn(const std::wstring& directory) {
    std::set<std::wstring> files;
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW((directory + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            files.insert(std::wstring(found.cFileName) + L" " +
                         std::to_wstring(found.nFileSizeLow));
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    return files;
}

std::wstring WindowsDirectory() {
    wchar_t path[MAX_PATH] = L"";
    GetWindowsDirectoryW(path, MAX_PATH);
    return path;
}

struct StreamResult {
    int badStatuses = 0;
    int successes = 0;
    HANDLE lowestFreeAfterWarmUp = nullptr;
    HANDLE lowestFreeAtEnd = nullptr;
};

// Runs the stream in a scratch directory that is also the current directory,
// with every hive that can be redirected pointing at a scratch key.
StreamResult RunStream() {
    StreamResult result;
    const testing_support::TempDirectory dir;
    wchar_t previous[MAX_PATH] = L"";
    GetCurrentDirectoryW(MAX_PATH, previous);
    SetCurrentDirectoryW(dir.Path().c_str());
    {
        const testing_support::ScratchHive user(HKEY_CURRENT_USER), machine(HKEY_LOCAL_MACHINE),
            users(HKEY_USERS), classes(HKEY_CLASSES_ROOT), config(HKEY_CURRENT_CONFIG);
        BadInput input(dir);
        for (int call = 0; call < kCalls; ++call) {
            const std::wstring root = input.Root();
            const std::wstring keyPath = input.KeyPath();
            const std::wstring valueName = input.ValueName();
            const modRegistry::RegStatus status =
                input.Coin()
                    ? modRegistry::WriteRegValue(root.c_str(), keyPath.c_str(), valueName.c_str(),
                                                 input.TypeCode().c_str(), input.Value())
                    : modRegistry::DeleteRegValue(root.c_str(), keyPath.c_str(), valueName.c_str());
            result.badStatuses += IsDocumentedStatus(status) ? 0 : 1;
            result.successes += status == 0 ? 1 : 0;
            if (call == 100) {
                result.lowestFreeAfterWarmUp = testing_support::LowestFreeHandle();
            }
        }
        result.lowestFreeAtEnd = testing_support::LowestFreeHandle();
    }
    SetCurrentDirectoryW(previous);
    return result;
}

TEST(BadInputTest, HostileArgumentsGetDocumentedStatusesAndTouchNothingElse) {
    wchar_t temp[MAX_PATH] = L"";
    GetTempPathW(MAX_PATH, temp);
    const auto registryBefore = RegistrySnapshot();
    const auto tempBefore = FilesIn(temp);
    const auto windowsBefore = FilesIn(WindowsDirectory());

    const StreamResult result = RunStream();

    EXPECT_EQ(0, result.badStatuses);
    EXPECT_GT(result.successes, kCalls / 10);  // the stream reaches the stores, too
    EXPECT_EQ(result.lowestFreeAfterWarmUp, result.lowestFreeAtEnd);
    EXPECT_EQ(registryBefore, RegistrySnapshot());
    EXPECT_EQ(tempBefore, FilesIn(temp));
    EXPECT_EQ(windowsBefore, FilesIn(WindowsDirectory()));
}

}  // namespace
