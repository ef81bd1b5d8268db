#pragma once
// Bytes the program holds on the heap right now, for tests that prove a long run keeps flat
// memory. Under AddressSanitizer the allocator is the sanitizer's, which counts its own.

#include <cstddef>

#if defined(__SANITIZE_ADDRESS__)
#define DILATO_HEAP_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define DILATO_HEAP_ASAN 1
#endif
#endif

#ifdef DILATO_HEAP_ASAN
// The sanitizer runtime's own count (its header does not come with every compiler).
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#else
#include <malloc.h>
#endif

namespace dilato::test {

[[nodiscard]] inline size_t HeapInUse() {
#ifdef DILATO_HEAP_ASAN
    return __sanitizer_get_current_allocated_bytes();
#else
    const struct mallinfo2 m = mallinfo2();
    return m.uordblks + m.hblkhd;
#endif
}

} // namespace dilato::test
