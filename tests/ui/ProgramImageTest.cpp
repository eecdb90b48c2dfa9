// Reads the built Moxvane.exe (in the working directory) as a file and checks
// the properties of its image that protect and describe it. The test is built
// for the program's own architecture, so the native header types fit it.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
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

    const IMAGE_NT_HEADERS& Headers() const {
        const auto& dos = *reinterpret_cast<const IMAGE_DOS_HEADER*>(bytes_.data());
        return *reinterpret_cast<const IMAGE_NT_HEADERS*>(bytes_.data() + dos.e_lfanew);
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

    // Every imported DLL, its name in capitals, with its imported functions.
    std::map<std::string, std::set<std::string>> Imports() const {
        std::map<std::string, std::set<std::string>> imports;
        const auto* import = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(
            AtAddress(Directory(IMAGE_DIRECTORY_ENTRY_IMPORT).VirtualAddress));
        for (; import != nullptr && import->Name != 0; ++import) {
            std::string dll = AtAddress(import->Name);
            CharUpperBuffA(dll.data(), static_cast<DWORD>(dll.size()));
            std::set<std::string>& functions = imports[dll];
            const auto* thunk =
                reinterpret_cast<const IMAGE_THUNK_DATA*>(AtAddress(import->OriginalFirstThunk));
            for (; thunk != nullptr && thunk->u1.AddressOfData != 0; ++thunk) {
                const auto* byName = reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(
                    AtAddress(static_cast<DWORD>(thunk->u1.AddressOfData)));
                functions.insert(byName->Name);
            }
        }
        return imports;
    }

    // Every imported function as "DLL!function".
    std::set<std::string> ImportedFunctions() const {
        std::set<std::string> names;
        for (const auto& [dll, functions] : Imports()) {
            for (const std::string& function : functions) {
                names.insert(dll + "!" + function);
            }
        }
        return names;
    }

    std::vector<std::uint8_t> bytes_;
};

#ifdef _WIN64
#ifdef __aarch64__
constexpr WORD kMachine = IMAGE_FILE_MACHINE_ARM64;
#else
constexpr WORD kMachine = IMAGE_FILE_MACHINE_AMD64;
#endif
// Address-space randomisation with 64-bit entropy.
constexpr WORD kArchitectureCharacteristics = IMAGE_DLLCHARACTERISTICS_HIGH_ENTROPY_VA;
#else
constexpr WORD kMachine = IMAGE_FILE_MACHINE_I386;
// Honestly declared (no code of the image registers a handler): with it, no
// handler in the image is ever taken as valid, which the SafeSEH rule accepts
// in place of a table of handlers.
constexpr WORD kArchitectureCharacteristics = IMAGE_DLLCHARACTERISTICS_NO_SEH;
#endif

TEST_F(ProgramImageTest, IsAWindowsProgramForItsArchitecture) {
    EXPECT_EQ(kMachine, Headers().FileHeader.Machine);
    EXPECT_EQ(IMAGE_SUBSYSTEM_WINDOWS_GUI, Headers().OptionalHeader.Subsystem);
}

// Without TERMINAL_SERVER_AWARE, a Remote Desktop host runs the program under
// its compatibility layer: a Windows directory per user, registry reflected.
TEST_F(ProgramImageTest, LoadsAtRandomAddressesWithNonExecutableDataAsRemoteDesktopAware) {
    const WORD required = kArchitectureCharacteristics | IMAGE_DLLCHARACTERISTICS_DYNAMIC_BASE |
                          IMAGE_DLLCHARACTERISTICS_NX_COMPAT |
                          IMAGE_DLLCHARACTERISTICS_TERMINAL_SERVER_AWARE;
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

#ifndef _WIN64
// An x86 image that declares NO_SEH must not register a handler, or the
// system would reject it when an exception comes: its code never stores to
// fs:[0], the head of the thread's handler chain (mov from eax, mov from a
// register, pop or mov of a constant, each to the absolute address 0).
bool StoresToHandlerChain(const std::uint8_t* code) {
    const bool absoluteZero =
        (code[2] & 0xC7) == 0x05 && code[3] == 0 && code[4] == 0 && code[5] == 0 && code[6] == 0;
    const bool fromEax =
        code[1] == 0xA3 && code[2] == 0 && code[3] == 0 && code[4] == 0 && code[5] == 0;
    const bool otherStore = (code[1] == 0x89 || code[1] == 0x8F || code[1] == 0xC7) && absoluteZero;
    return code[0] == 0x64 && (fromEax || otherStore);
}

TEST_F(ProgramImageTest, RegistersNoStructuredExceptionHandler) {
    for (const IMAGE_SECTION_HEADER& section : Sections()) {
        if ((section.Characteristics & IMAGE_SCN_MEM_EXECUTE) == 0) {
            continue;
        }
        const std::uint8_t* code = bytes_.data() + section.PointerToRawData;
        for (DWORD offset = 0; offset + 7 <= section.SizeOfRawData; ++offset) {
            EXPECT_FALSE(StoresToHandlerChain(code + offset))
                << "a store to fs:[0] at file offset " << section.PointerToRawData + offset;
        }
    }
}
#endif

TEST_F(ProgramImageTest, CarriesNoBuildTimestamp) {
    EXPECT_EQ(0u, Headers().FileHeader.TimeDateStamp);
}

// The oldest Windows the program runs on, as the image declares it.
TEST_F(ProgramImageTest, NeedsWindows7Sp1) {
    EXPECT_EQ(6, Headers().OptionalHeader.MajorSubsystemVersion);
    EXPECT_EQ(1, Headers().OptionalHeader.MinorSubsystemVersion);
    EXPECT_EQ(6, Headers().OptionalHeader.MajorOperatingSystemVersion);
    EXPECT_EQ(1, Headers().OptionalHeader.MinorOperatingSystemVersion);
}

// The DLLs that Windows 7 and later always take from the system directory
// (the KnownDLLs), whatever lies beside the program.
const std::set<std::string> kWindows7KnownDlls{
    "ADVAPI32.DLL", "CLBCATQ.DLL",  "COMDLG32.DLL", "DIFXAPI.DLL",  "GDI32.DLL",  "IERTUTIL.DLL",
    "IMAGEHLP.DLL", "IMM32.DLL",    "KERNEL32.DLL", "LPK.DLL",      "MSCTF.DLL",  "MSVCRT.DLL",
    "NORMALIZ.DLL", "NSI.DLL",      "OLE32.DLL",    "OLEAUT32.DLL", "PSAPI.DLL",  "RPCRT4.DLL",
    "SECHOST.DLL",  "SETUPAPI.DLL", "SHELL32.DLL",  "SHLWAPI.DLL",  "URLMON.DLL", "USER32.DLL",
    "USP10.DLL",    "WININET.DLL",  "WLDAP32.DLL",  "WS2_32.DLL"};

// No import can bring a DLL from beside the program: each imported DLL is a
// KnownDLL, and no imported function is one that Windows forwards to a DLL
// outside them (advapi32's random source lives in cryptbase.dll).
TEST_F(ProgramImageTest, ImportsComeFromTheSystemDirectoryOnly) {
    const std::set<std::string> forwardedOutside{"ADVAPI32.DLL!SystemFunction036",
                                                 "ADVAPI32.DLL!SystemFunction040",
                                                 "ADVAPI32.DLL!SystemFunction041"};
    for (const auto& [dll, functions] : Imports()) {
        EXPECT_TRUE(kWindows7KnownDlls.count(dll))
            << dll << " could be loaded from beside the program";
    }
    for (const std::string& function : ImportedFunctions()) {
        EXPECT_FALSE(forwardedOutside.count(function))
            << function << " is forwarded outside the KnownDLLs";
    }
}

// Each import is here because the program's own code calls it and Windows 7
// SP1 has it. A new one fails this test until someone has checked the Windows
// version it needs and added it. Functions of later versions are looked up at
// run time instead.
TEST_F(ProgramImageTest, ImportsOnlyTheProgramsOwnCallsThatWindows7Has) {
    std::set<std::string> checked{
        "ADVAPI32.DLL!RegCloseKey", "ADVAPI32.DLL!RegCreateKeyExA", "ADVAPI32.DLL!RegDeleteValueA",
        "ADVAPI32.DLL!RegOpenKeyExA", "ADVAPI32.DLL!RegSetValueExA",
        //
        "GDI32.DLL!CreateFontW", "GDI32.DLL!CreateSolidBrush", "GDI32.DLL!DeleteObject",
        "GDI32.DLL!GetDeviceCaps", "GDI32.DLL!SetBkColor", "GDI32.DLL!SetTextColor",
        //
        "KERNEL32.DLL!CompareStringOrdinal", "KERNEL32.DLL!ExitProcess", "KERNEL32.DLL!FindClose",
        "KERNEL32.DLL!FindFirstFileA", "KERNEL32.DLL!FindNextFileA", "KERNEL32.DLL!GetACP",
        "KERNEL32.DLL!GetCurrentProcess", "KERNEL32.DLL!GetCurrentProcessId",
        "KERNEL32.DLL!GetFullPathNameA", "KERNEL32.DLL!GetLastError",
        "KERNEL32.DLL!GetModuleHandleW", "KERNEL32.DLL!GetProcAddress",
        "KERNEL32.DLL!GetProcessHeap", "KERNEL32.DLL!GetSystemDirectoryW",
        "KERNEL32.DLL!GetSystemTimeAsFileTime", "KERNEL32.DLL!HeapAlloc", "KERNEL32.DLL!HeapFree",
        "KERNEL32.DLL!HeapSetInformation", "KERNEL32.DLL!InitOnceExecuteOnce",
        "KERNEL32.DLL!IsProcessorFeaturePresent", "KERNEL32.DLL!LoadLibraryExW",
        "KERNEL32.DLL!MulDiv", "KERNEL32.DLL!QueryPerformanceCounter", "KERNEL32.DLL!SetLastError",
        "KERNEL32.DLL!TerminateProcess", "KERNEL32.DLL!WideCharToMultiByte",
        "KERNEL32.DLL!WritePrivateProfileStringA", "KERNEL32.DLL!lstrlenW",
        //
        "USER32.DLL!AdjustWindowRectEx", "USER32.DLL!CreateWindowExW", "USER32.DLL!DefWindowProcW",
        "USER32.DLL!DestroyWindow", "USER32.DLL!DispatchMessageW", "USER32.DLL!FillRect",
        "USER32.DLL!GetClassInfoExW", "USER32.DLL!GetClientRect", "USER32.DLL!GetDC",
        "USER32.DLL!GetDlgItem", "USER32.DLL!GetFocus", "USER32.DLL!GetMessageW",
        "USER32.DLL!GetSysColor", "USER32.DLL!GetSystemMetrics", "USER32.DLL!IsChild",
        "USER32.DLL!IsDialogMessageW", "USER32.DLL!IsIconic", "USER32.DLL!LoadCursorW",
        "USER32.DLL!LoadImageW", "USER32.DLL!MessageBoxW", "USER32.DLL!MonitorFromWindow",
        "USER32.DLL!PostQuitMessage", "USER32.DLL!RedrawWindow", "USER32.DLL!RegisterClassExW",
        "USER32.DLL!ReleaseDC", "USER32.DLL!SendMessageW", "USER32.DLL!SetFocus",
        "USER32.DLL!SetWindowPos", "USER32.DLL!ShowWindow", "USER32.DLL!SystemParametersInfoW",
        "USER32.DLL!TranslateMessage"};
#ifdef _WIN64
    checked.insert({"USER32.DLL!GetWindowLongPtrW", "USER32.DLL!SetWindowLongPtrW"});
#else
    checked.insert({"USER32.DLL!GetWindowLongW", "USER32.DLL!SetWindowLongW"});
#endif
    for (const std::string& function : ImportedFunctions()) {
        EXPECT_TRUE(checked.count(function)) << function << " is new: which Windows has it?";
    }
}

// The link map (Moxvane.map, beside the program) as lines.
std::vector<std::string> LinkMap() {
    std::ifstream file("Moxvane.map");
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);) {
        lines.push_back(line);
    }
    return lines;
}

// The system starts the program in its own function, StartMoxvane, and no C
// run-time library runs before or around it: no thread-local storage
// directory (whose callbacks would run first) and no static constructor,
// which nothing would call.
TEST_F(ProgramImageTest, StartsInItsOwnEntryPointAlone) {
    // GNU ld's map gives addresses, lld's addresses relative to the image.
    const ULONGLONG relative = Headers().OptionalHeader.AddressOfEntryPoint;
    const ULONGLONG entry = Headers().OptionalHeader.ImageBase + relative;
    bool entryIsOurs = false;
    for (const std::string& line : LinkMap()) {
        std::istringstream words(line);
        std::vector<std::string> tokens{std::istream_iterator<std::string>(words), {}};
        // x86 names the WINAPI function with its argument bytes.
        const std::set<std::string> entryNames{"StartMoxvane", "StartMoxvane@0"};
        if (!tokens.empty() && entryNames.count(tokens.back())) {
            for (const std::string& token : tokens) {
                const ULONGLONG address = std::strtoull(token.c_str(), nullptr, 16);
                entryIsOurs = entryIsOurs || address == entry || address == relative;
            }
        }
        const bool objectFile = line.find(".obj") != std::string::npos;
        EXPECT_FALSE(objectFile && (line.find(".ctors") != std::string::npos ||
                                    line.find(".init_array") != std::string::npos))
            << "a static constructor: " << line;
    }
    EXPECT_TRUE(entryIsOurs) << "entry point " << std::hex << entry;
    EXPECT_EQ(0u, Directory(IMAGE_DIRECTORY_ENTRY_TLS).Size);
}

}  // namespace
