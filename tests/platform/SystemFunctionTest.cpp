// Functions bound once per process: a binding that may change (a DLL that
// failed to load) is tried again by the next caller, a final one never.
#include <gtest/gtest.h>

#include "platform/SystemFunction.h"

namespace {

struct Attempt {
    int number;
};

// Fails the first time, as a load in a moment of low memory would.
bool BindOnTheSecondTry(Attempt& attempt) noexcept {
    ++attempt.number;
    return attempt.number >= 2;
}

TEST(BoundOnceTest, BindsAgainOnlyUntilTheBindingIsFinal) {
    EXPECT_EQ(1, (platform::BoundOnce<Attempt, BindOnTheSecondTry>().number));
    EXPECT_EQ(2, (platform::BoundOnce<Attempt, BindOnTheSecondTry>().number));
    EXPECT_EQ(2, (platform::BoundOnce<Attempt, BindOnTheSecondTry>().number));
}

}  // namespace
