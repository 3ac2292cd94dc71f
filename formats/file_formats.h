// The file formats the generator writes: Windows bitmaps, RIFF waves and
// icon files, built in memory and written whole.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;

// A 24-bit bottom-up bitmap from 0xRRGGBB pixels, top row first.
Bytes EncodeBmp24(int width, int height, const std::vector<uint32_t>& pixels);
// An 8-bit bottom-up bitmap: one palette index per pixel and a palette of
// 0xRRGGBB colours (biClrUsed is the palette's size).
Bytes EncodeBmp8(int width, int height, const std::vector<uint8_t>& indices,
                 const std::vector<uint32_t>& palette);

// A mono PCM wave: 16-bit signed samples, or 8-bit unsigned around 128.
Bytes EncodeWave16(int rate, const std::vector<int16_t>& samples);
Bytes EncodeWave8(int rate, const std::vector<uint8_t>& samples);

// One picture of an icon file. Paletted pictures (bits 4 or 8) carry indices
// and their palette; 32-bit pictures carry 0xAARRGGBB pixels and are stored
// as PNG when png is true. Transparent pixels are those with opaque false.
struct IconImage {
    int size = 0;
    int bits = 32;
    bool png = false;
    std::vector<uint32_t> argb;
    std::vector<uint8_t> indices;
    std::vector<uint32_t> palette;
    std::vector<uint8_t> opaque;
};
Bytes EncodeIcon(const std::vector<IconImage>& images);

bool WriteBytes(const std::string& path, const Bytes& bytes);
