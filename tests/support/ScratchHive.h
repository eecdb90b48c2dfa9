// Redirects one predefined hive of this test process to a fresh, empty key,
// so tests never touch the real user's registry. Removed again on scope exit.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace testing_support {

// Where every test program keeps its scratch keys, under the user's real key;
// test programs that run at the same time come and go there.
inline constexpr const wchar_t* kScratchParentKey = L"Software\\MoxvaneTests";

class ScratchHive {
  public:
    explicit ScratchHive(HKEY hive = HKEY_CURRENT_USER);
    ScratchHive(const ScratchHive&) = delete;
    ScratchHive& operator=(const ScratchHive&) = delete;
    ~ScratchHive();

  private:
    HKEY hive_;
    HKEY scratch_ = nullptr;
    std::wstring name_;
};

// One value as the registry holds it, read independently of the code under test.
struct StoredValue {
    bool exists = false;
    DWORD type = REG_NONE;
    std::vector<std::uint8_t> bytes;
};

StoredValue ReadStoredValue(HKEY root, const wchar_t* keyPath, const wchar_t* valueName);
bool KeyExists(HKEY root, const wchar_t* keyPath);
void StoreValue(HKEY root, const wchar_t* keyPath, const wchar_t* valueName, DWORD type,
                const std::vector<std::uint8_t>& bytes);
void CreateKey(HKEY root, const wchar_t* keyPath);

// Leaves `keyPath` readable but not writable by anyone, as a key the user may
// not modify; the owner keeps the right to unlock it, which the destructor does.
class LockedKey {
  public:
    LockedKey(HKEY root, const wchar_t* keyPath);
    LockedKey(const LockedKey&) = delete;
    LockedKey& operator=(const LockedKey&) = delete;
    ~LockedKey();

  private:
    HKEY key_ = nullptr;
};

}  // namespace testing_support
