// What compilers call on their own in code that never names it: memset to
// zero an aggregate, memcpy to copy one. A C run-time library would bring
// them, but the program links none. Plain byte loops: the compilers use them
// for a few hundred bytes at most. GCC is kept from turning these very loops
// back into calls to themselves (platform/CMakeLists.txt); clang never does.
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

void* memcpy(void* destination, const void* source, std::size_t count) {
    auto* to = static_cast<unsigned char*>(destination);
    const auto* from = static_cast<const unsigned char*>(source);
    for (std::size_t i = 0; i < count; ++i) {
        to[i] = from[i];
    }
    return destination;
}

}  // extern "C"
// NOLINTEND(bugprone-reserved-identifier)
