// The smooth pass's fast path (vector mixes, rows reused, only the changed
// tiles redrawn) against a plain pixel-by-pixel scaling of the same taps.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "platform/shared/changed_tiles.h"
#include "platform/shared/frame_scale.h"

namespace {

using shared::SmoothTap;

constexpr uint32_t Untouched = 0x5A5A5A5Au;

uint32_t MixBytes(uint32_t a, uint32_t b, int weight) {
    uint32_t mixed = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const uint32_t x = a >> shift & 0xFF, y = b >> shift & 0xFF;
        mixed |= ((x * uint32_t(256 - weight) + y * uint32_t(weight)) >> 8) << shift;
    }
    return mixed;
}

struct Frame {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;
    uint32_t at(int column, int row) const { return pixels[size_t(row * width + column)]; }
};

// Where and how the frame is shown: the rectangle may reach past the output.
struct Shown {
    int outWidth = 0, outHeight = 0;
    int x = 0, y = 0, width = 0, height = 0, whole = 1;
    bool dim = false;
    uint32_t alpha = 0;
};

// Each frame row across first, then the two rows down, as the taps say.
uint32_t ReferencePixel(const Frame& frame, const Shown& s, int dx, int dy) {
    const SmoothTap across = shared::SmoothTapOf(dx, s.width, frame.width, s.whole);
    const SmoothTap down = shared::SmoothTapOf(dy, s.height, frame.height, s.whole);
    auto rowAt = [&](int row) {
        const uint32_t a = frame.at(across.from, row);
        return across.weight ? MixBytes(a, frame.at(across.from + 1, row), across.weight) : a;
    };
    uint32_t pixel = rowAt(down.from);
    if (down.weight)
        pixel = MixBytes(pixel, rowAt(down.from + 1), down.weight);
    if (s.dim)
        pixel = pixel >> 1 & 0x7F7F7F;
    return pixel | s.alpha;
}

std::vector<uint32_t> Reference(const Frame& frame, const Shown& s) {
    std::vector<uint32_t> out(size_t(s.outWidth) * size_t(s.outHeight), Untouched);
    for (int dy = 0; dy < s.height; ++dy)
        for (int dx = 0; dx < s.width; ++dx) {
            const int ox = s.x + dx, oy = s.y + dy;
            if (ox >= 0 && ox < s.outWidth && oy >= 0 && oy < s.outHeight)
                out[size_t(oy * s.outWidth + ox)] = ReferencePixel(frame, s, dx, dy);
        }
    return out;
}

Frame RandomFrame(std::mt19937& random, int width, int height) {
    Frame frame{width, height, std::vector<uint32_t>(size_t(width) * size_t(height))};
    for (uint32_t& pixel : frame.pixels)
        pixel = random() & 0xFFFFFF;
    return frame;
}

// A size and a place for a frame, at a factor from a third to five, now and
// then partly outside the output.
Shown RandomShown(std::mt19937& random, const Frame& frame) {
    Shown s;
    const double factor = std::uniform_real_distribution<double>(0.3, 5.0)(random);
    s.width = std::max(1, int(std::lround(frame.width * factor)));
    s.height = std::max(1, int(std::lround(frame.height * factor)));
    s.whole = std::uniform_int_distribution<int>(1, 5)(random);
    s.outWidth = s.width + int(random() % 40);
    s.outHeight = s.height + int(random() % 40);
    s.x = int(random() % 50) - 10;
    s.y = int(random() % 50) - 10;
    s.alpha = random() % 3 == 0 ? 0xFF000000u : 0;
    return s;
}

int Differences(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b) {
    int count = 0;
    for (size_t i = 0; i < a.size(); ++i)
        count += a[i] != b[i];
    return count;
}

void ScaleWhole(const Frame& frame, const Shown& s, std::vector<uint32_t>& out) {
    shared::ScaleFrameSmooth({frame.pixels.data(), frame.width, frame.height, frame.width},
                               {out.data(), s.outWidth, s.outHeight, s.outWidth}, s.x, s.y, s.width,
                               s.height, s.whole, s.dim, s.alpha);
}

TEST(SharpScale, AWholeFrameIsThePixelByPixelScalingAtEveryFactorAndSize) {
    std::mt19937 random(11);
    for (int round = 0; round < 300; ++round) {
        const Frame frame = RandomFrame(random, 1 + int(random() % 45), 1 + int(random() % 33));
        Shown s = RandomShown(random, frame);
        s.dim = random() % 4 == 0;
        std::vector<uint32_t> out(size_t(s.outWidth) * size_t(s.outHeight), Untouched);
        ScaleWhole(frame, s, out);
        ASSERT_EQ(Differences(out, Reference(frame, s)), 0)
            << frame.width << "x" << frame.height << " to " << s.width << "x" << s.height << " at "
            << s.x << "," << s.y << " whole " << s.whole << " dim " << s.dim;
    }
}

TEST(SharpScale, TheFieldAtTheSharpSizesOfCommonScreensIsThePixelByPixelScaling) {
    std::mt19937 random(5);
    const Frame frame = RandomFrame(random, 960, 704);
    const Shown sizes[] = {{1920, 1080, 223, 0, 1473, 1080, 2, false, 0xFF000000u},
                           {2400, 1760, 0, 0, 2400, 1760, 3, false, 0},
                           {853, 626, 0, 0, 853, 626, 1, true, 0}};
    for (const Shown& s : sizes) {
        std::vector<uint32_t> out(size_t(s.outWidth) * size_t(s.outHeight), Untouched);
        ScaleWhole(frame, s, out);
        EXPECT_EQ(Differences(out, Reference(frame, s)), 0) << s.width << "x" << s.height;
    }
}

// A frame changed only inside random tiles, redrawn by its changed tiles
// over the picture of the frame before: the result is the new frame's
// picture, and nothing outside the rectangles said to be written changes.
void CheckChangedTiles(std::mt19937& random, Frame& frame, const Shown& s) {
    std::vector<uint32_t> out = Reference(frame, s);
    const std::vector<uint32_t> before = out;
    shared::ChangedTiles tiles;
    shared::ResetChangedTiles(tiles, frame.width, frame.height);
    const int marks = 1 + int(random() % 6);
    for (int m = 0; m < marks; ++m) {
        const platform::Rect r{int(random() % uint32_t(frame.width + 8)) - 4,
                               int(random() % uint32_t(frame.height + 8)) - 4,
                               1 + int(random() % 20), 1 + int(random() % 20)};
        shared::MarkChanged(tiles, r);
        for (int row = std::max(r.y, 0); row < std::min(r.y + r.height, frame.height); ++row)
            for (int column = std::max(r.x, 0); column < std::min(r.x + r.width, frame.width);
                 ++column)
                frame.pixels[size_t(row * frame.width + column)] = random() & 0xFFFFFF;
    }
    std::vector<platform::Rect> rects;
    shared::TakeChangedRects(tiles, rects);
    std::vector<bool> said(out.size(), false);
    for (const platform::Rect& r : rects) {
        const shared::OutputRect part = shared::ScaleFrameSmoothPart(
            {frame.pixels.data(), frame.width, frame.height, frame.width},
            {out.data(), s.outWidth, s.outHeight, s.outWidth}, s.x, s.y, s.width, s.height, s.whole,
            s.alpha, r.x, r.y, r.width, r.height);
        for (int row = part.y; row < part.y + part.height; ++row)
            for (int column = part.x; column < part.x + part.width; ++column)
                said[size_t(row * s.outWidth + column)] = true;
    }
    const std::vector<uint32_t> expected = Reference(frame, s);
    int wrong = 0, unsaid = 0;
    for (size_t i = 0; i < out.size(); ++i) {
        wrong += out[i] != expected[i];
        unsaid += !said[i] && out[i] != before[i];
    }
    ASSERT_EQ(wrong, 0) << frame.width << "x" << frame.height << " to " << s.width << "x"
                        << s.height << " at " << s.x << "," << s.y << " whole " << s.whole;
    ASSERT_EQ(unsaid, 0);
}

TEST(SharpScale, ChangedTilesRedrawnGiveTheNewFramesPictureAtEveryFactorAndSize) {
    std::mt19937 random(23);
    for (int round = 0; round < 300; ++round) {
        Frame frame = RandomFrame(random, 1 + int(random() % 70), 1 + int(random() % 50));
        const Shown s = RandomShown(random, frame);
        CheckChangedTiles(random, frame, s);
    }
}

TEST(SharpScale, ChangedTilesOfTheFieldAtTheSharpSizeOf1080pGiveTheNewFramesPicture) {
    std::mt19937 random(29);
    Frame frame = RandomFrame(random, 960, 704);
    for (int round = 0; round < 4; ++round)
        CheckChangedTiles(random, frame, {1920, 1080, 223, 0, 1473, 1080, 2, false, 0xFF000000u});
}

// Only the pixels whose taps read a changed frame pixel are rewritten: a
// part of the frame redrawn over a blank output leaves the rest blank.
TEST(SharpScale, APartWritesOnlyThePixelsThatReadIt) {
    std::mt19937 random(31);
    for (int round = 0; round < 200; ++round) {
        const Frame frame = RandomFrame(random, 2 + int(random() % 60), 2 + int(random() % 40));
        const Shown s = RandomShown(random, frame);
        const int fx = int(random() % uint32_t(frame.width)),
                  fy = int(random() % uint32_t(frame.height));
        const int fw = 1 + int(random() % 12), fh = 1 + int(random() % 12);
        std::vector<uint32_t> out(size_t(s.outWidth) * size_t(s.outHeight), Untouched);
        const shared::OutputRect part = shared::ScaleFrameSmoothPart(
            {frame.pixels.data(), frame.width, frame.height, frame.width},
            {out.data(), s.outWidth, s.outHeight, s.outWidth}, s.x, s.y, s.width, s.height, s.whole,
            s.alpha, fx, fy, fw, fh);
        const std::vector<uint32_t> expected = Reference(frame, s);
        int wrong = 0;
        for (int oy = 0; oy < s.outHeight; ++oy)
            for (int ox = 0; ox < s.outWidth; ++ox) {
                const size_t i = size_t(oy * s.outWidth + ox);
                const bool inside = ox >= part.x && ox < part.x + part.width && oy >= part.y &&
                                    oy < part.y + part.height;
                wrong += out[i] != (inside ? expected[i] : Untouched);
            }
        ASSERT_EQ(wrong, 0) << "round " << round;
    }
}

}  // namespace
