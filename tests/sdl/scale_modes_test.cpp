// The window's scale modes: where the field goes in each (whole multiples,
// any factor, sharp, auto's four-fifths rule, below 1x), the start size on
// a small work area, and the smooth pass against the nearest-neighbour one
// and against itself when only a part changed.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "platform/shared/frame_scale.h"
#include "platform/shared/window_layout.h"

namespace {

using shared::FieldShowing;
using shared::ShowField;

void ExpectPlace(const FieldShowing& s, int x, int y, int width, int height) {
    EXPECT_EQ(s.field.x, x);
    EXPECT_EQ(s.field.y, y);
    EXPECT_EQ(s.field.width, width);
    EXPECT_EQ(s.field.height, height);
}

TEST(ScaleModes, EachModePlacesTheFieldAsItSays) {
    // 1080p full screen: 1x with bars, or filling the height.
    FieldShowing s = ShowField(1920, 1080, host::ScaleInteger);
    ExpectPlace(s, 480, 188, 960, 704);
    EXPECT_FALSE(s.smooth);
    s = ShowField(1920, 1080, host::ScaleFit);
    ExpectPlace(s, 223, 0, 1473, 1080);
    EXPECT_FALSE(s.smooth);
    s = ShowField(1920, 1080, host::ScaleSharp);
    ExpectPlace(s, 223, 0, 1473, 1080);
    EXPECT_TRUE(s.smooth);
    EXPECT_EQ(s.whole, 2);
    // Sharp at 2.5x blends from the 3x picture; at an exact multiple it
    // needs no smoothing at all.
    s = ShowField(2400, 1760, host::ScaleSharp);
    ExpectPlace(s, 0, 0, 2400, 1760);
    EXPECT_TRUE(s.smooth);
    EXPECT_EQ(s.whole, 3);
    s = ShowField(1920, 1408, host::ScaleSharp);
    ExpectPlace(s, 0, 0, 1920, 1408);
    EXPECT_FALSE(s.smooth);
}

TEST(ScaleModes, AutoTakesWholeMultiplesOnlyWhereTheyFillFourFifths) {
    struct Case {
        int width, height;
        bool whole;
    } cases[] = {
        {960, 704, true},     // the window at 1x
        {1920, 1408, true},   // at 2x
        {1500, 800, true},    // 704 of 800 rows
        {1920, 1080, false},  // 704 of 1080 rows: sharp
        {3840, 2160, true},   // 3x, 2112 of 2160 rows
        {2560, 1440, true},   // 2x, 1408 of 1440 rows
        {2000, 880, true},    // the height limits: 704 is exactly four fifths of 880
        {2000, 881, false},
        {1200, 2000, true},  // the width limits: 960 is exactly four fifths of 1200
        {1201, 2000, false},
    };
    for (const Case& c : cases) {
        const FieldShowing s = ShowField(c.width, c.height, host::ScaleAuto);
        EXPECT_EQ(s.shownAs, c.whole ? host::ScaleInteger : host::ScaleSharp)
            << c.width << "x" << c.height;
        const FieldShowing same =
            ShowField(c.width, c.height, c.whole ? host::ScaleInteger : host::ScaleSharp);
        ExpectPlace(s, same.field.x, same.field.y, same.field.width, same.field.height);
        EXPECT_EQ(s.smooth, same.smooth);
    }
}

TEST(ScaleModes, BelowOneTimesTheFieldShrinksSmoothlyInEveryMode) {
    for (int mode = 0; mode < host::ScaleModeCount; ++mode) {
        FieldShowing s = ShowField(853, 626, host::ScaleMode(mode));
        ExpectPlace(s, 0, 0, 853, 626);
        EXPECT_TRUE(s.smooth);
        EXPECT_EQ(s.whole, 1);
        s = ShowField(480, 352, host::ScaleMode(mode));
        ExpectPlace(s, 0, 0, 480, 352);
    }
    EXPECT_EQ(ShowField(0, 600, host::ScaleAuto).field.width, 0);
}

TEST(ScaleModes, TheWindowOpensInsideASmallWorkArea) {
    int width = 0, height = 0;
    // A 1366 x 768 laptop with 72 rows of panels.
    shared::StartClient(1366, 696, 1, 0, width, height);
    EXPECT_LE(height, 696 * 9 / 10);
    EXPECT_EQ(width, height * 960 / 704);
    EXPECT_GE(height, 620);
    // Screens with room keep their whole multiples.
    shared::StartClient(1920, 1050, 1, 0, width, height);
    EXPECT_EQ(width * 10000 + height, 960 * 10000 + 704);
    shared::StartClient(2560, 1600, 1, 0, width, height);
    EXPECT_EQ(width * 10000 + height, 1920 * 10000 + 1408);
    // Never below half the field; a size asked for is the size.
    shared::StartClient(600, 300, 1, 0, width, height);
    EXPECT_EQ(width * 10000 + height, 480 * 10000 + 352);
    shared::StartClient(1366, 696, 1, 1, width, height);
    EXPECT_EQ(width * 10000 + height, 960 * 10000 + 704);
}

uint32_t Colour(int x, int y) {
    return uint32_t(x * 0x0B0705 + y * 0x030D11 + 0x202020) & 0xFFFFFF;
}

std::vector<uint32_t> Frame(int width, int height) {
    std::vector<uint32_t> frame(size_t(width * height));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            frame[size_t(y * width + x)] = Colour(x, y);
    return frame;
}

TEST(SmoothPass, BlendsOnlyNearTheEdgesBetweenFramePixels) {
    // At an exact multiple every output pixel is its frame pixel.
    for (int i = 0; i < 30; ++i) {
        const shared::SmoothTap tap = shared::SmoothTapOf(i, 30, 10, 3);
        EXPECT_EQ(tap.from, i / 3);
        EXPECT_EQ(tap.weight, 0);
    }
    // At 2.5x from the 2x picture, a frame pixel's inside stays its own
    // colour: at most two of its output pixels blend with a neighbour.
    std::vector<int> blended(40, 0), shown(40, 0);
    int lastFrom = 0;
    for (int i = 0; i < 100; ++i) {
        const shared::SmoothTap tap = shared::SmoothTapOf(i, 100, 40, 2);
        EXPECT_GE(tap.from, lastFrom);
        lastFrom = tap.from;
        ASSERT_GE(tap.from, 0);
        ASSERT_LT(tap.from, 40);
        ++(tap.weight == 0 ? shown : blended)[size_t(tap.from)];
    }
    for (int p = 0; p < 40; ++p) {
        EXPECT_LE(blended[size_t(p)], 2) << p;
        EXPECT_GE(shown[size_t(p)], 1) << p;
    }
    // With a whole factor of 1 it is a plain bilinear scaling: halfway.
    EXPECT_EQ(shared::SmoothTapOf(0, 5, 10, 1).from, 0);
    EXPECT_EQ(shared::SmoothTapOf(0, 5, 10, 1).weight, 128);
    EXPECT_EQ(shared::SmoothTapOf(1, 10, 5, 1).from, 0);
    EXPECT_EQ(shared::SmoothTapOf(1, 10, 5, 1).weight, 64);
}

TEST(SmoothPass, AtAWholeMultipleItIsTheNearestNeighbourPicture) {
    const std::vector<uint32_t> frame = Frame(7, 5);
    std::vector<uint32_t> smooth(size_t(30 * 20), 0), nearest(size_t(30 * 20), 0);
    shared::ScaleFrameSmooth({frame.data(), 7, 5, 7}, {smooth.data(), 30, 20, 30}, 1, 2, 21, 15, 3,
                             false, 0);
    shared::ScaleFrame({frame.data(), 7, 5, 7}, {nearest.data(), 30, 20, 30}, 1, 2, 21, 15, false,
                       0);
    EXPECT_EQ(smooth, nearest);
}

TEST(SmoothPass, APartTakenAloneGivesWhatTheWholeFrameGives) {
    struct Case {
        int width, height, whole;
        bool dim;
    } cases[] = {{37, 27, 1, false}, {50, 37, 2, false}, {9, 7, 1, false}, {37, 27, 1, true}};
    for (const Case& c : cases) {
        std::vector<uint32_t> frame = Frame(20, 15);
        const shared::FramePixels pixels{frame.data(), 20, 15, 20};
        std::vector<uint32_t> parts(size_t(60 * 40), 0), whole(size_t(60 * 40), 0);
        const shared::OutputPixels out{parts.data(), 60, 40, 60};
        shared::ScaleFrameSmooth(pixels, out, 3, 2, c.width, c.height, c.whole, false, 0xFF000000u);
        // A sprite-sized change, told as its rectangle.
        for (int y = 4; y < 9; ++y)
            for (int x = 6; x < 10; ++x)
                frame[size_t(y * 20 + x)] = 0xFFFFFF - Colour(x, y);
        const shared::OutputRect written = shared::ScaleFrameSmoothPart(
            pixels, out, 3, 2, c.width, c.height, c.whole, 0xFF000000u, 6, 4, 4, 5);
        EXPECT_GT(written.width, 0);
        shared::ScaleFrameSmooth(pixels, {whole.data(), 60, 40, 60}, 3, 2, c.width, c.height,
                                 c.whole, false, 0xFF000000u);
        EXPECT_EQ(parts, whole) << c.width << "x" << c.height;
        if (c.dim) {
            shared::ScaleFrameSmooth(pixels, {whole.data(), 60, 40, 60}, 3, 2, c.width, c.height,
                                     c.whole, true, 0);
            for (int x = 3; x < 3 + c.width; ++x)
                EXPECT_EQ(whole[size_t(2 * 60 + x)] & 0x808080u, 0u);
        }
    }
}

TEST(SmoothPass, AnEvenColourStaysEven) {
    std::vector<uint32_t> frame(size_t(20 * 15), 0x3B4A2F);
    std::vector<uint32_t> out(size_t(60 * 40), 0);
    shared::ScaleFrameSmooth({frame.data(), 20, 15, 20}, {out.data(), 60, 40, 60}, 0, 0, 53, 39, 2,
                             false, 0);
    for (int y = 0; y < 39; ++y)
        for (int x = 0; x < 53; ++x)
            ASSERT_EQ(out[size_t(y * 60 + x)], 0x3B4A2Fu) << x << "," << y;
}

}  // namespace
