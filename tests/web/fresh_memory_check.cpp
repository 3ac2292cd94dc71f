// Pixel memory in the browser build: every buffer starts black, whether the
// heap grew for it or it reuses memory written and freed before (only the
// latter is cleared, so both cases need checking). Built with Emscripten and
// run under Node by the web test; prints what failed, exits 1 if anything did.
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "platform/shared/surfaces.h"

namespace {

int Failures = 0;

// Every byte of [p, p + bytes) is zero.
void ExpectZero(const void* p, size_t bytes, const char* what) {
    const auto* at = static_cast<const uint8_t*>(p);
    for (size_t i = 0; i < bytes; ++i) {
        if (at[i] != 0) {
            std::printf("FAIL %s: byte %zu of %zu is %d\n", what, i, bytes, at[i]);
            ++Failures;
            return;
        }
    }
    std::printf("ok   %s\n", what);
}

}  // namespace

int main() {
    const size_t sizes[] = {size_t(1) << 20, size_t(3) << 20, 4096};
    for (size_t bytes : sizes) {
        void* fresh = shared::AllocatePixelMemory(bytes);
        ExpectZero(fresh, bytes, "a new buffer is black");
        std::memset(fresh, 0xAB, bytes);
        shared::FreePixelMemory(fresh, bytes);
        // Freed memory is reused first: the same size again, and a smaller
        // one that lies inside it.
        void* again = shared::AllocatePixelMemory(bytes);
        ExpectZero(again, bytes, "a buffer in freed memory is black");
        std::memset(again, 0xCD, bytes);
        shared::FreePixelMemory(again, bytes);
        void* inside = shared::AllocatePixelMemory(bytes / 2);
        ExpectZero(inside, bytes / 2, "a smaller buffer in freed memory is black");
        shared::FreePixelMemory(inside, bytes / 2);
    }
    // Larger than anything freed: the heap grows, partly over its old top.
    void* grown = shared::AllocatePixelMemory(size_t(40) << 20);
    ExpectZero(grown, size_t(40) << 20, "a buffer the heap grew for is black");
    shared::FreePixelMemory(grown, size_t(40) << 20);
    return Failures ? 1 : 0;
}
