// Reads the generated files independently of the game's own readers.
#include "tests/unit/asset_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#ifndef MORVASK_ASSET_DIR
#error "MORVASK_ASSET_DIR must name the directory of the generated assets"
#endif

namespace asset_files {

Bytes ReadAsset(const std::string& name) {
    Bytes bytes;
    FILE* f = std::fopen((std::string(MORVASK_ASSET_DIR) + "/" + name).c_str(), "rb");
    if (!f)
        return bytes;
    uint8_t buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
        bytes.insert(bytes.end(), buffer, buffer + n);
    std::fclose(f);
    return bytes;
}

uint32_t U16(const Bytes& b, size_t at) {
    return at + 2 <= b.size() ? b[at] | b[at + 1] << 8 : 0;
}

uint32_t U32(const Bytes& b, size_t at) {
    return at + 4 <= b.size() ? U16(b, at) | U16(b, at + 2) << 16 : 0;
}

std::string ParseBmp(const Bytes& b, Bitmap& out) {
    if (b.size() < 54 || b[0] != 'B' || b[1] != 'M')
        return "not a bitmap";
    if (U32(b, 2) != b.size())
        return "file size field is wrong";
    if (U32(b, 14) != 40)
        return "info header is not 40 bytes";
    out.width = int(U32(b, 18));
    out.height = int(int32_t(U32(b, 22)));
    out.bits = int(U16(b, 28));
    out.coloursUsed = U32(b, 46);
    if (out.height <= 0)
        return "not bottom-up";
    if (U16(b, 26) != 1)
        return "planes is not 1";
    if (U32(b, 30) != 0)
        return "compressed";
    if (out.bits != 24 && out.bits != 8)
        return "unexpected depth";
    const size_t offset = U32(b, 10);
    if (out.bits == 8) {
        size_t entries = out.coloursUsed ? out.coloursUsed : 256;
        if (offset != 54 + 4 * entries)
            return "palette does not end at the pixels";
        for (size_t i = 0; i < entries; ++i)
            out.palette.push_back(b[54 + 4 * i + 2] << 16 | b[54 + 4 * i + 1] << 8 | b[54 + 4 * i]);
    } else if (offset != 54) {
        return "pixels do not follow the header";
    }
    const size_t row = ((size_t(out.width) * out.bits + 31) / 32) * 4;
    if (offset + row * out.height != b.size())
        return "pixel data has the wrong size";
    out.pixels.resize(size_t(out.width) * out.height);
    for (int y = 0; y < out.height; ++y) {
        const uint8_t* r = &b[offset + row * (out.height - 1 - y)];
        for (int x = 0; x < out.width; ++x) {
            size_t i = size_t(y) * out.width + x;
            if (out.bits == 24) {
                out.pixels[i] = r[3 * x + 2] << 16 | r[3 * x + 1] << 8 | r[3 * x];
            } else {
                if (r[x] >= out.palette.size())
                    return "index outside the palette";
                out.pixels[i] = out.palette[r[x]];
            }
        }
    }
    return "";
}

Bitmap LoadSheet(const std::string& name) {
    Bitmap bmp;
    std::string why = ParseBmp(ReadAsset(name), bmp);
    EXPECT_EQ(why, "") << name;
    return bmp;
}

std::string SlotMaskFault(const Bitmap& s, int x, int y, int w, int h) {
    for (int v = 0; v < h; ++v)
        for (int u = 0; u < w; ++u) {
            uint32_t mask = s.At(x + u, y + h + v), image = s.At(x + u, y + v);
            char where[64];
            std::snprintf(where, sizeof where, " at (%d, %d)", x + u, y + v);
            if (mask != kWhite && mask != kBlack)
                return std::string("mask neither black nor white") + where;
            if (mask == kBlack && image != kWhite)
                return std::string("image not white under a black mask") + where;
        }
    return "";
}

int OpaqueCount(const Bitmap& s, int x, int y, int w, int h) {
    int n = 0;
    for (int v = 0; v < h; ++v)
        for (int u = 0; u < w; ++u)
            n += s.At(x + u, y + h + v) == kWhite;
    return n;
}

bool Opaque(const Bitmap& s, int x, int y, int /*w*/, int h, int u, int v) {
    return s.At(x + u, y + h + v) == kWhite;
}

Extent OpaqueExtent(const Bitmap& s, int x, int y, int size) {
    Extent e;
    for (int v = 0; v < size; ++v)
        for (int u = 0; u < size; ++u)
            if (Opaque(s, x, y, size, size, u, v)) {
                e.minX = std::min(e.minX, u);
                e.maxX = std::max(e.maxX, u);
                e.minY = std::min(e.minY, v);
                e.maxY = std::max(e.maxY, v);
            }
    return e;
}

int SlotY(int kind, int r) {
    return (10 * kind + r) * 128;
}

Average OpaqueAverage(const Bitmap& s, int x, int y, int size) {
    Average a;
    int n = 0;
    for (int v = 0; v < size; ++v)
        for (int u = 0; u < size; ++u) {
            if (!Opaque(s, x, y, size, size, u, v))
                continue;
            uint32_t c = s.At(x + u, y + v);
            a.r += c >> 16;
            a.g += (c >> 8) & 0xFF;
            a.b += c & 0xFF;
            ++n;
        }
    if (n)
        a = Average{a.r / n, a.g / n, a.b / n};
    return a;
}

std::vector<int> RowWidths(const Bitmap& s, int x, int y, int size) {
    std::vector<int> widths(size_t(size), 0);
    for (int v = 0; v < size; ++v)
        for (int u = 0; u < size; ++u)
            widths[size_t(v)] += Opaque(s, x, y, size, size, u, v);
    return widths;
}

int CellX(int n) {
    return 64 * (n % 4);
}

int CellY(int n) {
    return 128 * (n / 4);
}

std::string ParseWave(const Bytes& b, Wave& w) {
    if (b.size() < 44)
        return "too short";
    if (std::string(b.begin(), b.begin() + 4) != "RIFF" ||
        std::string(b.begin() + 8, b.begin() + 16) != "WAVEfmt ")
        return "not a RIFF wave";
    if (U32(b, 4) + 8 != b.size())
        return "RIFF size is wrong";
    if (U32(b, 16) != 16 || U16(b, 20) != 1)
        return "not 16-byte PCM format";
    w.channels = int(U16(b, 22));
    w.rate = int(U32(b, 24));
    w.bits = int(U16(b, 34));
    if (U32(b, 28) != uint32_t(w.rate * w.channels * w.bits / 8))
        return "byte rate is wrong";
    if (U16(b, 32) != uint32_t(w.channels * w.bits / 8))
        return "block align is wrong";
    if (std::string(b.begin() + 36, b.begin() + 40) != "data")
        return "no data chunk at 36";
    uint32_t size = U32(b, 40);
    if (44 + size + (size & 1) != b.size())
        return "data size is wrong";
    for (size_t i = 44; i + (w.bits / 8) <= 44 + size; i += size_t(w.bits / 8))
        w.samples.push_back(w.bits == 16 ? int(int16_t(U16(b, i))) : int(b[i]) - 128);
    return "";
}

std::string WaveLevelFault(const Wave& w, double peakDb) {
    const int full = w.bits == 16 ? 32767 : 127;
    int peak = 0;
    double sum = 0;
    for (int s : w.samples) {
        peak = std::max(peak, std::abs(s));
        sum += s;
    }
    if (peak >= full)
        return "reaches full scale (clipped)";
    const double wanted = full * std::pow(10.0, peakDb / 20.0);
    if (peak < wanted * 0.85 || peak > wanted * 1.15)
        return "peak not at its level";
    const int quiet = w.bits == 16 ? 64 : 1;
    const size_t n = w.samples.size();
    for (size_t i = 0; i < 4 && i < n; ++i)
        if (std::abs(w.samples[i]) > quiet || std::abs(w.samples[n - 1 - i]) > quiet)
            return "does not start and end in silence";
    if (std::fabs(sum / double(n)) > full * 0.01)
        return "has a DC offset";
    return "";
}

Wave LoadWave(const std::string& name) {
    Wave w;
    EXPECT_EQ(ParseWave(ReadAsset(name), w), "") << name;
    return w;
}

}  // namespace asset_files
