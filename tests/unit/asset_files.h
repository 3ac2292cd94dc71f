// Reads the generated pictures, sounds and icons as the game and the platform
// will read them, for the checks of the art: its correctness and its taste.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace asset_files {

using Bytes = std::vector<uint8_t>;

// The whole of a generated file (empty when it is missing).
Bytes ReadAsset(const std::string& name);
// Little-endian numbers at a place in the bytes (0 past their end).
uint32_t U16(const Bytes& b, size_t at);
uint32_t U32(const Bytes& b, size_t at);

struct Bitmap {
    int width = 0, height = 0, bits = 0;
    uint32_t coloursUsed = 0;
    std::vector<uint32_t> palette;  // 0xRRGGBB
    std::vector<uint32_t> pixels;   // 0xRRGGBB, top row first
    uint32_t At(int x, int y) const { return pixels[size_t(y) * width + x]; }
};

// Parses an uncompressed bottom-up 24- or 8-bit bitmap; returns why not.
std::string ParseBmp(const Bytes& b, Bitmap& out);
// The sheet of that name, parsed; a fault in it fails the current test.
Bitmap LoadSheet(const std::string& name);

constexpr uint32_t kWhite = 0xFFFFFF, kBlack = 0x000000;

// The masking rule for the sprite whose image lies at (x, y): its mask, h
// rows below, holds only pure black and pure white, and the image is pure
// white wherever the mask is black. Returns the first fault found.
std::string SlotMaskFault(const Bitmap& s, int x, int y, int w, int h);
// The opaque pixels of the w x h sprite at (x, y): white in its mask.
int OpaqueCount(const Bitmap& s, int x, int y, int w, int h);
bool Opaque(const Bitmap& s, int x, int y, int w, int h, int u, int v);

struct SheetLayout {
    const char* file;
    int width, height, bits;
    int w, h, columns, rows;
};
// clang-format off
constexpr SheetLayout kSheets[] = {
    {"tanks.bmp", 256, 10240, 24, 64, 64, 4, 80},
    {"bullets.bmp", 160, 400, 24, 40, 40, 4, 5},
    {"cells.bmp", 256, 896, 24, 64, 64, 4, 7},
    {"effects.bmp", 528, 132, 8, 66, 66, 8, 1},
    {"marks.bmp", 44, 44, 24, 22, 22, 2, 1},
};
// clang-format on

// The bounding box of the opaque pixels of a square sprite.
struct Extent {
    int minX = 99, minY = 99, maxX = -1, maxY = -1;
};
Extent OpaqueExtent(const Bitmap& s, int x, int y, int size);
// The top of row r of tank kind k in the tank sheet (ten rows a kind).
int SlotY(int kind, int r);
// The average colour of the opaque part of a sprite.
struct Average {
    double r = 0, g = 0, b = 0;
};
Average OpaqueAverage(const Bitmap& s, int x, int y, int size);
// Widths of the opaque rows of a sprite, top row first.
std::vector<int> RowWidths(const Bitmap& s, int x, int y, int size);
// The top-left of cell picture n in the cell sheet.
int CellX(int n);
int CellY(int n);

struct Wave {
    int rate = 0, bits = 0, channels = 0;
    std::vector<int> samples;  // centred on 0: 16-bit as is, 8-bit minus 128
};
std::string ParseWave(const Bytes& b, Wave& w);
// Peak (near peakDb), ends and offset of a sound; returns the first fault.
std::string WaveLevelFault(const Wave& w, double peakDb = -1.0);
Wave LoadWave(const std::string& name);

}  // namespace asset_files
