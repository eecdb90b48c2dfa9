// Case-insensitive equality of two whole texts, as root names and type codes
// are compared: "hkcu" and "HkCu" equal "HKCU", " HKCU" does not.
#pragma once

#include <windows.h>

namespace modRegistry {

inline bool IsSameTextIgnoringCase(const wchar_t* text, const wchar_t* other) noexcept {
    return CompareStringOrdinal(text != nullptr ? text : L"", -1, other, -1, TRUE) == CSTR_EQUAL;
}

}  // namespace modRegistry
