// The generated bitmaps as the game reads them: sizes and depths, the game's
// own reader, the effect palette, and the masking rule and directions of
// every sprite of every sheet.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/shared/surfaces.h"
#include "tests/unit/asset_files.h"

using namespace asset_files;

namespace {

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

}  // namespace

// Every sprite the game draws keeps the masking rule and has pixels.
TEST(AssetBitmaps, HaveTheirSizesAndEverySlotKeepsTheMaskingRule) {
    for (const SheetLayout& l : kSheets) {
        Bitmap s = LoadSheet(l.file);
        ASSERT_EQ(s.width, l.width) << l.file;
        ASSERT_EQ(s.height, l.height) << l.file;
        EXPECT_EQ(s.bits, l.bits) << l.file;
        for (int row = 0; row < l.rows; ++row)
            for (int col = 0; col < l.columns; ++col) {
                const int x = col * l.w, y = row * 2 * l.h;
                EXPECT_EQ(SlotMaskFault(s, x, y, l.w, l.h), "")
                    << l.file << " " << col << "," << row;
                EXPECT_GT(OpaqueCount(s, x, y, l.w, l.h), 40) << l.file << " " << col << "," << row;
            }
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
        ASSERT_TRUE(shared::DecodeBitmap(bytes.data(), bytes.size(), w, h, pixels)) << file;
        EXPECT_EQ(w, expected.width) << file;
        EXPECT_EQ(h, expected.height) << file;
        EXPECT_TRUE(pixels == expected.pixels) << file;
    }
    const Bytes good = ReadAsset("effects.bmp");
    int w = 0, h = 0;
    std::vector<uint32_t> pixels;
    const Bytes truncated(good.begin(), good.end() - 7);
    EXPECT_FALSE(shared::DecodeBitmap(truncated.data(), truncated.size(), w, h, pixels));
    Bytes compressed = good;
    compressed[30] = 1;
    EXPECT_FALSE(shared::DecodeBitmap(compressed.data(), compressed.size(), w, h, pixels));
}

// The effect sheet's palette: 22 colours, pure white and pure black once
// each (the masking rule's two).
TEST(AssetBitmaps, EffectPaletteHasTwentyTwoColoursWithWhiteAndBlack) {
    Bitmap fx = LoadSheet("effects.bmp");
    EXPECT_EQ(fx.coloursUsed, 22u);
    ASSERT_EQ(fx.palette.size(), 22u);
    EXPECT_EQ(std::count(fx.palette.begin(), fx.palette.end(), kWhite), 1);
    EXPECT_EQ(std::count(fx.palette.begin(), fx.palette.end(), kBlack), 1);
}

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
