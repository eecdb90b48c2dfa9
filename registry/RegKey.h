// An open registry key that is closed on every path out of its scope.
#pragma once

#include <windows.h>

namespace modRegistry {

class RegKey {
  public:
    RegKey() noexcept = default;
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;
    ~RegKey() { Close(); }

    // Opens `path` under `parent`, creating it and any missing parents.
    LSTATUS Create(HKEY parent, const char* path, REGSAM access) noexcept;
    // Opens an existing key; ERROR_FILE_NOT_FOUND when there is none.
    LSTATUS Open(HKEY parent, const char* path, REGSAM access) noexcept;
    LSTATUS Close() noexcept;

    HKEY Get() const noexcept { return key_; }

  private:
    LSTATUS Keep(LSTATUS openStatus) noexcept;

    HKEY key_ = nullptr;
};

}  // namespace modRegistry
