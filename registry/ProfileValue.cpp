#include "registry/AnsiText.h"
#include "registry/ValueTargets.h"
#include "registry/ValueText.h"

namespace modRegistry {
namespace {

// Writes `string` as `key` of `section`. The file name is made absolute first:
// the profile functions would otherwise look for a bare name in the Windows
// directory, not in the current directory where the root name was found.
RegStatus WriteProfileString(const wchar_t* fileName, const wchar_t* section, const wchar_t* key,
                             const AnsiText& string) {
    AnsiText file(fileName);
    file.MakeAbsolute();
    const AnsiText sectionName(section);
    const AnsiText keyName(key);
    RegStatus status =
        static_cast<RegStatus>(AnsiText::FirstError({&file, &sectionName, &keyName, &string}));
    if (status == ERROR_SUCCESS &&
        !WritePrivateProfileStringA(sectionName.Get(), keyName.Get(), string.Get(), file.Get())) {
        const DWORD error = GetLastError();
        status = static_cast<RegStatus>(error != ERROR_SUCCESS ? error : ERROR_WRITE_FAULT);
    }
    return status;
}

}  // namespace

RegStatus WriteProfileValue(const wchar_t* fileName, const wchar_t* section, const wchar_t* key,
                            ValueKind kind, const Variant& value) noexcept {
    RegStatus status = STATUS_NOT_DONE;
    if (kind == ValueKind::Text) {
        const ValueText text(value);
        status = text.Status();
        if (status == ERROR_SUCCESS) {
            status = WriteProfileString(fileName, section, key, text.Ansi());
        }
    }
    return status;
}

// The key stays in the file with an empty value.
RegStatus DeleteProfileValue(const wchar_t* fileName, const wchar_t* section,
                             const wchar_t* key) noexcept {
    return WriteProfileString(fileName, section, key, AnsiText(L""));
}

}  // namespace modRegistry
