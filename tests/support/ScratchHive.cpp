#include "support/ScratchHive.h"

#include <gtest/gtest.h>
#include <sddl.h>

namespace testing_support {
namespace {

// The user's real key, opened on first use, before any scratch hive redirects
// HKEY_CURRENT_USER, and kept for the life of the test program: scratch keys
// live there whatever the predefined handle points at meanwhile.
HKEY RealCurrentUser() {
    static const HKEY user = [] {
        HKEY key = nullptr;
        RegOpenKeyExW(HKEY_CURRENT_USER, nullptr, 0, KEY_ALL_ACCESS, &key);
        return key;
    }();
    return user;
}

std::wstring UniqueScratchName() {
    static int counter = 0;
    return std::wstring(kScratchParentKey) + L"\\" + std::to_wstring(GetCurrentProcessId()) + L"-" +
           std::to_wstring(++counter);
}

void SetKeyDacl(HKEY key, const wchar_t* sddl) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1,
                                                                     &descriptor, nullptr));
    EXPECT_EQ(ERROR_SUCCESS, RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, descriptor));
    LocalFree(descriptor);
}

std::string NarrowAscii(const wchar_t* text) {
    std::string narrow;
    for (const wchar_t* c = text != nullptr ? text : L""; *c != L'\0'; ++c) {
        narrow += static_cast<char>(*c);
    }
    return narrow;
}

}  // namespace

ScratchHive::ScratchHive(HKEY hive) : hive_(hive), name_(UniqueScratchName()) {
    EXPECT_EQ(ERROR_SUCCESS, RegCreateKeyExW(RealCurrentUser(), name_.c_str(), 0, nullptr, 0,
                                             KEY_ALL_ACCESS, nullptr, &scratch_, nullptr));
    EXPECT_EQ(ERROR_SUCCESS, RegOverridePredefKey(hive_, scratch_));
}

ScratchHive::~ScratchHive() {
    RegOverridePredefKey(hive_, nullptr);
    RegCloseKey(scratch_);
    RegDeleteTreeW(RealCurrentUser(), name_.c_str());
    RegDeleteKeyW(RealCurrentUser(), kScratchParentKey);  // only succeeds once empty
}

// Read through the narrow function, so text comes back in the ANSI code page
// as the narrow writer stored it.
StoredValue ReadStoredValue(HKEY root, const wchar_t* keyPath, const wchar_t* valueName) {
    StoredValue value;
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, keyPath, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
        return value;
    }
    const std::string name = NarrowAscii(valueName);
    DWORD size = 0;
    if (RegQueryValueExA(key, name.c_str(), nullptr, &value.type, nullptr, &size) ==
        ERROR_SUCCESS) {
        value.bytes.resize(size);
        value.exists = RegQueryValueExA(key, name.c_str(), nullptr, &value.type, value.bytes.data(),
                                        &size) == ERROR_SUCCESS;
    }
    RegCloseKey(key);
    return value;
}

bool KeyExists(HKEY root, const wchar_t* keyPath) {
    HKEY key = nullptr;
    const bool exists = RegOpenKeyExW(root, keyPath, 0, KEY_READ, &key) == ERROR_SUCCESS;
    if (exists) {
        RegCloseKey(key);
    }
    return exists;
}

void CreateKey(HKEY root, const wchar_t* keyPath) {
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS,
              RegCreateKeyExW(root, keyPath, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr));
    RegCloseKey(key);
}

void StoreValue(HKEY root, const wchar_t* keyPath, const wchar_t* valueName, DWORD type,
                const std::vector<std::uint8_t>& bytes) {
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS,
              RegCreateKeyExW(root, keyPath, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr));
    EXPECT_EQ(ERROR_SUCCESS, RegSetValueExW(key, valueName, 0, type, bytes.data(),
                                            static_cast<DWORD>(bytes.size())));
    RegCloseKey(key);
}

LockedKey::LockedKey(HKEY root, const wchar_t* keyPath) {
    EXPECT_EQ(ERROR_SUCCESS, RegCreateKeyExW(root, keyPath, 0, nullptr, 0, WRITE_DAC | READ_CONTROL,
                                             nullptr, &key_, nullptr));
    SetKeyDacl(key_, L"D:P(A;;KR;;;WD)");
}

LockedKey::~LockedKey() {
    SetKeyDacl(key_, L"D:(A;;KA;;;WD)");
    RegCloseKey(key_);
}

}  // namespace testing_support
