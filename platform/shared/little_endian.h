// Reading little-endian numbers out of resource bytes (bitmaps and waves).
#pragma once

#include <cstdint>

namespace shared {

inline uint32_t Le32(const uint8_t* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (uint32_t(p[3]) << 24);
}

inline uint16_t Le16(const uint8_t* p) {
    return uint16_t(p[0] | (p[1] << 8));
}

}  // namespace shared
