// modRegistry: writes or deletes one named value in a registry hive or in a
// profile (.ini) file, and reports the outcome as a status code.
#pragma once

#include <windows.h>

#include <cstdint>

#include "registry/Variant.h"

namespace modRegistry {

// Where a root name points: nothing usable, a profile file, or a predefined
// hive's handle value truncated to 32 bits (0x80000001 for HKEY_CURRENT_USER).
using RootKey = std::int32_t;
inline constexpr RootKey ROOT_NONE = 0;
inline constexpr RootKey ROOT_PROFILE_FILE = 1;

// 0 on success, STATUS_NOT_DONE when nothing was attempted, otherwise the error
// code of the platform call that failed: a Win32 error such as 5, or the
// HRESULT of a value conversion such as DISP_E_OVERFLOW.
using RegStatus = std::int32_t;
inline constexpr RegStatus STATUS_NOT_DONE = 99;

// Maps "HKCU", "HKLM", "HKU", "HKDD", "HKCC" or "HKCR" (any case, nothing
// around it) to its hive; otherwise, the path of an existing ordinary file
// (wildcards allowed in its last component) to ROOT_PROFILE_FILE; anything
// else to ROOT_NONE. Never fails.
RootKey ResolveRootKey(const wchar_t* rootName) noexcept;

// The predefined HKEY of a hive's RootKey, sign-extended as the platform's own
// constants are on 64-bit Windows.
HKEY HiveHandle(RootKey rootKey) noexcept;

// Stores `value` under `valueName` of `keyPath`, creating the key as needed.
// Type code "S" (REG_SZ), "B" (REG_BINARY word, true = FF FF) or "D"
// (REG_DWORD of a 16-bit integer), in any case; any other code only creates
// the key. In a profile file the key path is the section, the value name the
// key, and only "S" is accepted.
RegStatus WriteRegValue(const wchar_t* rootName, const wchar_t* keyPath, const wchar_t* valueName,
                        const wchar_t* typeCode, const Variant& value) noexcept;

// Removes `valueName` from `keyPath`; a missing key or value counts as done.
// In a profile file the key is left in place with an empty value.
RegStatus DeleteRegValue(const wchar_t* rootName, const wchar_t* keyPath,
                         const wchar_t* valueName) noexcept;

}  // namespace modRegistry
