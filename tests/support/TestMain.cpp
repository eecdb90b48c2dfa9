// Every test program starts as the program does: the process is hardened and
// its stack canary drawn before any test runs.
#include <gtest/gtest.h>

#include "platform/ProcessStart.h"

int main(int argc, char** argv) {
    platform::StartProcess();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
