#include "support/LowestFreeHandle.h"

namespace testing_support {

HANDLE LowestFreeHandle() {
    const HANDLE probe = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    CloseHandle(probe);
    return probe;
}

}  // namespace testing_support
