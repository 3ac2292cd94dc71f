// The resource table over the files that the assembler embedded.
#include "platform/software/resources.h"

#include <cstring>

#define MORVASK_RESOURCE(name)               \
    extern "C" const uint8_t name##_begin[]; \
    extern "C" const uint8_t name##_end[];
MORVASK_RESOURCE(morvask_res_background)
MORVASK_RESOURCE(morvask_res_tanks)
MORVASK_RESOURCE(morvask_res_bullets)
MORVASK_RESOURCE(morvask_res_cells)
MORVASK_RESOURCE(morvask_res_effects)
MORVASK_RESOURCE(morvask_res_wave111)
MORVASK_RESOURCE(morvask_res_wave118)
MORVASK_RESOURCE(morvask_res_wave119)
MORVASK_RESOURCE(morvask_res_wave120)
MORVASK_RESOURCE(morvask_res_wave121)
MORVASK_RESOURCE(morvask_res_wave122)
MORVASK_RESOURCE(morvask_res_icon256)
#undef MORVASK_RESOURCE

namespace software {

namespace {

struct TableEntry {
    int id;
    const uint8_t* begin;
    const uint8_t* end;
};

const TableEntry ResourceTable[] = {
    {.id = 110, .begin = morvask_res_icon256_begin, .end = morvask_res_icon256_end},
    {.id = 111, .begin = morvask_res_wave111_begin, .end = morvask_res_wave111_end},
    {.id = 114, .begin = morvask_res_background_begin, .end = morvask_res_background_end},
    {.id = 115, .begin = morvask_res_tanks_begin, .end = morvask_res_tanks_end},
    {.id = 117, .begin = morvask_res_bullets_begin, .end = morvask_res_bullets_end},
    {.id = 118, .begin = morvask_res_wave118_begin, .end = morvask_res_wave118_end},
    {.id = 119, .begin = morvask_res_wave119_begin, .end = morvask_res_wave119_end},
    {.id = 120, .begin = morvask_res_wave120_begin, .end = morvask_res_wave120_end},
    {.id = 121, .begin = morvask_res_wave121_begin, .end = morvask_res_wave121_end},
    {.id = 122, .begin = morvask_res_wave122_begin, .end = morvask_res_wave122_end},
    {.id = 124, .begin = morvask_res_cells_begin, .end = morvask_res_cells_end},
    {.id = 125, .begin = morvask_res_effects_begin, .end = morvask_res_effects_end},
};

uint32_t Le32(const uint8_t* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (uint32_t(p[3]) << 24);
}
uint16_t Le16(const uint8_t* p) {
    return uint16_t(p[0] | (p[1] << 8));
}

}  // namespace

ResourceBytes FindResource(int resourceId) {
    for (const TableEntry& entry : ResourceTable)
        if (entry.id == resourceId)
            return {entry.begin, size_t(entry.end - entry.begin)};
    return {};
}

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

}  // namespace software
