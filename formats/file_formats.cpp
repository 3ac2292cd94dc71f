// The file formats the generator writes: Windows bitmaps, RIFF waves and
// icon files, all little-endian and built in memory.
#include "formats/file_formats.h"

#include <cstdio>

#include "formats/png_file.h"

namespace {

void Put16(Bytes& b, uint32_t v) {
    b.push_back(uint8_t(v & 0xFF));
    b.push_back(uint8_t((v >> 8) & 0xFF));
}

void Put32(Bytes& b, uint32_t v) {
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}

void PutTag(Bytes& b, const char* tag) {
    for (int i = 0; i < 4; ++i)
        b.push_back(uint8_t(tag[i]));
}

int RowBytes(int width, int bits) {
    return ((width * bits + 31) / 32) * 4;
}

// BITMAPINFOHEADER; icons store twice the height (picture and AND mask).
void PutInfoHeader(Bytes& b, int width, int storedHeight, int bits, uint32_t imageBytes,
                   uint32_t coloursUsed) {
    Put32(b, 40);
    Put32(b, uint32_t(width));
    Put32(b, uint32_t(storedHeight));
    Put16(b, 1);
    Put16(b, uint32_t(bits));
    Put32(b, 0);  // BI_RGB
    Put32(b, imageBytes);
    Put32(b, 2835);  // 72 dpi
    Put32(b, 2835);
    Put32(b, coloursUsed);
    Put32(b, 0);
}

void PutFileHeader(Bytes& b, uint32_t fileSize, uint32_t dataOffset) {
    b.push_back('B');
    b.push_back('M');
    Put32(b, fileSize);
    Put32(b, 0);
    Put32(b, dataOffset);
}

void PutPalette(Bytes& b, const std::vector<uint32_t>& palette, size_t entries) {
    for (size_t i = 0; i < entries; ++i) {
        uint32_t c = i < palette.size() ? palette[i] : 0;
        b.push_back(uint8_t(c & 0xFF));
        b.push_back(uint8_t((c >> 8) & 0xFF));
        b.push_back(uint8_t((c >> 16) & 0xFF));
        b.push_back(0);
    }
}

void PutWaveHeader(Bytes& b, int rate, int bits, uint32_t dataBytes) {
    PutTag(b, "RIFF");
    Put32(b, 36 + dataBytes + (dataBytes & 1));
    PutTag(b, "WAVE");
    PutTag(b, "fmt ");
    Put32(b, 16);
    Put16(b, 1);  // PCM
    Put16(b, 1);  // mono
    Put32(b, uint32_t(rate));
    Put32(b, uint32_t(rate * bits / 8));
    Put16(b, uint32_t(bits / 8));
    Put16(b, uint32_t(bits));
    PutTag(b, "data");
    Put32(b, dataBytes);
}

// The body of one icon picture: header, palette, colour rows, AND mask rows.
Bytes IconBody(const IconImage& im) {
    if (im.png)
        return EncodePng(im.size, im.size, im.argb.data(), true);
    const int n = im.size;
    const int colourRow = RowBytes(n, im.bits), maskRow = RowBytes(n, 1);
    const size_t paletteEntries = im.bits <= 8 ? (size_t(1) << im.bits) : 0;
    Bytes b;
    PutInfoHeader(b, n, 2 * n, im.bits, uint32_t((colourRow + maskRow) * n), 0);
    PutPalette(b, im.palette, paletteEntries);
    for (int y = n - 1; y >= 0; --y) {
        size_t start = b.size();
        for (int x = 0; x < n; ++x) {
            size_t i = size_t(y) * n + x;
            if (im.bits == 32) {
                uint32_t c = im.argb[i];
                b.push_back(uint8_t(c & 0xFF));
                b.push_back(uint8_t((c >> 8) & 0xFF));
                b.push_back(uint8_t((c >> 16) & 0xFF));
                b.push_back(uint8_t(c >> 24));
            } else if (im.bits == 8) {
                b.push_back(im.indices[i]);
            } else if (x % 2 == 0) {
                b.push_back(uint8_t(im.indices[i] << 4));
            } else {
                b.back() |= uint8_t(im.indices[i] & 0x0F);
            }
        }
        while (b.size() - start < size_t(colourRow))
            b.push_back(0);
    }
    // The AND mask: a set bit leaves the desktop showing through.
    for (int y = n - 1; y >= 0; --y) {
        Bytes row(size_t(maskRow), 0);
        for (int x = 0; x < n; ++x)
            if (!im.opaque[size_t(y) * n + x])
                row[size_t(x / 8)] |= uint8_t(0x80 >> (x % 8));
        b.insert(b.end(), row.begin(), row.end());
    }
    return b;
}

}  // namespace

Bytes EncodeBmp24(int width, int height, const std::vector<uint32_t>& pixels) {
    const int row = RowBytes(width, 24);
    const uint32_t imageBytes = uint32_t(row * height);
    Bytes b;
    PutFileHeader(b, 54 + imageBytes, 54);
    PutInfoHeader(b, width, height, 24, imageBytes, 0);
    for (int y = height - 1; y >= 0; --y) {
        for (int x = 0; x < width; ++x) {
            uint32_t c = pixels[size_t(y) * width + x];
            b.push_back(uint8_t(c & 0xFF));
            b.push_back(uint8_t((c >> 8) & 0xFF));
            b.push_back(uint8_t((c >> 16) & 0xFF));
        }
        for (int p = width * 3; p < row; ++p)
            b.push_back(0);
    }
    return b;
}

Bytes EncodeBmp8(int width, int height, const std::vector<uint8_t>& indices,
                 const std::vector<uint32_t>& palette) {
    const int row = RowBytes(width, 8);
    const uint32_t imageBytes = uint32_t(row * height);
    const uint32_t offset = 54 + uint32_t(palette.size()) * 4;
    Bytes b;
    PutFileHeader(b, offset + imageBytes, offset);
    PutInfoHeader(b, width, height, 8, imageBytes, uint32_t(palette.size()));
    PutPalette(b, palette, palette.size());
    for (int y = height - 1; y >= 0; --y) {
        for (int x = 0; x < width; ++x)
            b.push_back(indices[size_t(y) * width + x]);
        for (int p = width; p < row; ++p)
            b.push_back(0);
    }
    return b;
}

Bytes EncodeWave16(int rate, const std::vector<int16_t>& samples) {
    Bytes b;
    PutWaveHeader(b, rate, 16, uint32_t(samples.size() * 2));
    for (int16_t s : samples)
        Put16(b, uint16_t(s));
    return b;
}

Bytes EncodeWave8(int rate, const std::vector<uint8_t>& samples) {
    Bytes b;
    PutWaveHeader(b, rate, 8, uint32_t(samples.size()));
    b.insert(b.end(), samples.begin(), samples.end());
    if (samples.size() % 2)
        b.push_back(0);  // RIFF chunks are padded to even sizes
    return b;
}

Bytes EncodeIcon(const std::vector<IconImage>& images) {
    std::vector<Bytes> bodies;
    for (const IconImage& im : images)
        bodies.push_back(IconBody(im));
    Bytes b;
    Put16(b, 0);
    Put16(b, 1);  // icon
    Put16(b, uint32_t(images.size()));
    uint32_t offset = 6 + 16 * uint32_t(images.size());
    for (size_t i = 0; i < images.size(); ++i) {
        const IconImage& im = images[i];
        b.push_back(uint8_t(im.size >= 256 ? 0 : im.size));
        b.push_back(uint8_t(im.size >= 256 ? 0 : im.size));
        b.push_back(uint8_t(im.bits == 4 ? 16 : 0));
        b.push_back(0);
        Put16(b, 1);
        Put16(b, uint32_t(im.bits));
        Put32(b, uint32_t(bodies[i].size()));
        Put32(b, offset);
        offset += uint32_t(bodies[i].size());
    }
    for (const Bytes& body : bodies)
        b.insert(b.end(), body.begin(), body.end());
    return b;
}

bool WriteBytes(const std::string& path, const Bytes& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}
