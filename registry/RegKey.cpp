#include "registry/RegKey.h"

namespace modRegistry {

LSTATUS RegKey::Create(HKEY parent, const char* path, REGSAM access) noexcept {
    Close();
    char noClass[] = "";
    SECURITY_ATTRIBUTES defaultSecurity{sizeof(SECURITY_ATTRIBUTES), nullptr, FALSE};
    return Keep(RegCreateKeyExA(parent, path, 0, noClass, REG_OPTION_NON_VOLATILE, access,
                                &defaultSecurity, &key_, nullptr));
}

LSTATUS RegKey::Open(HKEY parent, const char* path, REGSAM access) noexcept {
    Close();
    return Keep(RegOpenKeyExA(parent, path, 0, access, &key_));
}

LSTATUS RegKey::Keep(LSTATUS openStatus) noexcept {
    // A failed open leaves no handle to close.
    if (openStatus != ERROR_SUCCESS) {
        key_ = nullptr;
    }
    return openStatus;
}

LSTATUS RegKey::Close() noexcept {
    LSTATUS status = ERROR_SUCCESS;
    if (key_ != nullptr) {
        status = RegCloseKey(key_);
        key_ = nullptr;
    }
    return status;
}

}  // namespace modRegistry
