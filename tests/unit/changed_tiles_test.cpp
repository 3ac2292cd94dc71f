// The changed tiles of the web's present: the rectangles sent cover every
// change once, nothing that did not change beyond its tiles, and the grid is
// empty after.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "platform/shared/changed_tiles.h"

namespace {

using shared::ChangedTiles;
using shared::ChangeTileSide;

std::vector<platform::Rect> Take(ChangedTiles& tiles) {
    std::vector<platform::Rect> out;
    shared::TakeChangedRects(tiles, out);
    return out;
}

// The one rectangle sent, as (x, y, width, height).
std::vector<int> OnlyRect(ChangedTiles& tiles) {
    const std::vector<platform::Rect> sent = Take(tiles);
    if (sent.size() != 1)
        return {int(sent.size()), -1, -1, -1, -1};
    return {sent[0].x, sent[0].y, sent[0].width, sent[0].height};
}

// How many of the rectangles cover each pixel of a width x height picture.
std::vector<int> Coverage(const std::vector<platform::Rect>& rects, int width, int height) {
    std::vector<int> times(size_t(width) * height, 0);
    for (const platform::Rect& r : rects)
        for (int y = r.y; y < r.y + r.height; ++y)
            for (int x = r.x; x < r.x + r.width; ++x)
                ++times[size_t(y) * width + x];
    return times;
}

TEST(ChangedTiles, ASpriteOffTheGridIsSentAsTheTilesItTouches) {
    ChangedTiles tiles;
    shared::ResetChangedTiles(tiles, 960, 704);
    // Drawn at two ticks between two frames, a pixel apart.
    shared::MarkChanged(tiles, {3, 5, 64, 64});
    shared::MarkChanged(tiles, {4, 5, 64, 64});
    EXPECT_EQ(OnlyRect(tiles), (std::vector<int>{0, 0, 72, 72}));
    EXPECT_TRUE(Take(tiles).empty()) << "the grid is cleared once taken";
}

TEST(ChangedTiles, ThePictureEdgesClipTheTilesAndWhatLiesOutsideIsIgnored) {
    ChangedTiles tiles;
    // Neither side a multiple of the tile, and more than one word of tiles.
    shared::ResetChangedTiles(tiles, 1003, 45);
    shared::MarkChanged(tiles, {990, 40, 100, 100});
    shared::MarkChanged(tiles, {-50, -50, 10, 10});
    shared::MarkChanged(tiles, {20, 20, 0, 5});
    shared::MarkChanged(tiles, {20, 20, -5, 5});
    EXPECT_EQ(OnlyRect(tiles), (std::vector<int>{984, 40, 1003 - 984, 5}));
}

TEST(ChangedTiles, ARunAcrossTheWordBoundaryStaysOneRectangle) {
    ChangedTiles tiles;
    shared::ResetChangedTiles(tiles, 960, 704);
    // Columns 60 to 70: the first word's last tiles and the second's first.
    shared::MarkChanged(tiles, {60 * ChangeTileSide, 16, 11 * ChangeTileSide, 30});
    EXPECT_EQ(OnlyRect(tiles), (std::vector<int>{480, 16, 88, 32}));
}

// Many random changes, as a busy frame has: the pixels sent are exactly
// those of the tiles a change touched, each sent once.
TEST(ChangedTiles, RandomChangesAreSentOnceAndExactlyAsTheirTiles) {
    constexpr int Width = 960, Height = 704;
    constexpr int Columns = Width / ChangeTileSide, Rows = Height / ChangeTileSide;
    std::mt19937 random(12345);
    ChangedTiles tiles;
    shared::ResetChangedTiles(tiles, Width, Height);
    for (int frame = 0; frame < 40; ++frame) {
        std::vector<bool> touched(size_t(Columns) * Rows, false);
        const int count = 1 + int(random() % 80);
        for (int i = 0; i < count; ++i) {
            const platform::Rect r{int(random() % 1000) - 20, int(random() % 740) - 20,
                                   1 + int(random() % 90), 1 + int(random() % 90)};
            shared::MarkChanged(tiles, r);
            const int x0 = std::max(r.x, 0), y0 = std::max(r.y, 0);
            const int x1 = std::min(r.x + r.width, Width), y1 = std::min(r.y + r.height, Height);
            for (int y = y0; y < y1; ++y)
                for (int x = x0; x < x1; ++x)
                    touched[size_t(y / ChangeTileSide) * Columns + x / ChangeTileSide] = true;
        }
        const std::vector<platform::Rect> sent = Take(tiles);
        const std::vector<int> times = Coverage(sent, Width, Height);
        int twice = 0, missed = 0, extra = 0;
        for (int y = 0; y < Height; ++y)
            for (int x = 0; x < Width; ++x) {
                const int t = times[size_t(y) * Width + x];
                const bool tile =
                    touched[size_t(y / ChangeTileSide) * Columns + x / ChangeTileSide];
                twice += t > 1;
                missed += tile && t == 0;
                extra += !tile && t > 0;
            }
        EXPECT_EQ(twice, 0) << "pixels sent more than once, frame " << frame;
        EXPECT_EQ(missed, 0) << "changed tiles' pixels not sent, frame " << frame;
        EXPECT_EQ(extra, 0) << "pixels sent outside the changed tiles, frame " << frame;
    }
}

}  // namespace
