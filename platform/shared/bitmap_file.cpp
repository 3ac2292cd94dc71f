// Reading the game's bitmap resources and scaling them to their load size.
#include <algorithm>
#include <cstring>

#include "platform/shared/little_endian.h"
#include "platform/shared/surfaces.h"

namespace shared {

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

namespace {

// Where output position i of `size` samples the picture of `pictureSize`: at
// pixel centres, in 16.16 fixed point, the two pixels around it and the
// weight of the second in 256ths.
struct Sample {
    int first, second;
    uint32_t weight;
};

Sample SampleAt(int i, int pictureSize, int size) {
    int64_t at = ((2 * int64_t(i) + 1) * pictureSize * 65536) / (2 * size) - 32768;
    if (at < 0)
        at = 0;
    const int first = int(at >> 16);
    return {first, first + 1 < pictureSize ? first + 1 : pictureSize - 1,
            uint32_t(at & 0xFFFF) >> 8};
}

}  // namespace

void ScalePictureInto(const std::vector<uint32_t>& pixels, int width, int height, int newWidth,
                      int newHeight, uint32_t* out) {
    if (width <= 0 || height <= 0 || newWidth <= 0 || newHeight <= 0)
        return;
    // The columns' samples are the same on every row: found once.
    std::vector<Sample> columns(static_cast<size_t>(newWidth));
    for (int x = 0; x < newWidth; ++x)
        columns[size_t(x)] = SampleAt(x, width, newWidth);
    // A picture row blended along x, each channel in its own plane (before
    // the rounding, as the blend down the column needs it). Neighbouring
    // rows fall into different slots, and each is made once for all the
    // output rows that sample it.
    const size_t plane = size_t(newWidth);
    std::vector<uint32_t> blended[2] = {std::vector<uint32_t>(3 * plane),
                                        std::vector<uint32_t>(3 * plane)};
    int blendedRow[2] = {-1, -1};
    auto rowBlended = [&](int pictureRow) -> const uint32_t* {
        const int slot = pictureRow & 1;
        uint32_t* into = blended[slot].data();
        if (blendedRow[slot] != pictureRow) {
            const uint32_t* from = pixels.data() + size_t(pictureRow) * width;
            for (int x = 0; x < newWidth; ++x) {
                const Sample column = columns[size_t(x)];
                const uint32_t a = from[column.first], b = from[column.second];
                const uint32_t wx = column.weight;
                for (int channel = 0; channel < 3; ++channel) {
                    const int shift = 8 * channel;
                    into[channel * plane + size_t(x)] =
                        ((a >> shift) & 0xFF) * (256 - wx) + ((b >> shift) & 0xFF) * wx;
                }
            }
            blendedRow[slot] = pictureRow;
        }
        return into;
    };
    for (int y = 0; y < newHeight; ++y) {
        const Sample row = SampleAt(y, height, newHeight);
        const uint32_t* top = rowBlended(row.first);
        const uint32_t* bottom = rowBlended(row.second);
        const uint32_t wy = row.weight;
        uint32_t* to = out + size_t(y) * newWidth;
        for (int x = 0; x < newWidth; ++x) {
            uint32_t result = 0;
            for (int channel = 0; channel < 3; ++channel) {
                const size_t at = channel * plane + size_t(x);
                const uint32_t v = (top[at] * (256 - wy) + bottom[at] * wy + 32768) >> 16;
                result |= (v > 255 ? 255 : v) << (8 * channel);
            }
            to[x] = result;
        }
    }
}

}  // namespace shared
