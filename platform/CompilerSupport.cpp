// What a compiler calls on its own in code that never names it: memset, which
// clang calls to zero an aggregate. A C run-time library would bring it, but
// the program links none. A plain byte loop: it clears a few hundred bytes at
// most. The compilers are kept from turning it back into a call to itself
// (GCC) or from widening it into vector code (platform/CMakeLists.txt).
#include <cstddef>

// The names are the C library's: NOLINTBEGIN(bugprone-reserved-identifier)
extern "C" {

void* memset(void* destination, int value, std::size_t count) {
    auto* bytes = static_cast<unsigned char*>(destination);
    for (std::size_t i = 0; i < count; ++i) {
        bytes[i] = static_cast<unsigned char>(value);
    }
    return destination;
}

}  // extern "C"
// NOLINTEND(bugprone-reserved-identifier)
