#include "registry/modRegistry.h"

#include "registry/ValueTargets.h"

#include "registry/SameText.h"

namespace modRegistry {

ValueKind ParseTypeCode(const wchar_t* typeCode) noexcept {
    ValueKind kind = ValueKind::None;
    if (IsSameTextIgnoringCase(typeCode, L"S")) {
        kind = ValueKind::Text;
    } else if (IsSameTextIgnoringCase(typeCode, L"B")) {
        kind = ValueKind::Boolean;
    } else if (IsSameTextIgnoringCase(typeCode, L"D")) {
        kind = ValueKind::Integer;
    }
    return kind;
}

RegStatus WriteRegValue(const wchar_t* rootName, const wchar_t* keyPath, const wchar_t* valueName,
                        const wchar_t* typeCode, const Variant& value) noexcept {
    RegStatus status = STATUS_NOT_DONE;
    const RootKey root = ResolveRootKey(rootName);
    if (root == ROOT_PROFILE_FILE) {
        // A profile file takes the key path as its section and the value name as its key.
        // NOLINTNEXTLINE(readability-suspicious-call-argument)
        status = WriteProfileValue(rootName, keyPath, valueName, ParseTypeCode(typeCode), value);
    } else if (root != ROOT_NONE) {
        status =
            WriteHiveValue(HiveHandle(root), keyPath, valueName, ParseTypeCode(typeCode), value);
    }
    return status;
}

RegStatus DeleteRegValue(const wchar_t* rootName, const wchar_t* keyPath,
                         const wchar_t* valueName) noexcept {
    RegStatus status = STATUS_NOT_DONE;
    const RootKey root = ResolveRootKey(rootName);
    if (root == ROOT_PROFILE_FILE) {
        // NOLINTNEXTLINE(readability-suspicious-call-argument): as in WriteRegValue
        status = DeleteProfileValue(rootName, keyPath, valueName);
    } else if (root != ROOT_NONE) {
        status = DeleteHiveValue(HiveHandle(root), keyPath, valueName);
    }
    return status;
}

}  // namespace modRegistry
