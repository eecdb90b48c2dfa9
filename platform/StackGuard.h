// The stack canary that -fstack-protector-strong checks in the program's own
// code, and what happens when a check fails.
#pragma once

#include <windows.h>

// The canary itself; its name is the compiler's.
extern "C" UINT_PTR __stack_chk_guard;  // NOLINT(bugprone-reserved-identifier)

namespace platform {

// The canary before the process has set it: the Windows compilers' default
// security cookie.
#ifdef _WIN64
inline constexpr UINT_PTR UNSET_STACK_GUARD = 0x00002B992DDFA232;
#else
inline constexpr UINT_PTR UNSET_STACK_GUARD = 0xBB40E64E;
#endif

// A new canary for the process: from the system's random source, looked up
// only once the DLL search is restricted (`searchRestricted`), else mixed.
UINT_PTR DrawStackGuard(bool searchRestricted) noexcept;

// A canary mixed from the clock, the process number, the performance counter
// and a stack address, as the Windows compilers' run-time makes its security
// cookie. Never UNSET_STACK_GUARD.
UINT_PTR MixedStackGuard() noexcept;

// Ends the process at once with STATUS_STACK_BUFFER_OVERRUN, running none of
// its code: the system's fail-fast where it has one (Windows 8 on), else an
// immediate termination (on Windows 7 the fail-fast interrupt would be an
// ordinary access violation, with error reporting and exception filters).
[[noreturn]] void EndOnStackOverrun(bool fastFailAvailable) noexcept;

}  // namespace platform
