// Fills and copies of memory in every web build: the large ones (the frames,
// the pictures, the boxes) with WebAssembly's own bulk-memory instructions,
// which the browser runs as native code, instead of the C library's loops
// (and its call out to JavaScript for large copies); the small ones in place,
// where a call to the browser would cost more than the loop.
#include <cstddef>
#include <cstdint>

namespace {

constexpr size_t Large = 64;

}  // namespace

extern "C" {

void* memset(void* destination, int value, size_t count) {
    if (count >= Large) {
        __builtin_memset(destination, value, count);
        return destination;
    }
    auto* to = static_cast<unsigned char*>(destination);
    for (size_t i = 0; i < count; ++i)
        to[i] = static_cast<unsigned char>(value);
    return destination;
}

void* memmove(void* destination, const void* source, size_t count) {
    if (count >= Large) {
        __builtin_memmove(destination, source, count);
        return destination;
    }
    auto* to = static_cast<unsigned char*>(destination);
    const auto* from = static_cast<const unsigned char*>(source);
    if (to < from) {
        for (size_t i = 0; i < count; ++i)
            to[i] = from[i];
    } else {
        for (size_t i = count; i > 0; --i)
            to[i - 1] = from[i - 1];
    }
    return destination;
}

void* memcpy(void* destination, const void* source, size_t count) {
    return memmove(destination, source, count);
}

}  // extern "C"
