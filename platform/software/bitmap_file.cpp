// Reading the game's bitmap resources and scaling them to their load size.
#include <cstring>

#include "platform/software/surfaces.h"

namespace software {

namespace {

uint32_t Le32(const uint8_t* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (uint32_t(p[3]) << 24);
}
uint16_t Le16(const uint8_t* p) {
    return uint16_t(p[0] | (p[1] << 8));
}

}  // namespace

bool DecodeBitmap(const uint8_t* data, size_t size, int& width, int& height,
                  std::vector<uint32_t>& pixels) {
    if (size < 54 || data[0] != 'B' || data[1] != 'M')
        return false;
    uint32_t offset = Le32(data + 10);
    uint32_t headerSize = Le32(data + 14);
    int32_t w = int32_t(Le32(data + 18));
    int32_t h = int32_t(Le32(data + 22));
    int bits = Le16(data + 28);
    uint32_t compression = Le32(data + 30);
    bool bottomUp = h > 0;
    if (h < 0)
        h = -h;
    if (w <= 0 || h <= 0 || w > 16384 || h > 16384 || compression != 0)
        return false;
    if (bits != 24 && bits != 8)
        return false;
    uint32_t paletteColours = Le32(data + 46);
    if (bits == 8 && paletteColours == 0)
        paletteColours = 256;
    size_t stride = (size_t(w) * bits / 8 + 3) & ~size_t(3);
    if (offset > size || stride * h > size - offset)
        return false;
    uint32_t palette[256] = {};
    if (bits == 8) {
        size_t at = 14 + headerSize;
        if (paletteColours > 256 || at + 4 * size_t(paletteColours) > offset)
            return false;
        for (uint32_t i = 0; i < paletteColours; ++i) {
            const uint8_t* q = data + at + 4 * i;
            palette[i] = (uint32_t(q[2]) << 16) | (q[1] << 8) | q[0];
        }
    }
    width = w;
    height = h;
    pixels.assign(size_t(w) * h, 0);
    for (int y = 0; y < h; ++y) {
        const uint8_t* row = data + offset + stride * (bottomUp ? h - 1 - y : y);
        uint32_t* out = pixels.data() + size_t(y) * w;
        if (bits == 24) {
            for (int x = 0; x < w; ++x)
                out[x] = (uint32_t(row[3 * x + 2]) << 16) | (row[3 * x + 1] << 8) | row[3 * x];
        } else {
            for (int x = 0; x < w; ++x)
                out[x] = palette[row[x]];
        }
    }
    return true;
}

std::vector<uint32_t> ScalePicture(const std::vector<uint32_t>& pixels, int width, int height,
                                   int newWidth, int newHeight) {
    std::vector<uint32_t> out(size_t(newWidth) * newHeight);
    for (int y = 0; y < newHeight; ++y) {
        // Sample at pixel centres, in 16.16 fixed point.
        int64_t fy = ((2 * int64_t(y) + 1) * height * 65536) / (2 * newHeight) - 32768;
        if (fy < 0)
            fy = 0;
        int y0 = int(fy >> 16);
        int y1 = y0 + 1 < height ? y0 + 1 : height - 1;
        uint32_t wy = uint32_t(fy & 0xFFFF) >> 8;
        for (int x = 0; x < newWidth; ++x) {
            int64_t fx = ((2 * int64_t(x) + 1) * width * 65536) / (2 * newWidth) - 32768;
            if (fx < 0)
                fx = 0;
            int x0 = int(fx >> 16);
            int x1 = x0 + 1 < width ? x0 + 1 : width - 1;
            uint32_t wx = uint32_t(fx & 0xFFFF) >> 8;
            uint32_t a = pixels[size_t(y0) * width + x0], b = pixels[size_t(y0) * width + x1];
            uint32_t c = pixels[size_t(y1) * width + x0], d = pixels[size_t(y1) * width + x1];
            uint32_t result = 0;
            for (int shift = 0; shift < 24; shift += 8) {
                uint32_t top = ((a >> shift) & 0xFF) * (256 - wx) + ((b >> shift) & 0xFF) * wx;
                uint32_t bottom = ((c >> shift) & 0xFF) * (256 - wx) + ((d >> shift) & 0xFF) * wx;
                uint32_t v = (top * (256 - wy) + bottom * wy + 32768) >> 16;
                result |= (v > 255 ? 255 : v) << shift;
            }
            out[size_t(y) * newWidth + x] = result;
        }
    }
    return out;
}

}  // namespace software
