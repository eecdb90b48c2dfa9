// A text in the system's ANSI code page, for the narrow registry and profile
// functions. Conversion is exact or fails: a character that the code page
// cannot hold is never replaced by a look-alike or by '?', so a key, value or
// file name can never silently turn into another one.
#pragma once

#include <windows.h>

#include <cstddef>
#include <initializer_list>

namespace modRegistry {

class AnsiText {
  public:
    explicit AnsiText(const wchar_t* text) noexcept;  // NUL-terminated; null reads as ""
    AnsiText(const wchar_t* text, std::size_t length) noexcept;
    AnsiText(const AnsiText&) = delete;
    AnsiText& operator=(const AnsiText&) = delete;
    ~AnsiText();

    // 0, or the Win32 error that made the conversion fail.
    DWORD Error() const noexcept { return error_; }
    // NUL-terminated; "" after a failure.
    const char* Get() const noexcept { return bytes_ != nullptr ? bytes_ : ""; }
    // Bytes of the text, without the terminating NUL.
    DWORD ByteLength() const noexcept { return byteLength_; }

    // The error of the first text that failed to convert, or 0.
    static DWORD FirstError(std::initializer_list<const AnsiText*> texts) noexcept;

    // Turns a path into its absolute form, resolved against the current directory.
    void MakeAbsolute() noexcept;

  private:
    void Convert(const wchar_t* text, std::size_t length) noexcept;
    void Replace(char* bytes, DWORD byteLength) noexcept;

    char* bytes_ = nullptr;
    DWORD byteLength_ = 0;
    DWORD error_ = ERROR_SUCCESS;
};

}  // namespace modRegistry
