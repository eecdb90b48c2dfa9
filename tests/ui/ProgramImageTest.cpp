// Reads the built Moxvane.exe (in the working directory) as a file and checks
// the properties of its image that protect and describe it.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

namespace {

class ProgramImageTest : public testing::Test {
  protected:
    ProgramImageTest() {
        std::ifstream file("Moxvane.exe", std::ios::binary);
        bytes_.assign(std::istreambuf_iterator<char>(file), {});
    }

    void SetUp() override {
        ASSERT_GT(bytes_.size(), sizeof(IMAGE_DOS_HEADER));
        ASSERT_EQ(IMAGE_NT_SIGNATURE, Headers().Signature);
    }

    const IMAGE_NT_HEADERS64& Headers() const {
        const auto& dos = *reinterpret_cast<const IMAGE_DOS_HEADER*>(bytes_.data());
        return *reinterpret_cast<const IMAGE_NT_HEADERS64*>(bytes_.data() + dos.e_lfanew);
    }

    std::vector<IMAGE_SECTION_HEADER> Sections() const {
        const IMAGE_SECTION_HEADER* first = IMAGE_FIRST_SECTION(&Headers());
        return {first, first + Headers().FileHeader.NumberOfSections};
    }

    // The file bytes at a relative virtual address.
    const char* AtAddress(DWORD address) const {
        for (const IMAGE_SECTION_HEADER& section : Sections()) {
            if (address >= section.VirtualAddress &&
                address < section.VirtualAddress + section.SizeOfRawData) {
                return reinterpret_cast<const char*>(bytes_.data()) + section.PointerToRawData +
                       (address - section.VirtualAddress);
            }
        }
        return nullptr;
    }

    const IMAGE_DATA_DIRECTORY& Directory(int entry) const {
        return Headers().OptionalHeader.DataDirectory[entry];
    }

    std::set<std::string> ImportedDlls() const {
        std::set<std::string> names;
        const auto* import = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(
            AtAddress(Directory(IMAGE_DIRECTORY_ENTRY_IMPORT).VirtualAddress));
        for (; import != nullptr && import->Name != 0; ++import) {
            std::string name = AtAddress(import->Name);
            CharUpperBuffA(name.data(), static_cast<DWORD>(name.size()));
            names.insert(name);
        }
        return names;
    }

    std::vector<std::uint8_t> bytes_;
};

TEST_F(ProgramImageTest, IsA64BitWindowsProgram) {
    EXPECT_EQ(IMAGE_FILE_MACHINE_AMD64, Headers().FileHeader.Machine);
    EXPECT_EQ(IMAGE_SUBSYSTEM_WINDOWS_GUI, Headers().OptionalHeader.Subsystem);
}

TEST_F(ProgramImageTest, LoadsAtRandomHighAddressesWithNonExecutableData) {
    const WORD required = IMAGE_DLLCHARACTERISTICS_HIGH_ENTROPY_VA |
                          IMAGE_DLLCHARACTERISTICS_DYNAMIC_BASE |
                          IMAGE_DLLCHARACTERISTICS_NX_COMPAT;
    EXPECT_EQ(required, Headers().OptionalHeader.DllCharacteristics & required);
    EXPECT_FALSE(Headers().FileHeader.Characteristics & IMAGE_FILE_RELOCS_STRIPPED);
    EXPECT_GT(Directory(IMAGE_DIRECTORY_ENTRY_BASERELOC).Size, 0u);
}

TEST_F(ProgramImageTest, NoSectionIsBothWritableAndExecutable) {
    for (const IMAGE_SECTION_HEADER& section : Sections()) {
        const std::string name(reinterpret_cast<const char*>(section.Name),
                               strnlen(reinterpret_cast<const char*>(section.Name), 8));
        const DWORD writableCode = IMAGE_SCN_MEM_WRITE | IMAGE_SCN_MEM_EXECUTE;
        EXPECT_NE(writableCode, section.Characteristics & writableCode) << name;
    }
}

TEST_F(ProgramImageTest, CarriesNoBuildTimestamp) {
    EXPECT_EQ(0u, Headers().FileHeader.TimeDateStamp);
}

TEST_F(ProgramImageTest, ImportsOnlySystemDlls) {
    const std::set<std::string> system{"ADVAPI32.DLL", "GDI32.DLL",    "KERNEL32.DLL",
                                       "MSVCRT.DLL",   "OLEAUT32.DLL", "USER32.DLL"};
    for (const std::string& dll : ImportedDlls()) {
        EXPECT_TRUE(system.count(dll)) << dll;
    }
}

}  // namespace
