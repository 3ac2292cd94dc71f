// How the art looks, beyond what the game needs of it: the explosion's smoke
// and warm colours, a dark and quiet background under actors that stand off
// it, the flash's shape, the shells' colours and cores, a gun that shows its
// direction, icons drawn for their size, and the players' plates. Judgement,
// under the label taste.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include <png.h>

#include "tests/taste/taste_measures.h"
#include "tests/unit/asset_files.h"

using namespace asset_files;
using namespace taste;

namespace {

// An icon picture as 0xAARRGGBB pixels.
std::vector<uint32_t> LoadIcon(int size) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    std::string path = std::string(MORVASK_ASSET_DIR) + "/icon-" + std::to_string(size) + ".png";
    EXPECT_TRUE(png_image_begin_read_from_file(&image, path.c_str())) << path;
    image.format = PNG_FORMAT_RGBA;
    std::vector<uint8_t> rgba(PNG_IMAGE_SIZE(image));
    EXPECT_TRUE(png_image_finish_read(&image, nullptr, rgba.data(), 0, nullptr)) << path;
    EXPECT_EQ(int(image.width), size);
    std::vector<uint32_t> argb(size_t(size) * size);
    for (size_t i = 0; i < argb.size() && 4 * i + 3 < rgba.size(); ++i)
        argb[i] = uint32_t(rgba[4 * i + 3]) << 24 | uint32_t(rgba[4 * i]) << 16 |
                  uint32_t(rgba[4 * i + 1]) << 8 | rgba[4 * i + 2];
    return argb;
}

// The paint of a tank as it reads: the average colour of the middle of the
// resting tank (its turret and the deck around it), facing up.
Lab TankPaint(const Bitmap& tanks, int kind) {
    Sprite s = RestingTank(tanks, kind, 2);
    Patch p;
    for (int v = 22; v < 42; ++v)
        for (int u = 22; u < 42; ++u)
            if (s.opaque[size_t(v) * 64 + u])
                p.pixels.push_back(s.colour[size_t(v) * 64 + u]);
    return AverageLab(p);
}

// Pixel (u, v) of a tank sprite read as if it faced up, whatever its
// column: the sheet draws the other directions turned.
uint32_t UprightPixel(const Bitmap& tanks, int kind, int row, int column, int u, int v,
                      bool& opaque) {
    int x = u, y = v;
    if (column == 0) {
        x = 63 - u;
        y = 63 - v;
    } else if (column == 1) {
        x = v;
        y = 63 - u;
    } else if (column == 3) {
        x = 63 - v;
        y = u;
    }
    opaque = asset_files::Opaque(tanks, 64 * column, SlotY(kind, row), 64, 64, x, y);
    return tanks.At(64 * column + x, SlotY(kind, row) + y);
}

}  // namespace

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

// The ground sits under the actors: green, darker than every tank's paint,
// greyer than the grass cells, quiet (a texture of low contrast) yet mottled
// in large soft patches rather than flat, and it tiles.
TEST(BackgroundTaste, BackgroundIsDarkCalmMottledGreenAndTiles) {
    Bitmap bg = LoadSheet("background.bmp");
    ASSERT_EQ(bg.width, 580);
    double r = 0, g = 0, b = 0, sum = 0, squares = 0;
    for (uint32_t c : bg.pixels) {
        r += c >> 16;
        g += (c >> 8) & 0xFF;
        b += c & 0xFF;
        double l = 0.3 * (c >> 16) + 0.59 * ((c >> 8) & 0xFF) + 0.11 * (c & 0xFF);
        sum += l;
        squares += l * l;
    }
    const double n = double(bg.pixels.size()), mean = sum / n;
    const double contrast = std::sqrt(std::max(0.0, squares / n - mean * mean));
    const Lab colour = AverageLab(Patch{bg.pixels});
    const double chroma = std::hypot(colour.a, colour.b);
    // Patches: the spread of the lightness of 20 x 20 blocks.
    Patch blocks;
    for (int by = 0; by < 16; ++by)
        for (int bx = 0; bx < 29; ++bx) {
            Patch block;
            for (int y = 20 * by; y < 20 * by + 20; ++y)
                for (int x = 20 * bx; x < 20 * bx + 20; ++x)
                    block.pixels.push_back(bg.At(x, y));
            Lab l = AverageLab(block);
            uint32_t grey = uint32_t(std::lround(std::clamp(l.L * 2.55, 0.0, 255.0)));
            blocks.pixels.push_back(grey * 0x010101u);
        }
    const double patches = LightnessSpread(blocks);
    std::printf("background: L* %.1f, chroma %.1f, patches %.2f, pixels %.2f\n", colour.L, chroma,
                patches, LightnessSpread(Patch{bg.pixels}));
    EXPECT_GT(g, r * 1.15);
    EXPECT_GT(g, b * 1.15);
    EXPECT_GE(colour.L, 32.0);
    EXPECT_LE(colour.L, 36.0);
    EXPECT_LE(chroma, 31.0) << "calmer than the grass cells";
    EXPECT_LT(contrast, 12.0);
    EXPECT_GE(patches, 1.5) << "large patches, not felt";
    // The seam (last column next to the first, last row over the first) must
    // differ no more than neighbouring columns and rows inside do.
    auto diff = [&](int x0, int y0, int x1, int y1) {
        return ChannelDistance(bg.At(x0, y0), bg.At(x1, y1));
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

// Every tank's paint stands off the background (where tanks mostly are);
// the green kinds, the commonest, off every ground; the player's kinds
// differ from the enemies of their colour by lightness; the player's corner
// caps shine.
TEST(TankTaste, KindsStandOffTheGroundsAndEachOther) {
    Bitmap tanks = LoadSheet("tanks.bmp"), cells = LoadSheet("cells.bmp");
    Bitmap bg = LoadSheet("background.bmp");
    ASSERT_EQ(tanks.height, 10240);
    const std::vector<Ground> grounds = Grounds(bg, cells);
    Lab paint[8];
    for (int kind = 0; kind < 8; ++kind) {
        paint[kind] = TankPaint(tanks, kind);
        std::printf("tank %d: L* %.1f a* %.1f b* %.1f; ΔE", kind, paint[kind].L, paint[kind].a,
                    paint[kind].b);
        for (const Ground& g : grounds)
            std::printf(" %s %.1f", g.name.c_str(), DeltaE(paint[kind], g.colour));
        std::printf("\n");
        EXPECT_GE(DeltaE(paint[kind], grounds[0].colour), 40.0) << "kind " << kind;
        if (kind != 2 && kind != 4)
            continue;
        for (const Ground& g : grounds)
            EXPECT_GE(DeltaE(paint[kind], g.colour), 40.0) << "kind " << kind << " on " << g.name;
    }
    for (auto [player, enemy] : {std::pair{1, 5}, std::pair{2, 4}}) {
        std::printf("player %d vs enemy %d: ΔE %.1f, ΔL* %.1f\n", player, enemy,
                    DeltaE(paint[player], paint[enemy]), paint[player].L - paint[enemy].L);
        EXPECT_GE(DeltaE(paint[player], paint[enemy]), 25.0) << player << " vs " << enemy;
        EXPECT_GE(std::fabs(paint[player].L - paint[enemy].L), 20.0) << "by lightness";
    }
    // The caps: the twelve brightest pixels of each corner of the hull.
    for (int kind = 0; kind < 4; ++kind)
        for (int corner = 0; corner < 4; ++corner) {
            const int x0 = corner % 2 ? 52 : 0, y0 = corner / 2 ? 52 : 0;
            std::vector<double> light;
            for (int v = y0; v < y0 + 12; ++v)
                for (int u = x0; u < x0 + 12; ++u)
                    if (asset_files::Opaque(tanks, 128, SlotY(kind, 0), 64, 64, u, v))
                        light.push_back(ToLab(tanks.At(128 + u, SlotY(kind, 0) + v)).L);
            std::sort(light.rbegin(), light.rend());
            ASSERT_GE(light.size(), 12u);
            double top = 0;
            for (size_t i = 0; i < 12; ++i)
                top += light[i] / 12.0;
            EXPECT_GE(top, 85.0) << "player kind " << kind << " corner " << corner;
        }
}

// The enemy's gun shows where it points, even at half size: a barrel at
// least 4 pixels wide inside its outline reaching 8 pixels or more beyond
// the hull, with a light steel highlight along it.
TEST(TankTaste, EnemyBarrelShowsItsDirection) {
    Bitmap tanks = LoadSheet("tanks.bmp");
    ASSERT_EQ(tanks.height, 10240);
    for (int kind = 4; kind < 8; ++kind)
        for (int column = 0; column < 4; ++column) {
            auto at = [&](int row, int u, int v, bool& opaque) {
                return UprightPixel(tanks, kind, row, column, u, v, opaque);
            };
            // The hull's front: its first row between the tracks.
            int front = 64;
            for (int v = 0; v < 64 && front == 64; ++v)
                for (int u = 24; u < 40; ++u) {
                    bool on = false;
                    at(0, u, v, on);
                    if (on) {
                        front = v;
                        break;
                    }
                }
            int tip = 64, narrowest = 64;
            double brightest = 0;
            for (int v = 0; v < front; ++v) {
                // The width where the barrel leaves the hull (a ball or a
                // brake may sit at its end).
                const bool neck = v >= front - 4;
                int width = 0;
                for (int u = 16; u < 48; ++u) {
                    bool on = false;
                    uint32_t c = at(8, u, v, on);
                    if (!on)
                        continue;
                    ++width;
                    brightest = std::max(brightest, ToLab(c).L);
                }
                if (width > 0 && tip == 64)
                    tip = v;
                if (neck && tip < 64)
                    narrowest = std::min(narrowest, width);
            }
            if (column == 2)
                std::printf("enemy %d: barrel %d px past the hull, %d px wide, highlight L* %.1f\n",
                            kind, front - tip, narrowest, brightest);
            EXPECT_GE(front - tip, 8) << "kind " << kind << " column " << column;
            EXPECT_GE(narrowest, 6) << "4 inside the outline; kind " << kind;
            EXPECT_GE(brightest, 70.0) << "kind " << kind << " column " << column;
        }
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

// Every shell has a bright core along a third of its length and, on every
// ground, a good part of it 40 L* away from the ground, lighter or darker;
// the trail behind it stays within the shell's width beside it.
TEST(BulletTaste, ShellsStandOutAndTheTrailHasNoEars) {
    Bitmap s = LoadSheet("bullets.bmp"), cells = LoadSheet("cells.bmp");
    Bitmap bg = LoadSheet("background.bmp");
    ASSERT_EQ(s.width, 160);
    const std::vector<Ground> grounds = Grounds(bg, cells);
    for (int kind = 0; kind < 4; ++kind) {
        // Facing up (column 2).
        const int x = 80, y = kind * 80;
        int first = 40, last = -1, bright = 0;
        std::vector<double> light;
        for (int v = 0; v < 40; ++v) {
            bool any = false, core = false;
            for (int u = 0; u < 40; ++u) {
                if (!Opaque(s, x, y, 40, 40, u, v))
                    continue;
                any = true;
                double l = ToLab(s.At(x + u, y + v)).L;
                light.push_back(l);
                core |= l >= 85.0;
            }
            if (any) {
                first = std::min(first, v);
                last = v;
            }
            bright += core;
        }
        const int length = last - first + 1;
        std::printf("shell %d: core %d of %d rows;", kind, bright, length);
        EXPECT_GE(3 * bright, length) << "kind " << kind;
        for (const Ground& g : grounds) {
            int far = 0;
            for (double l : light)
                far += std::fabs(l - g.colour.L) >= 40.0;
            double share = double(far) / double(light.size());
            std::printf(" %s %.0f%%", g.name.c_str(), 100 * share);
            EXPECT_GE(share, 0.2) << "kind " << kind << " on " << g.name;
        }
        std::printf("\n");
    }
    // The trail is drawn 36, 28, 20 and 12 pixels behind the shell's picture
    // (its frames), then the shell over it.
    int ears = 0;
    for (int behind : {36, 28, 20, 12})
        for (int v = behind; v < 40; ++v) {
            int from = 40, to = -1;
            for (int u = 0; u < 40; ++u)
                if (Opaque(s, 80, 0, 40, 40, u, v)) {
                    from = std::min(from, u);
                    to = u;
                }
            if (to < 0)
                continue;
            for (int u = 0; u < 40; ++u)
                ears += (u < from || u > to) && Opaque(s, 80, 320, 40, 40, u, v - behind);
        }
    std::printf("trail pixels beside the shell: %d\n", ears);
    EXPECT_EQ(ears, 0);
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

// The icons are drawn for their size. The small ones: the tank fills the
// square (at least 55% of the pixels more than half opaque), not a blob in
// its middle. At 32 and 48 pixels the tank itself (not its glow) covers at
// least half of the square, edged with a thin glow of 1 or 2 pixels.
TEST(IconTaste, IconsAreDrawnForTheirSize) {
    for (int size : {16, 24, 32, 48}) {
        int opaque = 0, solid = 0, glow = 0;
        for (uint32_t p : LoadIcon(size)) {
            opaque += (p >> 24) >= 128;
            solid += (p >> 24) >= 250;
            glow += (p >> 24) > 0 && (p >> 24) < 250;
        }
        if (size < 32) {
            EXPECT_GE(opaque * 100, 55 * size * size) << size;
            continue;
        }
        std::printf("icon %d: solid %.0f%%, glow %.0f%%\n", size, 100.0 * solid / (size * size),
                    100.0 * glow / (size * size));
        EXPECT_GE(2 * solid, size * size) << size;
        // A rim 2 pixels wide around a solid half of the square is less than
        // a third of it.
        EXPECT_LE(3 * glow, size * size) << size;
    }
}

// The players' plates, in a game of two: the two plates are far apart in
// colour and both stand off every armour colour a player's tank wears; the
// digit is dark ink on a light face, so that it reads at 22 pixels.
TEST(MarkTaste, ThePlayersPlatesStandApartAndTheirDigitsRead) {
    Bitmap marks = LoadSheet("marks.bmp"), tanks = LoadSheet("tanks.bmp");
    ASSERT_EQ(marks.width, 44);
    Lab face[2];
    for (int player = 0; player < 2; ++player) {
        Patch light, ink;
        // The plate's face, inside its bevel: the plate fills 3..18 of the
        // mark, its corner brackets lie outside.
        for (int v = 5; v < 17; ++v)
            for (int u = 5; u < 17; ++u) {
                const uint32_t pixel = marks.At(22 * player + u, v);
                (ToLab(pixel).L >= 50 ? light : ink).pixels.push_back(pixel);
            }
        face[player] = AverageLab(light);
        const Lab digit = AverageLab(ink);
        std::printf("plate %d: face L* %.1f a* %.1f b* %.1f, digit L* %.1f (%zu pixels)\n",
                    player + 1, face[player].L, face[player].a, face[player].b, digit.L,
                    ink.pixels.size());
        EXPECT_GE(ink.pixels.size(), 25u) << "plate " << player + 1 << " has a digit";
        EXPECT_GE(face[player].L - digit.L, 50.0) << "plate " << player + 1;
        for (int kind = 0; kind < 4; ++kind) {
            const double apart = DeltaE(face[player], TankPaint(tanks, kind));
            std::printf("  ΔE to player kind %d: %.1f\n", kind, apart);
            EXPECT_GE(apart, 30.0) << "plate " << player + 1 << " on kind " << kind;
        }
    }
    std::printf("plate 1 vs plate 2: ΔE %.1f\n", DeltaE(face[0], face[1]));
    EXPECT_GE(DeltaE(face[0], face[1]), 50.0);
}
