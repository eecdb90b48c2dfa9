// Leak detection by handle values: the platform hands out the lowest free
// handle value, so if many rounds of work leave it where the first round left
// it, none of them kept a handle open (the first round may load libraries
// that keep their own).
#pragma once

#include <windows.h>

namespace testing_support {

HANDLE LowestFreeHandle();

}  // namespace testing_support
