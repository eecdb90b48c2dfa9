// The program's stack canary: random for each process, and a function that
// overwrites it ends the process at once, with or without the system's
// fail-fast. This file is compiled with the same canaries as the product code.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>

#include "platform/StackGuard.h"

namespace {

constexpr int kStackBufferOverrun = static_cast<int>(STATUS_STACK_BUFFER_OVERRUN);

__attribute__((noinline)) void Fill(char* buffer, size_t count) {
    std::memset(buffer, 'x', count);
}

__attribute__((noinline)) void OverrunOwnBuffer(size_t count) {
    char buffer[16];
    Fill(buffer, count);
    __asm__ volatile("" : : "r"(buffer) : "memory");
}

TEST(StackGuardTest, IsRandomisedAtStart) {
    EXPECT_NE(platform::UNSET_STACK_GUARD, __stack_chk_guard);
}

// Where the system's random source cannot be used safely (the DLL search
// cannot be restricted), two start-ups still get different canaries.
TEST(StackGuardTest, MixedCanariesDiffer) {
    const UINT_PTR first = platform::MixedStackGuard();
    Sleep(1);
    EXPECT_NE(first, platform::MixedStackGuard());
    EXPECT_NE(platform::UNSET_STACK_GUARD, first);
}

TEST(StackGuardDeathTest, OverrunEndsTheProcessAtOnce) {
    OverrunOwnBuffer(16);  // within bounds: nothing happens
    EXPECT_EXIT(OverrunOwnBuffer(64), testing::ExitedWithCode(kStackBufferOverrun), "");
}

// Windows 8 and later have the fail-fast; Windows 7 does not, and there the
// process must end just as fast, with the same status.
class StackOverrunEndingTest : public testing::TestWithParam<bool> {};

TEST_P(StackOverrunEndingTest, EndsWithTheStackOverrunStatus) {
    EXPECT_EXIT(platform::EndOnStackOverrun(GetParam()),
                testing::ExitedWithCode(kStackBufferOverrun), "");
}

INSTANTIATE_TEST_SUITE_P(FastFailAvailable, StackOverrunEndingTest, testing::Bool());

}  // namespace
