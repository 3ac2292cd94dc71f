// Reading the format and length of a RIFF wave resource, shared by every
// backend that plays or models the sound channel.
#include <cstring>

#include "platform/shared/little_endian.h"
#include "platform/shared/resources.h"

namespace shared {

WaveInfo ReadWaveInfo(ResourceBytes wave) {
    WaveInfo info;
    const uint8_t* p = wave.data;
    size_t n = wave.size;
    if (n < 12 || std::memcmp(p, "RIFF", 4) != 0 || std::memcmp(p + 8, "WAVE", 4) != 0)
        return info;
    bool haveFormat = false;
    // Walk the chunks; each is an id, a length and the body padded to even.
    for (size_t at = 12; at + 8 <= n;) {
        uint32_t length = Le32(p + at + 4);
        const uint8_t* body = p + at + 8;
        if (length > n - at - 8)
            break;
        if (std::memcmp(p + at, "fmt ", 4) == 0 && length >= 16) {
            if (Le16(body) != 1)
                return info;  // PCM only
            info.channels = Le16(body + 2);
            info.sampleRate = int(Le32(body + 4));
            info.bitsPerSample = Le16(body + 14);
            haveFormat = true;
        } else if (std::memcmp(p + at, "data", 4) == 0 && haveFormat) {
            int frameBytes = info.channels * info.bitsPerSample / 8;
            if (frameBytes <= 0 || info.sampleRate <= 0)
                return info;
            info.samples = body;
            info.sampleBytes = length;
            info.sampleCount = int64_t(length / frameBytes);
            info.valid = true;
            return info;
        }
        at += 8 + length + (length & 1);
    }
    return info;
}

}  // namespace shared
