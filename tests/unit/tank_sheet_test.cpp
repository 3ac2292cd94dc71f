// The tank sheet: hulls and guns where the drawing expects them, the track
// and recoil frames, and the flash at the muzzle.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "tests/unit/asset_files.h"

using namespace asset_files;

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

// Facing up the flash is drawn 48 px above the gun: its gun end is at the
// bottom of the sprite, where the muzzle is.
TEST(TankSheet, MuzzleFlashReachesDownToTheMuzzle) {
    Bitmap s = LoadSheet("tanks.bmp");
    ASSERT_EQ(s.height, 10240);
    for (int kind = 0; kind < 8; ++kind) {
        std::vector<int> w = RowWidths(s, 128, SlotY(kind, 9), 64);
        int first = 0, last = 63;
        while (first < 64 && w[size_t(first)] == 0)
            ++first;
        while (last >= 0 && w[size_t(last)] == 0)
            --last;
        ASSERT_LT(first, last) << kind;
        EXPECT_GT(last, 44) << kind;
        EXPECT_GT(last - first, 20) << kind;
    }
}
