#include <cstdint>

#include "registry/AnsiText.h"
#include "registry/RegKey.h"
#include "registry/ValueTargets.h"
#include "registry/ValueText.h"

namespace modRegistry {
namespace {

RegStatus SetValue(HKEY key, const AnsiText& name, DWORD type, const void* data, DWORD size) {
    return RegSetValueExA(key, name.Get(), 0, type, static_cast<const BYTE*>(data), size);
}

RegStatus SetText(HKEY key, const AnsiText& name, const Variant& value) {
    const ValueText text(value);
    RegStatus status = text.Status();
    if (status == ERROR_SUCCESS) {
        status = SetValue(key, name, REG_SZ, text.Ansi().Get(), text.Ansi().ByteLength() + 1);
    }
    return status;
}

// Stored as the 16-bit VARIANT_BOOL itself: true is FF FF, false 00 00.
RegStatus SetBoolean(HKEY key, const AnsiText& name, const Variant& value) {
    Variant flag;
    RegStatus status = value.ConvertTo(VT_BOOL, flag);
    if (status == ERROR_SUCCESS) {
        const VARIANT_BOOL word = flag.Get().boolVal;
        status = SetValue(key, name, REG_BINARY, &word, sizeof word);
    }
    return status;
}

// A 16-bit integer, sign-extended: -1 is stored as FF FF FF FF.
RegStatus SetInteger(HKEY key, const AnsiText& name, const Variant& value) {
    Variant number;
    RegStatus status = value.ConvertTo(VT_I2, number);
    if (status == ERROR_SUCCESS) {
        const auto dword = static_cast<DWORD>(static_cast<std::int32_t>(number.Get().iVal));
        status = SetValue(key, name, REG_DWORD, &dword, sizeof dword);
    }
    return status;
}

RegStatus SetTypedValue(HKEY key, const AnsiText& name, ValueKind kind, const Variant& value) {
    RegStatus status = ERROR_SUCCESS;
    switch (kind) {
        case ValueKind::Text:
            status = SetText(key, name, value);
            break;
        case ValueKind::Boolean:
            status = SetBoolean(key, name, value);
            break;
        case ValueKind::Integer:
            status = SetInteger(key, name, value);
            break;
        case ValueKind::None:
            break;
    }
    return status;
}

}  // namespace

RegStatus WriteHiveValue(HKEY hive, const wchar_t* keyPath, const wchar_t* valueName,
                         ValueKind kind, const Variant& value) noexcept {
    const AnsiText path(keyPath);
    const AnsiText name(valueName);
    RegStatus status = static_cast<RegStatus>(AnsiText::FirstError({&path, &name}));
    RegKey key;
    if (status == ERROR_SUCCESS) {
        status = key.Create(hive, path.Get(), KEY_CREATE_SUB_KEY | KEY_SET_VALUE);
    }
    if (status == ERROR_SUCCESS) {
        status = SetTypedValue(key.Get(), name, kind, value);
    }
    if (status == ERROR_SUCCESS) {
        status = key.Close();
    }
    return status;
}

RegStatus DeleteHiveValue(HKEY hive, const wchar_t* keyPath, const wchar_t* valueName) noexcept {
    const AnsiText path(keyPath);
    const AnsiText name(valueName);
    RegStatus status = static_cast<RegStatus>(AnsiText::FirstError({&path, &name}));
    if (status == ERROR_SUCCESS) {
        RegKey key;
        status = key.Open(hive, path.Get(), KEY_SET_VALUE);
        if (status == ERROR_SUCCESS) {
            status = RegDeleteValueA(key.Get(), name.Get());
        }
        // A missing key or value is already what the caller asked for.
        if (status == ERROR_FILE_NOT_FOUND) {
            status = ERROR_SUCCESS;
        }
    }
    return status;
}

}  // namespace modRegistry
