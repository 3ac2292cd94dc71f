// The smooth pass's mix of two pixels a word at a time (the browser's build)
// against the byte-by-byte mix it stands in for.
#include <gtest/gtest.h>

#include <random>

#include "platform/shared/frame_scale.h"

namespace {

uint32_t MixByBytes(uint32_t a, uint32_t b, uint32_t weight) {
    uint32_t mixed = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const uint32_t x = a >> shift & 0xFF, y = b >> shift & 0xFF;
        mixed |= ((x * (256 - weight) + y * weight) >> 8) << shift;
    }
    return mixed;
}

TEST(MixPixel, EveryWeightGivesTheByteByByteMixOfEveryChannel) {
    std::mt19937 random(7);
    const uint32_t edges[] = {0u, 0xFFFFFFFFu, 0xFF000000u, 0x00FFFFFFu, 0xFF00FF00u, 0x00FF00FFu};
    int wrong = 0;
    for (uint32_t weight = 0; weight < 256; ++weight) {
        for (uint32_t a : edges)
            for (uint32_t b : edges)
                wrong += shared::MixPixel(a, b, weight) != MixByBytes(a, b, weight);
        for (int i = 0; i < 2000; ++i) {
            const uint32_t a = random(), b = random();
            wrong += shared::MixPixel(a, b, weight) != MixByBytes(a, b, weight);
        }
    }
    EXPECT_EQ(wrong, 0);
}

}  // namespace
