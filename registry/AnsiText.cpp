#include "registry/AnsiText.h"

#include <climits>

namespace modRegistry {
namespace {

// Flags that make WideCharToMultiByte refuse instead of approximate. A UTF-8
// ANSI code page takes only WC_ERR_INVALID_CHARS and no default-char query.
int StrictConvert(const wchar_t* text, int length, char* out, int outSize) {
    const UINT codePage = GetACP();
    const bool utf8 = codePage == CP_UTF8;
    BOOL usedDefault = FALSE;
    const int written =
        WideCharToMultiByte(codePage, utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS, text,
                            length, out, outSize, nullptr, utf8 ? nullptr : &usedDefault);
    if (usedDefault) {
        SetLastError(ERROR_NO_UNICODE_TRANSLATION);
        return 0;
    }
    return written;
}

// A buffer of `byteLength` bytes plus a terminating NUL, or null.
char* AllocateText(DWORD byteLength) {
    char* const bytes = static_cast<char*>(HeapAlloc(GetProcessHeap(), 0, byteLength + 1));
    if (bytes != nullptr) {
        bytes[byteLength] = '\0';
    }
    return bytes;
}

void FreeText(char* bytes) {
    if (bytes != nullptr) {
        HeapFree(GetProcessHeap(), 0, bytes);
    }
}

}  // namespace

AnsiText::AnsiText(const wchar_t* text) noexcept
    : AnsiText(text, static_cast<std::size_t>(lstrlenW(text))) {}  // 0 for null

AnsiText::AnsiText(const wchar_t* text, std::size_t length) noexcept {
    Convert(text, length);
}

AnsiText::~AnsiText() {
    FreeText(bytes_);
}

void AnsiText::Replace(char* bytes, DWORD byteLength) noexcept {
    FreeText(bytes_);
    bytes_ = bytes;
    byteLength_ = byteLength;
    if (bytes == nullptr && error_ == ERROR_SUCCESS) {
        error_ = ERROR_NOT_ENOUGH_MEMORY;
    }
}

void AnsiText::Convert(const wchar_t* text, std::size_t length) noexcept {
    if (length > INT_MAX / 4) {
        error_ = ERROR_INVALID_PARAMETER;
        return;
    }
    if (length == 0) {
        return;
    }
    const int wideLength = static_cast<int>(length);
    const int needed = StrictConvert(text, wideLength, nullptr, 0);
    if (needed == 0) {
        error_ = GetLastError();
        return;
    }
    Replace(AllocateText(static_cast<DWORD>(needed)), static_cast<DWORD>(needed));
    if (bytes_ != nullptr && StrictConvert(text, wideLength, bytes_, needed) != needed) {
        error_ = GetLastError();
    }
}

DWORD AnsiText::FirstError(std::initializer_list<const AnsiText*> texts) noexcept {
    DWORD error = ERROR_SUCCESS;
    for (const AnsiText* text : texts) {
        if (error == ERROR_SUCCESS) {
            error = text->Error();
        }
    }
    return error;
}

void AnsiText::MakeAbsolute() noexcept {
    if (error_ != ERROR_SUCCESS) {
        return;
    }
    // Asked with no buffer, the call returns the size it needs, NUL included.
    const DWORD needed = GetFullPathNameA(Get(), 0, nullptr, nullptr);
    char* const absolute = needed != 0 ? AllocateText(needed) : nullptr;
    const DWORD length =
        absolute != nullptr ? GetFullPathNameA(Get(), needed, absolute, nullptr) : 0;
    const DWORD lastError = GetLastError();
    Replace(absolute, length);
    if (needed == 0 || (absolute != nullptr && length == 0)) {
        error_ = lastError;
    } else if (length >= needed) {
        error_ = ERROR_INSUFFICIENT_BUFFER;
    }
}

}  // namespace modRegistry
