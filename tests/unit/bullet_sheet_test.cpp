// The bullet sheet: shells pointing the way they fly, and the trail that the
// drawing lays behind them at seven distances.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "tests/unit/asset_files.h"

using namespace asset_files;

TEST(BulletSheet, ShellsPointUp) {
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
    // Flying up, the trail's rows from its head down: widest near its head,
    // never a gap, and narrowing from its widest row to the tail.
    std::vector<int> w = RowWidths(s, 80, 320, 40);
    ASSERT_GT(w[0], 0) << "the trail's head is at the picture's edge";
    int last = 39;
    while (last > 0 && w[size_t(last)] == 0)
        --last;
    EXPECT_GT(last, 30);
    int widest = int(std::max_element(w.begin(), w.end()) - w.begin());
    EXPECT_LT(widest, 14);
    EXPECT_GT(w[size_t(widest)], 2 * w[34]);
    for (int v = 0; v <= last; ++v)
        EXPECT_GT(w[size_t(v)], 0) << "row " << v;
    for (int v = widest; v < last; ++v)
        EXPECT_LE(w[size_t(v + 1)], w[size_t(v)]) << "row " << v;
}
