// The generated sounds as the platform plays them: RIFF PCM, their rates,
// depths and exact lengths, a peak at its level without clipping, silent
// ends and no offset.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "tests/unit/asset_files.h"

using namespace asset_files;

TEST(AssetWaves, FormatsAndExactLengths) {
    struct Expected {
        const char* file;
        int rate, bits, samples;
        double peakDb = -1.0;
    };
    const Expected waves[] = {
        {"wave111.wav", 22050, 16, 108927}, {"wave118.wav", 8000, 8, 16000},
        {"wave119.wav", 8000, 8, 7200},     {"wave120.wav", 8000, 8, 12240},
        {"wave121.wav", 8000, 8, 9440},     {"wave122.wav", 8000, 8, 4240, -9.5}};
    for (const Expected& e : waves) {
        Wave w;
        ASSERT_EQ(ParseWave(ReadAsset(e.file), w), "") << e.file;
        EXPECT_EQ(w.channels, 1) << e.file;
        EXPECT_EQ(w.rate, e.rate) << e.file;
        EXPECT_EQ(w.bits, e.bits) << e.file;
        EXPECT_EQ(int(w.samples.size()), e.samples) << e.file;
        EXPECT_EQ(WaveLevelFault(w, e.peakDb), "") << e.file;
    }
}
