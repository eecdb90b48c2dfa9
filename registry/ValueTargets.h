// The two stores behind modRegistry's routines, once the root name is resolved.
#pragma once

#include <windows.h>

#include "registry/Variant.h"
#include "registry/modRegistry.h"

namespace modRegistry {

enum class ValueKind { Text, Boolean, Integer, None };

// "S", "B" or "D" in any case; anything else is ValueKind::None.
ValueKind ParseTypeCode(const wchar_t* typeCode) noexcept;

RegStatus WriteHiveValue(HKEY hive, const wchar_t* keyPath, const wchar_t* valueName,
                         ValueKind kind, const Variant& value) noexcept;
RegStatus DeleteHiveValue(HKEY hive, const wchar_t* keyPath, const wchar_t* valueName) noexcept;

RegStatus WriteProfileValue(const wchar_t* fileName, const wchar_t* section, const wchar_t* key,
                            ValueKind kind, const Variant& value) noexcept;
RegStatus DeleteProfileValue(const wchar_t* fileName, const wchar_t* section,
                             const wchar_t* key) noexcept;

}  // namespace modRegistry
