// Bytes the test process holds on the heap now, for checks that memory stays
// flat over long runs.
#pragma once

#include <malloc.h>

#include <cstddef>

#if defined(__SANITIZE_ADDRESS__)
#define TESSURI_UNDER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TESSURI_UNDER_ASAN 1
#endif
#endif
#ifdef TESSURI_UNDER_ASAN
// From the sanitizer runtime's allocator interface; GCC does not install
// the header that declares it.
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace testing_support {

// AddressSanitizer keeps its own heap, of which glibc's figures know nothing.
inline std::size_t HeapInUse() {
#ifdef TESSURI_UNDER_ASAN
    return __sanitizer_get_current_allocated_bytes();
#else
    const struct mallinfo2 m = mallinfo2();
    return m.uordblks + m.hblkhd;
#endif
}

}  // namespace testing_support
