#include "registry/AnsiText.h"
#include "registry/SameText.h"
#include "registry/modRegistry.h"

namespace modRegistry {
namespace {

class FileSearch {
  public:
    explicit FileSearch(const char* pattern) noexcept : handle_(FindFirstFileA(pattern, &entry_)) {}
    FileSearch(const FileSearch&) = delete;
    FileSearch& operator=(const FileSearch&) = delete;
    ~FileSearch() {
        if (handle_ != INVALID_HANDLE_VALUE) {
            FindClose(handle_);
        }
    }

    bool HasEntry() const noexcept { return handle_ != INVALID_HANDLE_VALUE && !exhausted_; }
    const WIN32_FIND_DATAA& Entry() const noexcept { return entry_; }
    void Next() noexcept { exhausted_ = FindNextFileA(handle_, &entry_) == FALSE; }

  private:
    WIN32_FIND_DATAA entry_{};
    HANDLE handle_;
    bool exhausted_ = false;
};

bool IsOrdinaryFile(const WIN32_FIND_DATAA& entry) {
    constexpr DWORD notOrdinary =
        FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    return (entry.dwFileAttributes & notOrdinary) == 0;
}

// Whether the path, wildcards allowed in its last component, matches at least
// one ordinary file. Any failure of the search counts as no match.
bool MatchesOrdinaryFile(const wchar_t* path) {
    const AnsiText pattern(path);
    bool found = false;
    if (pattern.Error() == ERROR_SUCCESS && pattern.ByteLength() != 0) {
        for (FileSearch search(pattern.Get()); search.HasEntry() && !found; search.Next()) {
            found = IsOrdinaryFile(search.Entry());
        }
    }
    return found;
}

RootKey RootKeyOf(HKEY hive) {
    return static_cast<RootKey>(reinterpret_cast<LONG_PTR>(hive));
}

RootKey HiveOfAbbreviation(const wchar_t* rootName) {
    struct Abbreviation {
        const wchar_t* name;
        HKEY hive;
    };
    // Tested in this order; the first match wins.
    const Abbreviation abbreviations[] = {
        {L"HKCU", HKEY_CURRENT_USER}, {L"HKLM", HKEY_LOCAL_MACHINE},  {L"HKU", HKEY_USERS},
        {L"HKDD", HKEY_DYN_DATA},     {L"HKCC", HKEY_CURRENT_CONFIG}, {L"HKCR", HKEY_CLASSES_ROOT},
    };
    RootKey root = ROOT_NONE;
    for (const Abbreviation& abbreviation : abbreviations) {
        if (root == ROOT_NONE && IsSameTextIgnoringCase(rootName, abbreviation.name)) {
            root = RootKeyOf(abbreviation.hive);
        }
    }
    return root;
}

}  // namespace

RootKey ResolveRootKey(const wchar_t* rootName) noexcept {
    RootKey root = HiveOfAbbreviation(rootName);
    if (root == ROOT_NONE && MatchesOrdinaryFile(rootName)) {
        root = ROOT_PROFILE_FILE;
    }
    return root;
}

HKEY HiveHandle(RootKey rootKey) noexcept {
    return reinterpret_cast<HKEY>(static_cast<LONG_PTR>(rootKey));
}

}  // namespace modRegistry
