// The program's stack canary: random for each process, and a function that
// overwrites it ends the process at once through the system's fail-fast.
// This file is compiled with the same canaries as the product code.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>

extern "C" UINT_PTR __stack_chk_guard;

namespace {

constexpr DWORD kStackBufferOverrun = 0xC0000409;  // STATUS_STACK_BUFFER_OVERRUN

__attribute__((noinline)) void Fill(char* buffer, size_t count) {
    std::memset(buffer, 'x', count);
}

__attribute__((noinline)) void OverrunOwnBuffer(size_t count) {
    char buffer[16];
    Fill(buffer, count);
    __asm__ volatile("" : : "r"(buffer) : "memory");
}

TEST(StackGuardTest, IsRandomisedAtStart) {
    EXPECT_NE(0x2B992DDFA232u, __stack_chk_guard);
}

TEST(StackGuardDeathTest, OverrunEndsTheProcessAtOnce) {
    OverrunOwnBuffer(16);  // within bounds: nothing happens
    EXPECT_EXIT(OverrunOwnBuffer(64), testing::ExitedWithCode(kStackBufferOverrun), "");
}

}  // namespace
