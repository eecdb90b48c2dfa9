// The stack canary that -fstack-protector-strong checks in the program's own
// code: a random value from the system at start, and on a mismatch the
// system's fail-fast, which ends the process at once without running any of
// its code, as the Windows compilers' own stack checks do. It stands in for
// libssp, whose failure path writes to a console the program does not have.
#include <windows.h>

extern "C" {

// RtlGenRandom, exported by advapi32 under this name.
BOOLEAN WINAPI SystemFunction036(PVOID buffer, ULONG length);

// Not zero before the random value arrives: nothing checked runs before then.
// The two names are the compiler's: NOLINTBEGIN(bugprone-reserved-identifier)
UINT_PTR __stack_chk_guard = 0x2B992DDFA232;

[[noreturn]] void __stack_chk_fail() {
    constexpr unsigned stackCookieCheckFailure = 2;  // FAST_FAIL_STACK_COOKIE_CHECK_FAILURE
    __asm__ volatile("int $0x29" : : "c"(stackCookieCheckFailure));
    __builtin_unreachable();
}
// NOLINTEND(bugprone-reserved-identifier)

// Runs with the static constructors, before wWinMain and before any test.
__attribute__((constructor)) static void RandomiseStackGuard() {
    SystemFunction036(&__stack_chk_guard, sizeof __stack_chk_guard);
}

}  // extern "C"
