// Checks the generated pictures, sounds and icon as the game and the
// platform will read them: formats, sizes, sheet layout, the masking rule and
// the sprites the drawing relies on. Reads the files from MORVASK_ASSET_DIR.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include <png.h>

#include "platform/shared/surfaces.h"

#ifndef MORVASK_ASSET_DIR
#error "MORVASK_ASSET_DIR must name the directory of the generated assets"
#endif

namespace {

using Bytes = std::vector<uint8_t>;

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

// ---------------------------------------------------------------------------
// Bitmaps

struct Bitmap {
    int width = 0, height = 0, bits = 0;
    uint32_t coloursUsed = 0;
    std::vector<uint32_t> palette;  // 0xRRGGBB
    std::vector<uint8_t> indices;   // 8-bit bitmaps only
    std::vector<uint32_t> pixels;   // 0xRRGGBB, top row first
    uint32_t At(int x, int y) const { return pixels[size_t(y) * width + x]; }
    void Set(int x, int y, uint32_t c) { pixels[size_t(y) * width + x] = c; }
};

// Parses an uncompressed bottom-up 24- or 8-bit bitmap; returns why not.
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
    if (out.bits == 8)
        out.indices.resize(out.pixels.size());
    for (int y = 0; y < out.height; ++y) {
        const uint8_t* r = &b[offset + row * (out.height - 1 - y)];
        for (int x = 0; x < out.width; ++x) {
            size_t i = size_t(y) * out.width + x;
            if (out.bits == 24) {
                out.pixels[i] = r[3 * x + 2] << 16 | r[3 * x + 1] << 8 | r[3 * x];
            } else {
                if (r[x] >= out.palette.size())
                    return "index outside the palette";
                out.indices[i] = r[x];
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

constexpr uint32_t kWhite = 0xFFFFFF, kBlack = 0x000000;

// The masking rule for the sprite whose image lies at (x, y): its mask, h
// rows below, holds only pure black and pure white, and the image is pure
// white wherever the mask is black. Returns the first fault found.
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

struct SheetLayout {
    const char* file;
    int width, height, bits;
    int w, h, columns, rows;
};
constexpr SheetLayout kSheets[] = {
    {"tanks.bmp", 256, 10240, 24, 64, 64, 4, 80},
    {"bullets.bmp", 160, 400, 24, 40, 40, 4, 5},
    {"cells.bmp", 256, 896, 24, 64, 64, 4, 7},
    {"effects.bmp", 528, 132, 8, 66, 66, 8, 1},
};

TEST(AssetBitmaps, HaveTheirSizesAndDepths) {
    for (const SheetLayout& l : kSheets) {
        Bitmap b = LoadSheet(l.file);
        EXPECT_EQ(b.width, l.width) << l.file;
        EXPECT_EQ(b.height, l.height) << l.file;
        EXPECT_EQ(b.bits, l.bits) << l.file;
    }
    Bitmap bg = LoadSheet("background.bmp");
    EXPECT_EQ(bg.width, 580);
    EXPECT_EQ(bg.height, 320);
    EXPECT_EQ(bg.bits, 24);
}

// The game's own reader gives every picture exactly as the file holds it
// (read here independently), and refuses a cut-off or compressed file.
TEST(AssetBitmaps, TheGamesReaderDecodesThemPixelForPixel) {
    std::vector<std::string> files = {"background.bmp"};
    for (const SheetLayout& l : kSheets)
        files.push_back(l.file);
    for (const std::string& file : files) {
        const Bytes bytes = ReadAsset(file);
        const Bitmap expected = LoadSheet(file);
        int w = 0, h = 0;
        std::vector<uint32_t> pixels;
        ASSERT_TRUE(software::DecodeBitmap(bytes.data(), bytes.size(), w, h, pixels)) << file;
        EXPECT_EQ(w, expected.width) << file;
        EXPECT_EQ(h, expected.height) << file;
        EXPECT_TRUE(pixels == expected.pixels) << file;
    }
    const Bytes good = ReadAsset("effects.bmp");
    int w = 0, h = 0;
    std::vector<uint32_t> pixels;
    const Bytes truncated(good.begin(), good.end() - 7);
    EXPECT_FALSE(software::DecodeBitmap(truncated.data(), truncated.size(), w, h, pixels));
    Bytes compressed = good;
    compressed[30] = 1;
    EXPECT_FALSE(software::DecodeBitmap(compressed.data(), compressed.size(), w, h, pixels));
}

TEST(AssetBitmaps, EffectPaletteHasTwentyTwoWarmColours) {
    Bitmap fx = LoadSheet("effects.bmp");
    EXPECT_EQ(fx.coloursUsed, 22u);
    ASSERT_EQ(fx.palette.size(), 22u);
    int whites = 0, blacks = 0;
    for (uint32_t c : fx.palette) {
        int r = c >> 16, g = (c >> 8) & 0xFF, b = c & 0xFF;
        if (c == kWhite) {
            ++whites;
        } else if (c == kBlack) {
            ++blacks;
        } else {
            // Yellows, oranges and browns: red leads, blue trails.
            EXPECT_GE(r, g) << std::hex << c;
            EXPECT_GT(r, b) << std::hex << c;
            EXPECT_GE(g, b) << std::hex << c;
        }
    }
    EXPECT_EQ(whites, 1);
    EXPECT_EQ(blacks, 1);
}

// The explosion ends as smoke that nearly fills its 66-pixel square, and
// each of the last frames is larger than the one before.
TEST(AssetBitmaps, ExplosionSmokeGrowsToFillTheSquare) {
    Bitmap fx = LoadSheet("effects.bmp");
    ASSERT_EQ(fx.width, 528);
    int previous = 0;
    for (int f = 4; f < 8; ++f) {
        int minX = 99, minY = 99, maxX = -1, maxY = -1;
        for (int v = 0; v < 66; ++v)
            for (int u = 0; u < 66; ++u)
                if (Opaque(fx, 66 * f, 0, 66, 66, u, v)) {
                    minX = std::min(minX, u);
                    maxX = std::max(maxX, u);
                    minY = std::min(minY, v);
                    maxY = std::max(maxY, v);
                }
        int extent = std::min(maxX - minX + 1, maxY - minY + 1);
        EXPECT_GT(extent, previous) << "frame " << f;
        previous = extent;
        if (f == 7) {
            EXPECT_GE(extent, 58) << "the last frame's smoke";
        }
    }
}

TEST(AssetBitmaps, BackgroundIsQuietGreenAndTiles) {
    Bitmap bg = LoadSheet("background.bmp");
    ASSERT_EQ(bg.width, 580);
    double r = 0, g = 0, b = 0;
    for (uint32_t c : bg.pixels) {
        r += c >> 16;
        g += (c >> 8) & 0xFF;
        b += c & 0xFF;
    }
    EXPECT_GT(g, r * 1.15);
    EXPECT_GT(g, b * 1.15);
    // Quiet: a texture (not one flat colour) of low contrast.
    double sum = 0, squares = 0;
    for (uint32_t c : bg.pixels) {
        double l = 0.3 * (c >> 16) + 0.59 * ((c >> 8) & 0xFF) + 0.11 * (c & 0xFF);
        sum += l;
        squares += l * l;
    }
    double n = double(bg.pixels.size()), mean = sum / n;
    double deviation = std::sqrt(std::max(0.0, squares / n - mean * mean));
    EXPECT_GT(deviation, 1.0);
    EXPECT_LT(deviation, 12.0);
    // The seam (last column next to the first, last row over the first) must
    // differ no more than neighbouring columns and rows inside do.
    auto diff = [&](int x0, int y0, int x1, int y1) {
        uint32_t p = bg.At(x0, y0), q = bg.At(x1, y1);
        return std::abs(int(p >> 16) - int(q >> 16)) +
               std::abs(int((p >> 8) & 0xFF) - int((q >> 8) & 0xFF)) +
               std::abs(int(p & 0xFF) - int(q & 0xFF));
    };
    double seamX = 0, insideX = 0, seamY = 0, insideY = 0;
    for (int y = 0; y < 320; ++y) {
        seamX += diff(579, y, 0, y);
        insideX += diff(289, y, 290, y);
    }
    for (int x = 0; x < 580; ++x) {
        seamY += diff(x, 319, x, 0);
        insideY += diff(x, 159, x, 160);
    }
    EXPECT_LT(seamX, insideX * 1.5 + 320);
    EXPECT_LT(seamY, insideY * 1.5 + 580);
}

// ---------------------------------------------------------------------------
// The masking rule, every slot of every sheet

TEST(SheetMasks, EverySlotKeepsTheMaskingRule) {
    for (const SheetLayout& l : kSheets) {
        Bitmap s = LoadSheet(l.file);
        ASSERT_EQ(s.width, l.width);
        ASSERT_EQ(s.height, l.height);
        for (int row = 0; row < l.rows; ++row)
            for (int col = 0; col < l.columns; ++col)
                EXPECT_EQ(SlotMaskFault(s, col * l.w, row * 2 * l.h, l.w, l.h), "")
                    << l.file << " column " << col << " row " << row;
    }
}

TEST(SheetMasks, EverySpriteTheGameDrawsHasPixels) {
    for (const SheetLayout& l : kSheets) {
        Bitmap s = LoadSheet(l.file);
        ASSERT_EQ(s.width, l.width);
        for (int row = 0; row < l.rows; ++row)
            for (int col = 0; col < l.columns; ++col)
                EXPECT_GT(OpaqueCount(s, col * l.w, row * 2 * l.h, l.w, l.h), 40)
                    << l.file << " column " << col << " row " << row;
    }
}

// The mask of the sprite at (sx, sy) turned clockwise by a quarter.
bool MaskTurnedMatches(const Bitmap& s, int upX, int upY, int x, int y, int size,
                       int quarterTurns) {
    for (int v = 0; v < size; ++v)
        for (int u = 0; u < size; ++u) {
            int su = u, sv = v;
            for (int t = 0; t < quarterTurns; ++t) {
                int nu = sv, nv = size - 1 - su;
                su = nu;
                sv = nv;
            }
            if (Opaque(s, upX, upY, size, size, su, sv) != Opaque(s, x, y, size, size, u, v))
                return false;
        }
    return true;
}

// Columns are directions: 0 down, 1 left, 2 up, 3 right; each is the upward
// picture turned, so the silhouettes are exact quarter turns of each other.
constexpr int kTurnsFromUp[4] = {2, 3, 0, 1};

TEST(SheetMasks, DirectionsAreQuarterTurnsOfEachOther) {
    const SheetLayout* sheets[] = {&kSheets[0], &kSheets[1]};
    for (const SheetLayout* l : sheets) {
        Bitmap s = LoadSheet(l->file);
        ASSERT_EQ(s.width, l->width);
        for (int row = 0; row < l->rows; ++row)
            for (int col = 0; col < 4; ++col)
                EXPECT_TRUE(MaskTurnedMatches(s, 2 * l->w, row * 2 * l->h, col * l->w,
                                              row * 2 * l->h, l->w, kTurnsFromUp[col]))
                    << l->file << " row " << row << " column " << col;
    }
    // The check itself notices a picture facing the wrong way.
    Bitmap s = LoadSheet("tanks.bmp");
    EXPECT_FALSE(MaskTurnedMatches(s, 128, 8 * 128, 0, 8 * 128, 64, 0));
}

// ---------------------------------------------------------------------------
// Tanks

struct Extent {
    int minX = 99, minY = 99, maxX = -1, maxY = -1;
};
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

TEST(TankSheet, HullsFillTheCellAndGunsAreNarrower) {
    Bitmap s = LoadSheet("tanks.bmp");
    ASSERT_EQ(s.height, 10240);
    for (int kind = 0; kind < 8; ++kind) {
        Extent hull = OpaqueExtent(s, 128, SlotY(kind, 0), 64);
        EXPECT_LE(hull.minX, 6) << kind;
        EXPECT_GE(hull.maxX, 57) << kind;
        EXPECT_GT(OpaqueCount(s, 128, SlotY(kind, 0), 64, 64), 64 * 64 * 6 / 10) << kind;
        for (int r = 3; r <= 8; ++r) {
            Extent gun = OpaqueExtent(s, 128, SlotY(kind, r), 64);
            // Facing up, the gun is narrower than the hull and reaches further
            // up from the middle than down.
            EXPECT_LT(gun.maxX - gun.minX, (hull.maxX - hull.minX) / 2) << kind << " " << r;
            EXPECT_GT(32 - gun.minY, gun.maxY - 32) << kind << " " << r;
        }
    }
}

TEST(TankSheet, TrackFramesAndRecoilFramesDiffer) {
    Bitmap s = LoadSheet("tanks.bmp");
    ASSERT_EQ(s.height, 10240);
    auto same = [&](int kind, int r1, int r2) {
        for (int v = 0; v < 64; ++v)
            for (int u = 0; u < 64; ++u)
                if (s.At(128 + u, SlotY(kind, r1) + v) != s.At(128 + u, SlotY(kind, r2) + v))
                    return false;
        return true;
    };
    for (int kind = 0; kind < 8; ++kind) {
        EXPECT_FALSE(same(kind, 0, 1)) << kind;
        EXPECT_FALSE(same(kind, 1, 2)) << kind;
        EXPECT_FALSE(same(kind, 0, 2)) << kind;
        // The game draws row r pushed back 8 - r pixels. After that push the
        // turret stays where it is on the hull (its back edge does not move)
        // and only the barrel slides back: r = 3 right after a shot reaches
        // least far forward, r = 8 furthest.
        const Extent rest = OpaqueExtent(s, 128, SlotY(kind, 8), 64);
        for (int r = 3; r < 8; ++r) {
            EXPECT_FALSE(same(kind, r, r + 1)) << kind << " " << r;
            Extent shorter = OpaqueExtent(s, 128, SlotY(kind, r), 64);
            Extent longer = OpaqueExtent(s, 128, SlotY(kind, r + 1), 64);
            EXPECT_GT(shorter.minY + (8 - r), longer.minY + (8 - r - 1)) << kind << " " << r;
            EXPECT_EQ(shorter.maxY + (8 - r), rest.maxY) << kind << " " << r;
        }
    }
}

// The average colour of the opaque part of a sprite.
struct Average {
    double r = 0, g = 0, b = 0;
};
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

// Widths of the opaque rows of a sprite, top row first.
std::vector<int> RowWidths(const Bitmap& s, int x, int y, int size) {
    std::vector<int> widths(size_t(size), 0);
    for (int v = 0; v < size; ++v)
        for (int u = 0; u < size; ++u)
            widths[size_t(v)] += Opaque(s, x, y, size, size, u, v);
    return widths;
}

TEST(TankSheet, MuzzleFlashIsNarrowAtTheGunAndWidensAway) {
    Bitmap s = LoadSheet("tanks.bmp");
    ASSERT_EQ(s.height, 10240);
    for (int kind = 0; kind < 8; ++kind) {
        // Facing up the flash is drawn 48 px above the gun: its gun end is
        // at the bottom of the sprite.
        std::vector<int> w = RowWidths(s, 128, SlotY(kind, 9), 64);
        int first = 0, last = 63;
        while (first < 64 && w[size_t(first)] == 0)
            ++first;
        while (last >= 0 && w[size_t(last)] == 0)
            --last;
        ASSERT_LT(first, last) << kind;
        EXPECT_GT(last, 44) << kind;  // reaches down to the muzzle
        int span = last - first;
        EXPECT_GT(span, 20) << kind;
        int nearGun = w[size_t(last - span / 8)];
        int away = *std::max_element(w.begin() + first, w.begin() + first + span / 2);
        EXPECT_LT(nearGun * 2, away) << kind;
        // Pale: every opaque pixel is light and warm.
        Average a = OpaqueAverage(s, 128, SlotY(kind, 9), 64);
        EXPECT_GT(a.r, 200) << kind;
        EXPECT_GT(a.g, 170) << kind;
        EXPECT_GE(a.r, a.b) << kind;
    }
}

// ---------------------------------------------------------------------------
// Bullets

TEST(BulletSheet, ShellsPointUpWithTheTrailBehind) {
    Bitmap s = LoadSheet("bullets.bmp");
    ASSERT_EQ(s.width, 160);
    for (int kind = 0; kind < 4; ++kind) {
        std::vector<int> w = RowWidths(s, 80, kind * 80, 40);
        int first = 0, last = 39;
        while (first < 40 && w[size_t(first)] == 0)
            ++first;
        while (last >= 0 && w[size_t(last)] == 0)
            --last;
        ASSERT_LT(first + 8, last) << kind;
        // The nose is a point; the fins at the tail are the widest part.
        EXPECT_LT(w[size_t(first + 1)],
                  *std::max_element(w.begin() + last - 6, w.begin() + last + 1))
            << kind;
    }
    const uint32_t nominal[4] = {0xb8a23a, 0x4fc24a, 0x4a8ff0, 0xe0483a};
    for (int kind = 0; kind < 4; ++kind) {
        Average a = OpaqueAverage(s, 80, kind * 80, 40);
        double r = nominal[kind] >> 16, g = (nominal[kind] >> 8) & 0xFF, b = nominal[kind] & 0xFF;
        // The strongest channel of the shell is the strongest of its colour.
        auto strongest = [](double x, double y, double z) {
            return x >= y && x >= z ? 0 : (y >= z ? 1 : 2);
        };
        EXPECT_EQ(strongest(a.r, a.g, a.b), strongest(r, g, b)) << kind;
    }
    // The trail behind a shell flying up is widest near its head, at the top,
    // and shrinks away toward its tail.
    std::vector<int> trail = RowWidths(s, 80, 320, 40);
    int widest = int(std::max_element(trail.begin(), trail.end()) - trail.begin());
    EXPECT_LT(widest, 14);
    EXPECT_GT(trail[size_t(widest)], 2 * trail[34]);
}

// The trail is drawn 36 - offset pixels behind the shell, the offset going
// 0, 8, 16, 24, 16, 8, 0 over the bullet's seven frames. In every frame and
// direction some pixel of the trail must touch (or lie under) the shell, and
// the trail must taper from its head to its tail without a break.
TEST(BulletSheet, TrailTouchesTheShellInEveryPhaseAndTapers) {
    Bitmap s = LoadSheet("bullets.bmp");
    ASSERT_EQ(s.width, 160);
    const int forward[4][2] = {{0, 1}, {-1, 0}, {0, -1}, {1, 0}};  // down, left, up, right
    for (int column = 0; column < 4; ++column)
        for (int kind = 0; kind < 4; ++kind)
            for (int frame = 0; frame < 7; ++frame) {
                int offset = frame <= 3 ? 8 * frame : 8 * (6 - frame);
                int dx = forward[column][0] * (offset - 36),
                    dy = forward[column][1] * (offset - 36);
                bool touches = false;
                for (int v = 0; v < 40 && !touches; ++v)
                    for (int u = 0; u < 40 && !touches; ++u) {
                        if (!Opaque(s, 40 * column, 320, 40, 40, u, v))
                            continue;
                        // The trail pixel in the shell's own picture, and its
                        // neighbours.
                        for (int n = -1; n <= 1 && !touches; ++n)
                            for (int m = -1; m <= 1 && !touches; ++m) {
                                int bu = u + dx + m, bv = v + dy + n;
                                touches = bu >= 0 && bv >= 0 && bu < 40 && bv < 40 &&
                                          Opaque(s, 40 * column, 80 * kind, 40, 40, bu, bv);
                            }
                    }
                EXPECT_TRUE(touches)
                    << "direction " << column << " kind " << kind << " frame " << frame;
            }
    // Flying up, the trail's rows from its head down: never a gap, and never
    // wider than the row before by more than a pixel past its widest point.
    std::vector<int> w = RowWidths(s, 80, 320, 40);
    ASSERT_GT(w[0], 0) << "the trail's head is at the picture's edge";
    int last = 39;
    while (last > 0 && w[size_t(last)] == 0)
        --last;
    EXPECT_GT(last, 30);
    int widest = int(std::max_element(w.begin(), w.end()) - w.begin());
    for (int v = 0; v <= last; ++v)
        EXPECT_GT(w[size_t(v)], 0) << "row " << v;
    for (int v = widest; v < last; ++v)
        EXPECT_LE(w[size_t(v + 1)], w[size_t(v)]) << "row " << v;
}

// ---------------------------------------------------------------------------
// Cells and items

int CellX(int n) {
    return 64 * (n % 4);
}
int CellY(int n) {
    return 128 * (n / 4);
}

TEST(CellSheet, OpacityOfEachCell) {
    Bitmap s = LoadSheet("cells.bmp");
    ASSERT_EQ(s.height, 896);
    const int full = 64 * 64;
    for (int n : {0, 1, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23})
        EXPECT_EQ(OpaqueCount(s, CellX(n), CellY(n), 64, 64), full) << "cell " << n;
    for (int n : {2, 3}) {
        int opaque = OpaqueCount(s, CellX(n), CellY(n), 64, 64);
        EXPECT_LT(opaque, full - 30) << "cell " << n << " has no holes";
        EXPECT_GT(opaque, full / 2) << "cell " << n << " is mostly wall";
    }
    EXPECT_LT(OpaqueCount(s, CellX(2), CellY(2), 64, 64), full);
    EXPECT_LT(OpaqueCount(s, CellX(3), CellY(3), 64, 64),
              OpaqueCount(s, CellX(2), CellY(2), 64, 64));
    for (int n : {4, 5, 6}) {
        int opaque = OpaqueCount(s, CellX(n), CellY(n), 64, 64);
        EXPECT_GT(opaque, full * 3 / 10) << "cell " << n;
        EXPECT_LT(opaque, full * 7 / 10) << "cell " << n;
    }
}

TEST(CellSheet, ItemsAreRoundBalls) {
    Bitmap s = LoadSheet("cells.bmp");
    ASSERT_EQ(s.height, 896);
    for (int n = 24; n < 28; ++n) {
        int x = CellX(n), y = CellY(n);
        for (int v = 0; v < 64; ++v)
            for (int u = 0; u < 64; ++u) {
                double d = std::hypot(u + 0.5 - 32, v + 0.5 - 32);
                if (d > 31.5) {
                    EXPECT_FALSE(Opaque(s, x, y, 64, 64, u, v)) << n << " " << u << "," << v;
                } else if (d < 24) {
                    EXPECT_TRUE(Opaque(s, x, y, 64, 64, u, v)) << n << " " << u << "," << v;
                }
            }
        // A big white letter: many near-white pixels in the middle.
        int white = 0;
        for (int v = 16; v < 48; ++v)
            for (int u = 16; u < 48; ++u) {
                uint32_t c = s.At(x + u, y + v);
                white += (c >> 16) > 225 && ((c >> 8) & 0xFF) > 225 && (c & 0xFF) > 225;
            }
        EXPECT_GT(white, 150) << n;
    }
}

double Luma(uint32_t c) {
    return 0.299 * (c >> 16) + 0.587 * ((c >> 8) & 0xFF) + 0.114 * (c & 0xFF);
}

// Relative luminance of an sRGB colour, for contrast ratios.
double RelativeLuminance(double r, double g, double b) {
    auto linear = [](double v) {
        v /= 255.0;
        return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(r) + 0.7152 * linear(g) + 0.0722 * linear(b);
}

// Seen at a quarter of its size (as in the levels overview), ice must not
// turn into a blank white square: darker patches and a real spread of tones,
// yet still pale and bluish.
TEST(CellSheet, IceKeepsItsTonesAtAQuarter) {
    Bitmap s = LoadSheet("cells.bmp");
    ASSERT_EQ(s.height, 896);
    double sum = 0, lo = 255, hi = 0, red = 0, blue = 0;
    for (int by = 0; by < 16; ++by)
        for (int bx = 0; bx < 16; ++bx) {
            double l = 0;
            for (int v = 0; v < 4; ++v)
                for (int u = 0; u < 4; ++u) {
                    uint32_t c = s.At(CellX(9) + 4 * bx + u, CellY(9) + 4 * by + v);
                    l += Luma(c) / 16.0;
                    red += c >> 16;
                    blue += c & 0xFF;
                }
            sum += l;
            lo = std::min(lo, l);
            hi = std::max(hi, l);
        }
    EXPECT_LE(sum / 256.0, 220.0);
    EXPECT_GE(hi - lo, 40.0);
    EXPECT_GE(sum / 256.0, 170.0) << "ice is pale";
    EXPECT_GT(blue, red * 1.08) << "ice is bluish";
}

// The letters on the item balls must stand out from the glass right around
// them: at least 3:1 between the letter and its surround.
TEST(CellSheet, ItemLettersContrastWithTheirBalls) {
    Bitmap s = LoadSheet("cells.bmp");
    ASSERT_EQ(s.height, 896);
    for (int n = 24; n < 28; ++n) {
        int x = CellX(n), y = CellY(n);
        auto letter = [&](int u, int v) {
            uint32_t c = s.At(x + u, y + v);
            return u >= 14 && u < 50 && v >= 12 && v < 52 && (c >> 16) > 225 &&
                   ((c >> 8) & 0xFF) > 225 && (c & 0xFF) > 225;
        };
        double letterLum = 0, aroundLum = 0;
        int letters = 0, around = 0;
        for (int v = 2; v < 62; ++v)
            for (int u = 2; u < 62; ++u) {
                uint32_t c = s.At(x + u, y + v);
                double l = RelativeLuminance(c >> 16, (c >> 8) & 0xFF, c & 0xFF);
                if (letter(u, v)) {
                    letterLum += l;
                    ++letters;
                    continue;
                }
                bool near = false;
                for (int dv = -2; dv <= 2 && !near; ++dv)
                    for (int du = -2; du <= 2 && !near; ++du)
                        near = letter(u + du, v + dv);
                if (near && Opaque(s, x, y, 64, 64, u, v)) {
                    aroundLum += l;
                    ++around;
                }
            }
        ASSERT_GT(letters, 150) << n;
        ASSERT_GT(around, 100) << n;
        double ratio = (letterLum / letters + 0.05) / (aroundLum / around + 0.05);
        EXPECT_GE(ratio, 3.0) << "item " << n;
    }
}

// How much two cell images differ, on average per channel.
double CellDifference(const Bitmap& s, int a, int b) {
    double sum = 0;
    for (int v = 0; v < 64; ++v)
        for (int u = 0; u < 64; ++u) {
            uint32_t p = s.At(CellX(a) + u, CellY(a) + v), q = s.At(CellX(b) + u, CellY(b) + v);
            for (int k = 0; k < 24; k += 8)
                sum += std::abs(int((p >> k) & 0xFF) - int((q >> k) & 0xFF));
        }
    return sum / (64.0 * 64.0 * 3.0);
}

TEST(CellSheet, WaterFramesFormOneSmoothCycle) {
    Bitmap s = LoadSheet("cells.bmp");
    ASSERT_EQ(s.height, 896);
    for (int n = 12; n < 23; ++n) {
        double step = CellDifference(s, n, n + 1);
        EXPECT_GT(step, 0.5) << "frames " << n << " and " << n + 1 << " are the same";
        // Half a cycle apart differs far more than neighbouring frames do.
        EXPECT_LT(step * 1.5, CellDifference(s, n, 12 + (n - 12 + 6) % 12)) << n;
    }
    // One cycle: the last frame leads back toward the first.
    EXPECT_LT(CellDifference(s, 23, 12) * 1.5, CellDifference(s, 23, 17));
}

TEST(CellSheet, GroundAndWallCellsTile) {
    Bitmap s = LoadSheet("cells.bmp");
    ASSERT_EQ(s.height, 896);
    for (int n : {0, 1, 7, 8, 9, 11, 12, 18}) {
        int x = CellX(n), y = CellY(n);
        auto diff = [&](int u0, int v0, int u1, int v1) {
            uint32_t p = s.At(x + u0, y + v0), q = s.At(x + u1, y + v1);
            int d = 0;
            for (int k = 0; k < 24; k += 8)
                d += std::abs(int((p >> k) & 0xFF) - int((q >> k) & 0xFF));
            return d;
        };
        double seam = 0, inside = 0;
        for (int t = 0; t < 64; ++t) {
            seam += diff(63, t, 0, t) + diff(t, 63, t, 0);
            inside +=
                diff(31, t, 32, t) + diff(t, 31, t, 32) + diff(15, t, 16, t) + diff(t, 47, t, 48);
        }
        EXPECT_LT(seam, inside + 64 * 6) << "cell " << n;
    }
}

// ---------------------------------------------------------------------------
// Waves

struct Wave {
    int rate = 0, bits = 0, channels = 0;
    std::vector<int> samples;  // centred on 0: 16-bit as is, 8-bit minus 128
};

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

// Peak (near peakDb), ends and offset of a sound; returns the first fault.
std::string WaveLevelFault(const Wave& w, double peakDb = -1.0) {
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

TEST(AssetWaves, FormatsAndExactLengths) {
    struct Expected {
        const char* file;
        int rate, bits, samples;
        double peakDb = -1.0;
    };
    const Expected waves[] = {
        {"wave111.wav", 22050, 16, 108927}, {"wave118.wav", 8000, 8, 16000},
        {"wave119.wav", 8000, 8, 7200},     {"wave120.wav", 8000, 8, 12240},
        {"wave121.wav", 8000, 8, 9440},     {"wave122.wav", 8000, 8, 4240, -9.5}};
    for (const Expected& e : waves) {
        Wave w;
        ASSERT_EQ(ParseWave(ReadAsset(e.file), w), "") << e.file;
        EXPECT_EQ(w.channels, 1) << e.file;
        EXPECT_EQ(w.rate, e.rate) << e.file;
        EXPECT_EQ(w.bits, e.bits) << e.file;
        EXPECT_EQ(int(w.samples.size()), e.samples) << e.file;
        EXPECT_EQ(WaveLevelFault(w, e.peakDb), "") << e.file;
    }
}

Wave LoadWave(const std::string& name) {
    Wave w;
    EXPECT_EQ(ParseWave(ReadAsset(name), w), "") << name;
    return w;
}

double RmsDbfs(const Wave& w) {
    double squares = 0;
    for (int s : w.samples)
        squares += double(s) * s;
    double rms = std::sqrt(squares / std::max<size_t>(1, w.samples.size())) / 127.0;
    return 20.0 * std::log10(std::max(rms, 1e-9));
}

// The part of the energy of samples [from, end) that lies at or above hz:
// the energy of the DFT bins below hz, taken away from the whole (Parseval).
double ShareAbove(const Wave& w, double hz, double fromSeconds = 0) {
    const size_t from = size_t(fromSeconds * w.rate);
    const size_t n = w.samples.size() - from;
    double total = 0;
    for (size_t i = from; i < w.samples.size(); ++i)
        total += double(w.samples[i]) * w.samples[i];
    double below = 0;
    for (size_t k = 0; double(k) * w.rate / double(n) < hz; ++k) {
        double re = 0, im = 0;
        for (size_t i = 0; i < n; ++i) {
            double a = 2.0 * M_PI * double(k) * double(i) / double(n);
            re += w.samples[from + i] * std::cos(a);
            im -= w.samples[from + i] * std::sin(a);
        }
        below += (k == 0 ? 1.0 : 2.0) * (re * re + im * im) / double(n);
    }
    return total > 0 ? 1.0 - below / total : 0.0;
}

// Heard on small speakers: the servo, repeated while a gun key is held, stays
// under the cannon; the engine and the explosion's tail carry energy above
// 150 Hz, where such speakers still play; the cannon's tail is a dark echo,
// not hiss.
TEST(AssetWaves, LoudnessAndSpectraSuitSmallSpeakers) {
    Wave explosion = LoadWave("wave118.wav"), engine = LoadWave("wave120.wav");
    Wave cannon = LoadWave("wave121.wav"), servo = LoadWave("wave122.wav");
    EXPECT_LE(RmsDbfs(servo), -20.0);
    EXPECT_LT(RmsDbfs(servo), RmsDbfs(cannon));
    EXPECT_GE(ShareAbove(engine, 150.0), 0.40);
    EXPECT_LE(ShareAbove(engine, 150.0), 0.75) << "the engine keeps its rumble";
    EXPECT_GE(ShareAbove(explosion, 150.0, 0.3), 0.25);
    EXPECT_LE(ShareAbove(cannon, 600.0, 0.3), 0.15);
}

// ---------------------------------------------------------------------------
// Icon

TEST(AssetIcon, DirectoryListsElevenImages) {
    Bytes ico = ReadAsset("morvask.ico");
    ASSERT_GE(ico.size(), 6u + 11 * 16);
    EXPECT_EQ(U16(ico, 0), 0u);
    EXPECT_EQ(U16(ico, 2), 1u);
    ASSERT_EQ(U16(ico, 4), 11u);
    struct Entry {
        int size, bits;
    };
    const Entry expected[11] = {{48, 4},   {32, 4},  {16, 4},  {48, 8},  {32, 8}, {16, 8},
                                {256, 32}, {96, 32}, {48, 32}, {32, 32}, {16, 32}};
    for (int i = 0; i < 11; ++i) {
        size_t e = 6 + 16 * size_t(i);
        int size = ico[e] == 0 ? 256 : ico[e];
        EXPECT_EQ(size, expected[i].size) << i;
        EXPECT_EQ(ico[e + 1] == 0 ? 256 : ico[e + 1], expected[i].size) << i;
        EXPECT_EQ(int(U16(ico, e + 6)), expected[i].bits) << i;
        EXPECT_EQ(ico[e + 2], expected[i].bits == 4 ? 16 : 0) << i;
        uint32_t bytes = U32(ico, e + 8), offset = U32(ico, e + 12);
        ASSERT_LE(size_t(offset) + bytes, ico.size()) << i;
        if (expected[i].size == 256) {
            const uint8_t png[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
            EXPECT_TRUE(std::equal(png, png + 8, ico.begin() + offset)) << "256 is stored as PNG";
        } else {
            EXPECT_EQ(U32(ico, offset), 40u) << i;
            EXPECT_EQ(int(U32(ico, offset + 4)), expected[i].size) << i;
            EXPECT_EQ(int(U32(ico, offset + 8)), 2 * expected[i].size) << i;
            EXPECT_EQ(int(U16(ico, offset + 14)), expected[i].bits) << i;
            size_t colourRow = ((size_t(expected[i].size) * expected[i].bits + 31) / 32) * 4;
            size_t maskRow = ((size_t(expected[i].size) + 31) / 32) * 4;
            size_t palette = expected[i].bits <= 8 ? (size_t(4) << expected[i].bits) : 0;
            EXPECT_EQ(bytes, 40 + palette + (colourRow + maskRow) * expected[i].size) << i;
        }
    }
}

TEST(AssetIcon, PngFilesAreSquareRgba) {
    for (int size : {16, 24, 32, 48, 96, 128, 256}) {
        Bytes png = ReadAsset("icon-" + std::to_string(size) + ".png");
        ASSERT_GE(png.size(), 33u) << size;
        EXPECT_EQ(png[0], 0x89) << size;
        EXPECT_EQ(std::string(png.begin() + 12, png.begin() + 16), "IHDR") << size;
        auto be32 = [&](size_t at) {
            return png[at] << 24 | png[at + 1] << 16 | png[at + 2] << 8 | png[at + 3];
        };
        EXPECT_EQ(be32(16), size);
        EXPECT_EQ(be32(20), size);
        EXPECT_EQ(png[24], 8) << size;  // bits per channel
        EXPECT_EQ(png[25], 6) << size;  // RGBA
    }
}

// The small icons are drawn for their size: the tank fills the square (at
// least 55% of the pixels more than half opaque), not a blob in its middle.
TEST(AssetIcon, SmallIconsFillTheirSquare) {
    for (int size : {16, 24}) {
        png_image image{};
        image.version = PNG_IMAGE_VERSION;
        std::string path =
            std::string(MORVASK_ASSET_DIR) + "/icon-" + std::to_string(size) + ".png";
        ASSERT_TRUE(png_image_begin_read_from_file(&image, path.c_str())) << path;
        image.format = PNG_FORMAT_RGBA;
        std::vector<uint8_t> rgba(PNG_IMAGE_SIZE(image));
        ASSERT_TRUE(png_image_finish_read(&image, nullptr, rgba.data(), 0, nullptr)) << path;
        ASSERT_EQ(int(image.width), size);
        int opaque = 0;
        for (size_t i = 3; i < rgba.size(); i += 4)
            opaque += rgba[i] >= 128;
        EXPECT_GE(opaque * 100, 55 * size * size) << size;
    }
}

}  // namespace
