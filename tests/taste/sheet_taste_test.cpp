// How the art looks, beyond what the game needs of it: the explosion's smoke
// and warm colours, a quiet background, the flash's shape, the shells'
// colours and icons drawn for their size. Judgement, under the label taste.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include <png.h>

#include "tests/unit/asset_files.h"

using namespace asset_files;

// The explosion ends as smoke that nearly fills its 66-pixel square, and
// each of the last frames is larger than the one before.
TEST(EffectTaste, ExplosionSmokeGrowsToFillTheSquare) {
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

// Yellows, oranges and browns: in every colour but white and black, red
// leads and blue trails.
TEST(EffectTaste, EffectColoursAreWarm) {
    Bitmap fx = LoadSheet("effects.bmp");
    for (uint32_t c : fx.palette) {
        int r = c >> 16, g = (c >> 8) & 0xFF, b = c & 0xFF;
        if (c == kWhite || c == kBlack)
            continue;
        EXPECT_GE(r, g) << std::hex << c;
        EXPECT_GT(r, b) << std::hex << c;
        EXPECT_GE(g, b) << std::hex << c;
    }
}

TEST(BackgroundTaste, BackgroundIsQuietGreenAndTiles) {
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

// The flash is narrow where it leaves the gun and widens away from it, and
// it is pale and warm.
TEST(TankTaste, MuzzleFlashIsNarrowAtTheGunPaleAndWarm) {
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
        int span = last - first;
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

// Each kind of shell has the colour of its kind: its strongest channel is the
// strongest of that colour.
TEST(BulletTaste, ShellsHaveTheColoursOfTheirKinds) {
    Bitmap s = LoadSheet("bullets.bmp");
    ASSERT_EQ(s.width, 160);
    const uint32_t nominal[4] = {0xb8a23a, 0x4fc24a, 0x4a8ff0, 0xe0483a};
    for (int kind = 0; kind < 4; ++kind) {
        Average a = OpaqueAverage(s, 80, kind * 80, 40);
        double r = nominal[kind] >> 16, g = (nominal[kind] >> 8) & 0xFF, b = nominal[kind] & 0xFF;
        auto strongest = [](double x, double y, double z) {
            return x >= y && x >= z ? 0 : (y >= z ? 1 : 2);
        };
        EXPECT_EQ(strongest(a.r, a.g, a.b), strongest(r, g, b)) << kind;
    }
}

// The small icons are drawn for their size: the tank fills the square (at
// least 55% of the pixels more than half opaque), not a blob in its middle.
TEST(IconTaste, SmallIconsFillTheirSquare) {
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
