// The cell sheet: which cells are solid, which have holes (the walls hit and
// burning), as the drawing and the levels overview rely on.
#include <gtest/gtest.h>

#include "tests/unit/asset_files.h"

using namespace asset_files;

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
    EXPECT_LT(OpaqueCount(s, CellX(3), CellY(3), 64, 64),
              OpaqueCount(s, CellX(2), CellY(2), 64, 64));
    for (int n : {4, 5, 6}) {
        int opaque = OpaqueCount(s, CellX(n), CellY(n), 64, 64);
        EXPECT_GT(opaque, full * 3 / 10) << "cell " << n;
        EXPECT_LT(opaque, full * 7 / 10) << "cell " << n;
    }
}
