#include "support/TempDirectory.h"

#include <gtest/gtest.h>

namespace testing_support {
namespace {

void RemoveTree(const std::wstring& directory) {
    WIN32_FIND_DATAW entry;
    const HANDLE search = FindFirstFileW((directory + L"\\*").c_str(), &entry);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = entry.cFileName;
            const std::wstring path = directory + L"\\" + name;
            if (name == L"." || name == L"..") {
                continue;
            }
            SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(path);
            } else {
                DeleteFileW(path.c_str());
            }
        } while (FindNextFileW(search, &entry));
        FindClose(search);
    }
    RemoveDirectoryW(directory.c_str());
}

}  // namespace

TempDirectory::TempDirectory() {
    static int counter = 0;
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    path_ = std::wstring(temp) + L"moxvane-test-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
            std::to_wstring(++counter);
    RemoveTree(path_);
    EXPECT_TRUE(CreateDirectoryW(path_.c_str(), nullptr));
}

TempDirectory::~TempDirectory() {
    RemoveTree(path_);
}

std::wstring TempDirectory::Path(const std::wstring& name) const {
    return name.empty() ? path_ : path_ + L"\\" + name;
}

std::wstring TempDirectory::WriteFile(const std::wstring& name, const std::string& bytes,
                                      DWORD attributes) const {
    const std::wstring path = Path(name);
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    const HANDLE file =
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, attributes, nullptr);
    EXPECT_NE(INVALID_HANDLE_VALUE, file);
    DWORD written = 0;
    ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    SetFileAttributesW(path.c_str(), attributes);
    return path;
}

std::wstring TempDirectory::MakeDirectory(const std::wstring& name) const {
    const std::wstring path = Path(name);
    EXPECT_TRUE(CreateDirectoryW(path.c_str(), nullptr));
    return path;
}

std::string ReadFileBytes(const std::wstring& path) {
    std::string bytes;
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        char buffer[4096];
        DWORD read = 0;
        while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read != 0) {
            bytes.append(buffer, read);
        }
        CloseHandle(file);
    }
    return bytes;
}

}  // namespace testing_support
