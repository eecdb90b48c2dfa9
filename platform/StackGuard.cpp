// Stands in for libssp, whose failure path writes to a console the program
// does not have.
#include "platform/StackGuard.h"

#include "platform/SystemFunction.h"

namespace platform {
namespace {

// The system's random source, RtlGenRandom. Its export in advapi32 forwards to
// cryptbase.dll, which is not one of the DLLs the system always takes from its
// own directory: it is looked up only once the DLL search is restricted, so
// that a cryptbase.dll beside the program is never loaded. Importing it would
// have the loader resolve it by the default search, program folder first.
bool FillFromSystemRandom(UINT_PTR& guard) {
    using GenRandom = BOOLEAN(WINAPI*)(void*, ULONG);
    const auto genRandom =
        LookUpSystemFunction<GenRandom>(GetModuleHandleW(L"advapi32.dll"), "SystemFunction036");
    return genRandom != nullptr && genRandom(&guard, sizeof guard) && guard != UNSET_STACK_GUARD;
}

// The system's fast fail (__fastfail, which mingw-w64 lacks): the process
// ends at once, with no handler run, as the code says.
void FastFail(unsigned code) noexcept {
#if defined(__aarch64__)
    register unsigned codeRegister __asm__("x0") = code;
    __asm__ volatile("brk #0xf003" : : "r"(codeRegister));
#else
    __asm__ volatile("int $0x29" : : "c"(code));
#endif
}

}  // namespace

UINT_PTR DrawStackGuard(bool searchRestricted) noexcept {
    UINT_PTR guard = 0;
    if (!searchRestricted || !FillFromSystemRandom(guard)) {
        guard = MixedStackGuard();
    }
    return guard;
}

UINT_PTR MixedStackGuard() noexcept {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    auto mixed = static_cast<UINT_PTR>(now.dwLowDateTime ^ now.dwHighDateTime);
    mixed ^= GetCurrentProcessId();
    mixed ^= static_cast<UINT_PTR>(counter.QuadPart ^ (counter.QuadPart << 32));
    mixed ^= reinterpret_cast<UINT_PTR>(&mixed);
    return mixed != UNSET_STACK_GUARD ? mixed : mixed + 1;
}

[[noreturn]] void EndOnStackOverrun(bool fastFailAvailable) noexcept {
    if (fastFailAvailable) {
        FastFail(FAST_FAIL_STACK_COOKIE_CHECK_FAILURE);
    }
    TerminateProcess(GetCurrentProcess(), STATUS_STACK_BUFFER_OVERRUN);
    __builtin_unreachable();
}

}  // namespace platform

extern "C" {

// The names are the compiler's: NOLINTBEGIN(bugprone-reserved-identifier)
UINT_PTR __stack_chk_guard = platform::UNSET_STACK_GUARD;

[[noreturn]] void __stack_chk_fail() {
    platform::EndOnStackOverrun(IsProcessorFeaturePresent(PF_FASTFAIL_AVAILABLE) != FALSE);
}
// NOLINTEND(bugprone-reserved-identifier)

}  // extern "C"
