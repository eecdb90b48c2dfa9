// Reads the built Moxvane.exe (in the working directory) through the
// platform's resource and version functions, as other programs see it.
#include <gtest/gtest.h>

#include <cstdint>
#include <iterator>
#include <string>
#include <vector>

namespace {

struct ResourceEntry {
    ULONG_PTR type;
    ULONG_PTR name;
    WORD language;
};

BOOL CALLBACK AddLanguage(HMODULE, LPCWSTR type, LPCWSTR name, WORD language, LONG_PTR out) {
    reinterpret_cast<std::vector<ResourceEntry>*>(out)->push_back(
        {reinterpret_cast<ULONG_PTR>(type), reinterpret_cast<ULONG_PTR>(name), language});
    return TRUE;
}

BOOL CALLBACK AddNames(HMODULE module, LPCWSTR type, LPWSTR name, LONG_PTR out) {
    return EnumResourceLanguagesW(module, type, name, AddLanguage, out);
}

BOOL CALLBACK AddTypes(HMODULE module, LPWSTR type, LONG_PTR out) {
    return EnumResourceNamesW(module, type, AddNames, out);
}

class ResourcesTest : public testing::Test {
  protected:
    ResourcesTest() : module_(LoadLibraryExW(L"Moxvane.exe", nullptr, LOAD_LIBRARY_AS_DATAFILE)) {}
    ~ResourcesTest() override { FreeLibrary(module_); }

    std::vector<std::uint8_t> Bytes(int type, int name) const {
        const HRSRC found = FindResourceW(module_, MAKEINTRESOURCEW(name), MAKEINTRESOURCEW(type));
        const auto* data =
            static_cast<const std::uint8_t*>(LockResource(LoadResource(module_, found)));
        return data == nullptr
                   ? std::vector<std::uint8_t>{}
                   : std::vector<std::uint8_t>(data, data + SizeofResource(module_, found));
    }

    HMODULE module_;
};

TEST_F(ResourcesTest, HoldsExactlyTheIconItsGroupTheManifestAndTheVersionBlock) {
    ASSERT_NE(nullptr, module_);
    std::vector<ResourceEntry> entries;
    EnumResourceTypesW(module_, AddTypes, reinterpret_cast<LONG_PTR>(&entries));
    const ResourceEntry expected[] = {
        {3, 30001, 0},  // icon
        {14, 1, 0},     // icon group
        {16, 1, 1033},  // version
        {24, 1, 0},     // manifest
    };
    ASSERT_EQ(std::size(expected), entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        EXPECT_EQ(expected[i].type, entries[i].type) << i;
        EXPECT_EQ(expected[i].name, entries[i].name) << i;
        EXPECT_EQ(expected[i].language, entries[i].language) << i;
    }
}

// What the manifest must say, and must not: the program runs with the rights
// of whoever starts it and is not virtualized, names every Windows it runs on,
// takes the best DPI awareness each has, and loads no Common Controls 6.
TEST_F(ResourcesTest, ManifestDeclaresRightsWindowsVersionsAndDpiAwareness) {
    const auto bytes = Bytes(24, 1);
    const std::string manifest(bytes.begin(), bytes.end());
    for (const char* part :
         {R"(<requestedExecutionLevel level="asInvoker" uiAccess="false"/>)",
          R"(<supportedOS Id="{35138b9a-5d96-4fbd-8e2d-a2440225f93a}"/>)",  // 7
          R"(<supportedOS Id="{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}"/>)",  // 8
          R"(<supportedOS Id="{1f676c76-80e1-4239-95bb-83d0f6d0da78}"/>)",  // 8.1
          R"(<supportedOS Id="{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"/>)",  // 10 and 11
          R"(>true/pm</dpiAware>)", R"(>PerMonitorV2, PerMonitor</dpiAwareness>)"}) {
        EXPECT_NE(std::string::npos, manifest.find(part)) << part;
    }
    EXPECT_EQ(std::string::npos, manifest.find("dependency"));
}

TEST_F(ResourcesTest, IconIsOne32By32SixteenColourImage) {
    const auto image = Bytes(3, 30001);
    ASSERT_EQ(744u, image.size());
    EXPECT_EQ(40, image[0]);   // header size
    EXPECT_EQ(32, image[4]);   // width
    EXPECT_EQ(64, image[8]);   // colour image and mask
    EXPECT_EQ(4, image[14]);   // bits per pixel
    EXPECT_EQ(16, image[32]);  // colours used
    const std::vector<std::uint8_t> group = {0, 0, 1, 0, 1,    0, 32, 32, 16,   0,
                                             1, 0, 4, 0, 0xE8, 2, 0,  0,  0x31, 0x75};
    EXPECT_EQ(group, Bytes(14, 1));
}

TEST_F(ResourcesTest, VersionBlockSaysWhatTheProgramIs) {
    const auto block = Bytes(16, 1);
    ASSERT_FALSE(block.empty());
    void* fixedData = nullptr;
    UINT size = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", &fixedData, &size));
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(fixedData);
    EXPECT_EQ(0x00010001u, fixed->dwFileVersionMS);
    EXPECT_EQ(0u, fixed->dwFileVersionLS);
    EXPECT_EQ(0x00010001u, fixed->dwProductVersionMS);
    EXPECT_EQ(0u, fixed->dwFileFlagsMask);
    EXPECT_EQ(0u, fixed->dwFileFlags);
    EXPECT_EQ(4u, fixed->dwFileOS);
    EXPECT_EQ(1u, fixed->dwFileType);
    EXPECT_EQ(0u, fixed->dwFileDateMS | fixed->dwFileDateLS);

    const std::pair<const wchar_t*, const wchar_t*> strings[] = {
        {L"Comments", L"Moxvane - disable scripting in Windows Media Player"},
        {L"FileDescription", L"Moxvane"},
        {L"ProductName", L"Moxvane"},
        {L"FileVersion", L"1.01"},
        {L"ProductVersion", L"1.01"},
        {L"InternalName", L"Moxvane"},
        {L"OriginalFilename", L"Moxvane.exe"}};
    std::size_t previousOffset = 0;
    std::size_t firstStringOffset = 0;
    for (const auto& [key, expected] : strings) {
        void* value = nullptr;
        const std::wstring path = std::wstring(L"\\StringFileInfo\\040904B0\\") + key;
        ASSERT_TRUE(VerQueryValueW(block.data(), path.c_str(), &value, &size)) << key;
        EXPECT_STREQ(expected, static_cast<const wchar_t*>(value));
        const auto offset =
            static_cast<std::size_t>(static_cast<const std::uint8_t*>(value) - block.data());
        EXPECT_LT(previousOffset, offset) << key << " is out of order";
        previousOffset = offset;
        firstStringOffset = firstStringOffset == 0 ? offset : firstStringOffset;
    }
    void* translation = nullptr;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", &translation, &size));
    EXPECT_EQ(0x04B00409u, *static_cast<const DWORD*>(translation));
    // The translation block stands ahead of the string information.
    EXPECT_LT(
        static_cast<std::size_t>(static_cast<const std::uint8_t*>(translation) - block.data()),
        firstStringOffset);
}

}  // namespace
