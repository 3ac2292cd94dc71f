// Pictures loaded from the resources are decoded when first drawn from, band
// by band, or in advance while a box is open, and come out exactly as decoding
// them whole; scaled to a load size they blend neighbouring pixels.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "platform/shared/resources.h"
#include "platform/shared/surfaces.h"

namespace {

std::vector<uint32_t> DecodedWhole(int resource, int width, int height) {
    shared::ResourceBytes bytes = shared::FindResource(resource);
    int w = 0, h = 0;
    std::vector<uint32_t> pixels;
    EXPECT_TRUE(shared::DecodeBitmap(bytes.data, bytes.size, w, h, pixels));
    if (w != width || h != height)
        pixels = shared::ScalePicture(pixels, w, h, width, height);
    return pixels;
}

}  // namespace

TEST(LazyPictures, ASheetIsDecodedOnlyWhereDrawnFromAndThenAsAWhole) {
    platform::Surface sheet = platform::LoadBitmapSurface(nullptr, 115, 256, 10240);
    platform::Surface target = shared::NewSurface(64, 64);
    // One sprite of the band of rows 1280 to 1407: only that band is there.
    platform::SpriteBlt(target, 0, 0, 64, 64, sheet, 64, 1280);
    const std::vector<uint32_t> whole = DecodedWhole(115, 256, 10240);
    size_t nonBlackOutside = 0, wrongInside = 0;
    for (size_t i = 0; i < whole.size(); ++i) {
        size_t row = i / 256;
        if (row >= 1280 && row < 1408)
            wrongInside += sheet->pixels[i] != whole[i];
        else
            nonBlackOutside += sheet->pixels[i] != 0;
    }
    EXPECT_EQ(wrongInside, 0u);
    EXPECT_EQ(nonBlackOutside, 0u);
    // The sprite drawn is that of the whole sheet.
    platform::Surface eager = shared::NewSurface(256, 10240);
    std::copy(whole.begin(), whole.end(), eager->pixels.begin());
    platform::Surface expected = shared::NewSurface(64, 64);
    platform::SpriteBlt(expected, 0, 0, 64, 64, eager, 64, 1280);
    EXPECT_TRUE(target->pixels == expected->pixels);
    shared::ReadyPixels(sheet);
    EXPECT_TRUE(std::equal(whole.begin(), whole.end(), sheet->pixels.begin()));
}

TEST(LazyPictures, EveryPictureComesOutAsDecodedWhole) {
    struct Picture {
        int resource, width, height;
    };
    // The background is stretched to the field when it is loaded.
    for (Picture p : {Picture{114, 960, 704}, {117, 160, 400}, {124, 256, 896}, {125, 528, 132}}) {
        platform::Surface lazy =
            platform::LoadBitmapSurface(nullptr, p.resource, p.width, p.height);
        platform::Surface copy = shared::NewSurface(p.width, p.height);
        // A copy out of the middle decodes what it reads.
        platform::BitBlt(copy, 0, 0, p.width, p.height / 2, lazy, 0, p.height / 3,
                         platform::SRCCOPY);
        shared::ReadyPixels(lazy);
        const std::vector<uint32_t> whole = DecodedWhole(p.resource, p.width, p.height);
        EXPECT_TRUE(std::equal(whole.begin(), whole.end(), lazy->pixels.begin())) << p.resource;
        EXPECT_TRUE(std::equal(copy->pixels.begin(),
                               copy->pixels.begin() + p.width * (p.height / 2),
                               whole.begin() + p.width * (p.height / 3)))
            << p.resource;
    }
}

TEST(PixelMemory, RowsAreAlignedAndBuffersAQuarterPageApart) {
    std::vector<platform::Surface> surfaces;
    for (int k = 0; k < 3; ++k)
        surfaces.push_back(shared::NewSurface(960, 704));
    for (size_t a = 0; a < surfaces.size(); ++a) {
        uintptr_t at = reinterpret_cast<uintptr_t>(surfaces[a]->pixels.data());
        EXPECT_EQ(at % 64, 0u);
        // Never in the first quarter of a page, where malloc's blocks start.
        EXPECT_GE(at % 4096, 1024u);
        for (size_t b = a + 1; b < surfaces.size(); ++b) {
            uintptr_t other = reinterpret_cast<uintptr_t>(surfaces[b]->pixels.data());
            uintptr_t apart = (at - other) % 4096;
            EXPECT_GE(std::min(apart, 4096 - apart), 1024u) << a << " " << b;
        }
    }
}

// Sampled at pixel centres: a black-white pair doubled keeps both ends and
// blends a quarter and three quarters between; halving a fine checkerboard
// gives an even grey; each colour channel is blended on its own; the same
// size is a plain copy.
TEST(LazyPictures, ScalingBlendsNeighboursAtPixelCentres) {
    const std::vector<uint32_t> pair = {0x000000, 0xFFFFFF};
    EXPECT_EQ(shared::ScalePicture(pair, 2, 1, 4, 1),
              (std::vector<uint32_t>{0x000000, 0x404040, 0xBFBFBF, 0xFFFFFF}));
    EXPECT_EQ(shared::ScalePicture(pair, 1, 2, 1, 4),
              (std::vector<uint32_t>{0x000000, 0x404040, 0xBFBFBF, 0xFFFFFF}));

    std::vector<uint32_t> checker(16);
    for (int i = 0; i < 16; ++i)
        checker[i] = (i % 4 + i / 4) % 2 ? 0xFFFFFF : 0x000000;
    EXPECT_EQ(shared::ScalePicture(checker, 4, 4, 2, 2), std::vector<uint32_t>(4, 0x808080));

    const std::vector<uint32_t> redToBlue = {0xFF0000, 0x0000FF};
    EXPECT_EQ(shared::ScalePicture(redToBlue, 2, 1, 4, 1),
              (std::vector<uint32_t>{0xFF0000, 0xBF0040, 0x4000BF, 0x0000FF}));

    EXPECT_EQ(shared::ScalePicture(checker, 4, 4, 4, 4), checker);
}

// With time on its hands (a box open) the program decodes the pictures in
// advance, one a call, all but the large tank sheet, whose bands still wait
// for their tanks. (Which of their pages are in memory is measured by
// morvask-pixel-pages, see docs/performance.md: the kernel's answer depends
// on the machine's load, so it is not a test.)
TEST(LazyPictures, PicturesAreDecodedInAdvanceButTheTankSheetWaitsForItsBands) {
    platform::Surface background = platform::LoadBitmapSurface(nullptr, 114, 960, 704);
    platform::Surface tanks = platform::LoadBitmapSurface(nullptr, 115, 256, 10240);
    platform::Surface bullets = platform::LoadBitmapSurface(nullptr, 117, 160, 400);
    platform::Surface cells = platform::LoadBitmapSurface(nullptr, 124, 256, 896);
    for (platform::Surface s : {background, tanks, bullets, cells}) {
        EXPECT_NE(s->pendingResource, 0);
        EXPECT_EQ(s->bandsDecoded, 0);
    }
    // Other tests of the process may have left pictures waiting too.
    int calls = 0;
    while (shared::PrepareNextPicture() && calls < 100000)
        ++calls;
    EXPECT_GE(calls, 3);
    EXPECT_FALSE(shared::PrepareNextPicture());
    for (platform::Surface s : {background, bullets, cells}) {
        EXPECT_EQ(s->pendingResource, 0);
        EXPECT_EQ(size_t(s->bandsDecoded), s->bandReady.size());
    }
    const std::vector<uint32_t> whole = DecodedWhole(114, 960, 704);
    EXPECT_TRUE(std::equal(whole.begin(), whole.end(), background->pixels.begin()));
    EXPECT_NE(tanks->pendingResource, 0);
    EXPECT_EQ(tanks->bandsDecoded, 0);
    // Drawing one tank decodes its band alone.
    platform::Surface target = shared::NewSurface(64, 64);
    platform::SpriteBlt(target, 0, 0, 64, 64, tanks, 0, 2560);
    EXPECT_EQ(tanks->bandsDecoded, 1);
    EXPECT_TRUE(tanks->bandReady[2560 / shared::BandRows]);
}
