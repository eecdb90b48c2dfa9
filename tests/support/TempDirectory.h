// A fresh directory under the temporary path, removed with its contents on
// scope exit: the home of the profile files and lookup targets of a test.
#pragma once

#include <windows.h>

#include <string>

namespace testing_support {

class TempDirectory {
  public:
    TempDirectory();
    TempDirectory(const TempDirectory&) = delete;
    TempDirectory& operator=(const TempDirectory&) = delete;
    ~TempDirectory();

    std::wstring Path(const std::wstring& name = L"") const;
    // Creates (or replaces) a file with these bytes and attributes.
    std::wstring WriteFile(const std::wstring& name, const std::string& bytes,
                           DWORD attributes = FILE_ATTRIBUTE_NORMAL) const;
    std::wstring MakeDirectory(const std::wstring& name) const;

  private:
    std::wstring path_;
};

std::string ReadFileBytes(const std::wstring& path);

}  // namespace testing_support
