// The one registry value both actions work on.
#pragma once

namespace actions {

inline constexpr const wchar_t* TARGET_ROOT = L"HKCU";
inline constexpr const wchar_t* TARGET_KEY = L"Software\\Microsoft\\MediaPlayer\\Preferences";
inline constexpr const wchar_t* TARGET_VALUE = L"PlayerScriptCommandsEnabled";
inline constexpr const wchar_t* TARGET_TYPE = L"D";

}  // namespace actions
