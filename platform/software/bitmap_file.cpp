// Reading the game's bitmap resources and scaling them to their load size.
#include <algorithm>
#include <cstring>

#include "platform/software/little_endian.h"
#include "platform/software/surfaces.h"

namespace software {

namespace {

struct BitmapLayout {
    int width = 0;
    int height = 0;
    int bits = 0;
    bool bottomUp = true;
    size_t offset = 0;
    size_t stride = 0;
    uint32_t palette[256] = {};
};

bool ReadLayout(const uint8_t* data, size_t size, BitmapLayout& layout) {
    if (!data || size < 54 || data[0] != 'B' || data[1] != 'M')
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
    if (bits == 8) {
        size_t at = 14 + headerSize;
        if (paletteColours > 256 || at + 4 * size_t(paletteColours) > offset)
            return false;
        for (uint32_t i = 0; i < paletteColours; ++i) {
            const uint8_t* q = data + at + 4 * i;
            layout.palette[i] = (uint32_t(q[2]) << 16) | (q[1] << 8) | q[0];
        }
    }
    layout.width = w;
    layout.height = h;
    layout.bits = bits;
    layout.bottomUp = bottomUp;
    layout.offset = offset;
    layout.stride = stride;
    return true;
}

void DecodeRows(const uint8_t* data, const BitmapLayout& layout, int first, int end,
                uint32_t* out) {
    const int w = layout.width, h = layout.height;
    for (int y = first; y < end; ++y, out += w) {
        const uint8_t* row =
            data + layout.offset + layout.stride * (layout.bottomUp ? h - 1 - y : y);
        if (layout.bits == 24) {
            for (int x = 0; x < w; ++x)
                out[x] = (uint32_t(row[3 * x + 2]) << 16) | (row[3 * x + 1] << 8) | row[3 * x];
        } else {
            for (int x = 0; x < w; ++x)
                out[x] = layout.palette[row[x]];
        }
    }
}

}  // namespace

bool BitmapSize(const uint8_t* data, size_t size, int& width, int& height) {
    BitmapLayout layout;
    if (!ReadLayout(data, size, layout))
        return false;
    width = layout.width;
    height = layout.height;
    return true;
}

bool DecodeBitmap(const uint8_t* data, size_t size, int& width, int& height,
                  std::vector<uint32_t>& pixels) {
    BitmapLayout layout;
    if (!ReadLayout(data, size, layout))
        return false;
    width = layout.width;
    height = layout.height;
    pixels.assign(size_t(width) * height, 0);
    DecodeRows(data, layout, 0, height, pixels.data());
    return true;
}

bool DecodeBitmapRows(const uint8_t* data, size_t size, int first, int end, uint32_t* out) {
    BitmapLayout layout;
    if (!ReadLayout(data, size, layout) || first < 0 || end > layout.height || first > end)
        return false;
    DecodeRows(data, layout, first, end, out);
    return true;
}

bool BitmapRowBytes(const uint8_t* data, size_t size, int first, int end, size_t& begin,
                    size_t& finish) {
    BitmapLayout layout;
    if (!ReadLayout(data, size, layout) || first < 0 || end > layout.height || first > end)
        return false;
    const int from = layout.bottomUp ? layout.height - end : first;
    const int to = layout.bottomUp ? layout.height - first : end;
    begin = layout.offset + layout.stride * size_t(from);
    finish = std::min(size, layout.offset + layout.stride * size_t(to));
    return true;
}

std::vector<uint32_t> ScalePicture(const std::vector<uint32_t>& pixels, int width, int height,
                                   int newWidth, int newHeight) {
    std::vector<uint32_t> out(size_t(newWidth) * newHeight);
    ScalePictureInto(pixels, width, height, newWidth, newHeight, out.data());
    return out;
}

void ScalePictureInto(const std::vector<uint32_t>& pixels, int width, int height, int newWidth,
                      int newHeight, uint32_t* out) {
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
}

}  // namespace software
