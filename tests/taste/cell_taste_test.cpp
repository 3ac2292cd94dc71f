// How the cells look: round item balls with letters that stand out, ice that
// keeps its tones small and lies even, burning walls that glow without
// glaring, water that cycles smoothly, ground and walls that tile.
// Judgement, under the label taste.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/taste/taste_measures.h"
#include "tests/unit/asset_files.h"

using namespace asset_files;
using namespace taste;

namespace {

double Luma(uint32_t c) {
    return 0.299 * (c >> 16) + 0.587 * ((c >> 8) & 0xFF) + 0.114 * (c & 0xFF);
}

// How much two cell images differ, on average per channel.
double CellDifference(const Bitmap& s, int a, int b) {
    double sum = 0;
    for (int v = 0; v < 64; ++v)
        for (int u = 0; u < 64; ++u)
            sum +=
                ChannelDistance(s.At(CellX(a) + u, CellY(a) + v), s.At(CellX(b) + u, CellY(b) + v));
    return sum / (64.0 * 64.0 * 3.0);
}

}  // namespace

// Items are round balls with a big white letter that stands out from the
// glass right around it: at least 3:1 between the letter and its surround.
TEST(CellTaste, ItemsAreRoundBallsWithLettersThatStandOut) {
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

TEST(CellTaste, WaterFramesFormOneSmoothCycle) {
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

TEST(CellTaste, GroundAndWallCellsTile) {
    Bitmap s = LoadSheet("cells.bmp");
    ASSERT_EQ(s.height, 896);
    for (int n : {0, 1, 7, 8, 9, 11, 12, 18}) {
        int x = CellX(n), y = CellY(n);
        auto diff = [&](int u0, int v0, int u1, int v1) {
            return ChannelDistance(s.At(x + u0, y + v0), s.At(x + u1, y + v1));
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

// Ice is pale (but not the brightest thing on the field), bluish and even:
// its blotches (the lightness of 8 x 8 blocks) spread little, so a large
// field of it shows no 64-pixel grid. Yet seen at a quarter of its size (as
// in the levels overview) it must not turn into a blank white square: its
// 4 x 4 blocks keep a real spread of tones.
TEST(CellTaste, IceIsPaleBluishAndEvenButKeepsItsTonesAtAQuarter) {
    Bitmap s = LoadSheet("cells.bmp");
    ASSERT_EQ(s.height, 896);
    const Patch ice = Cell(s, 9);
    Patch blotches;
    double lo = 255, hi = 0, red = 0, blue = 0;
    for (int by = 0; by < 16; ++by)
        for (int bx = 0; bx < 16; ++bx) {
            double l = 0;
            for (int v = 0; v < 4; ++v)
                for (int u = 0; u < 4; ++u) {
                    uint32_t c = ice.pixels[size_t(4 * by + v) * 64 + size_t(4 * bx + u)];
                    l += Luma(c) / 16.0;
                    red += c >> 16;
                    blue += c & 0xFF;
                }
            lo = std::min(lo, l);
            hi = std::max(hi, l);
        }
    for (int by = 0; by < 8; ++by)
        for (int bx = 0; bx < 8; ++bx) {
            Patch block;
            for (int v = 8 * by; v < 8 * by + 8; ++v)
                for (int u = 8 * bx; u < 8 * bx + 8; ++u)
                    block.pixels.push_back(ice.pixels[size_t(v) * 64 + size_t(u)]);
            uint32_t grey =
                uint32_t(std::lround(std::clamp(AverageLab(block).L * 2.55, 0.0, 255.0)));
            blotches.pixels.push_back(grey * 0x010101u);
        }
    const double L = AverageLab(ice).L, spread = LightnessSpread(blotches);
    std::printf("ice: L* %.1f, blotch spread %.2f, quarter tones %.0f\n", L, spread, hi - lo);
    EXPECT_GE(L, 77.0);
    EXPECT_LE(L, 83.0);
    EXPECT_GT(blue, red * 1.08);
    EXPECT_LE(spread, 5.0);
    EXPECT_GE(hi - lo, 40.0);
}

// A burning wall keeps its flicker but glows calmly: about half of the cell
// opaque, and little of it near white.
TEST(CellTaste, BurningBricksGlowCalmly) {
    Bitmap s = LoadSheet("cells.bmp");
    ASSERT_EQ(s.height, 896);
    for (int n = 4; n <= 6; ++n) {
        int opaque = OpaqueCount(s, CellX(n), CellY(n), 64, 64), glaring = 0;
        for (int v = 0; v < 64; ++v)
            for (int u = 0; u < 64; ++u)
                if (Opaque(s, CellX(n), CellY(n), 64, 64, u, v))
                    glaring += ToLab(s.At(CellX(n) + u, CellY(n) + v)).L >= 90.0;
        double share = opaque / 4096.0;
        std::printf("burning %d: %.0f%% opaque, %.1f%% near white, %.1f from the next frame\n", n,
                    100 * share, 100.0 * glaring / 4096.0,
                    CellDifference(s, n, n == 6 ? 4 : n + 1));
        EXPECT_GE(share, 0.44) << n;
        EXPECT_LE(share, 0.56) << n;
        EXPECT_LE(glaring, 4096 / 50) << n;
        EXPECT_GT(CellDifference(s, n, n == 6 ? 4 : n + 1), 4.0) << "the flicker";
    }
}
