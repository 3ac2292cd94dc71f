// The resource table of the SDL and headless backends: the generated pictures
// and sounds built into the program, found by their resource numbers.
#pragma once

#include <cstddef>
#include <cstdint>

namespace shared {

struct ResourceBytes {
    const uint8_t* data = nullptr;
    size_t size = 0;
};

// Bitmaps 114, 115, 117, 124, 125, 126 (BMP files), waves 111 and 118 to 122
// (RIFF files) and the icon 110 (its 256-pixel PNG). Unknown numbers give an
// empty result.
ResourceBytes FindResource(int resourceId);

// The PCM format and length of a RIFF wave resource.
struct WaveInfo {
    bool valid = false;
    int channels = 0;
    int sampleRate = 0;
    int bitsPerSample = 0;
    const uint8_t* samples = nullptr;
    size_t sampleBytes = 0;
    int64_t sampleCount = 0;  // per channel
};
WaveInfo ReadWaveInfo(ResourceBytes wave);

}  // namespace shared
