// The program's icons: the Windows icon's eleven images and the square RGBA
// pictures of the desktop menus.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "tests/unit/asset_files.h"

using namespace asset_files;

TEST(AssetIcon, DirectoryListsElevenImages) {
    Bytes ico = ReadAsset("morvask.ico");
    ASSERT_GE(ico.size(), 6u + 11 * 16);
    EXPECT_EQ(U16(ico, 0), 0u);
    EXPECT_EQ(U16(ico, 2), 1u);
    ASSERT_EQ(U16(ico, 4), 11u);
    struct Entry {
        int size, bits;
    };
    const Entry expected[11] = {{48, 4},   {32, 4},  {16, 4},  {48, 8},  {32, 8}, {16, 8},
                                {256, 32}, {96, 32}, {48, 32}, {32, 32}, {16, 32}};
    for (int i = 0; i < 11; ++i) {
        size_t e = 6 + 16 * size_t(i);
        int size = ico[e] == 0 ? 256 : ico[e];
        EXPECT_EQ(size, expected[i].size) << i;
        EXPECT_EQ(ico[e + 1] == 0 ? 256 : ico[e + 1], expected[i].size) << i;
        EXPECT_EQ(int(U16(ico, e + 6)), expected[i].bits) << i;
        EXPECT_EQ(ico[e + 2], expected[i].bits == 4 ? 16 : 0) << i;
        uint32_t bytes = U32(ico, e + 8), offset = U32(ico, e + 12);
        ASSERT_LE(size_t(offset) + bytes, ico.size()) << i;
        if (expected[i].size == 256) {
            const uint8_t png[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
            EXPECT_TRUE(std::equal(png, png + 8, ico.begin() + offset)) << "256 is stored as PNG";
        } else {
            EXPECT_EQ(U32(ico, offset), 40u) << i;
            EXPECT_EQ(int(U32(ico, offset + 4)), expected[i].size) << i;
            EXPECT_EQ(int(U32(ico, offset + 8)), 2 * expected[i].size) << i;
            EXPECT_EQ(int(U16(ico, offset + 14)), expected[i].bits) << i;
            size_t colourRow = ((size_t(expected[i].size) * expected[i].bits + 31) / 32) * 4;
            size_t maskRow = ((size_t(expected[i].size) + 31) / 32) * 4;
            size_t palette = expected[i].bits <= 8 ? (size_t(4) << expected[i].bits) : 0;
            EXPECT_EQ(bytes, 40 + palette + (colourRow + maskRow) * expected[i].size) << i;
        }
    }
}

TEST(AssetIcon, PngFilesAreSquareRgba) {
    for (int size : {16, 24, 32, 48, 96, 128, 256}) {
        Bytes png = ReadAsset("icon-" + std::to_string(size) + ".png");
        ASSERT_GE(png.size(), 33u) << size;
        EXPECT_EQ(png[0], 0x89) << size;
        EXPECT_EQ(std::string(png.begin() + 12, png.begin() + 16), "IHDR") << size;
        auto be32 = [&](size_t at) {
            return png[at] << 24 | png[at + 1] << 16 | png[at + 2] << 8 | png[at + 3];
        };
        EXPECT_EQ(be32(16), size);
        EXPECT_EQ(be32(20), size);
        EXPECT_EQ(png[24], 8) << size;  // bits per channel
        EXPECT_EQ(png[25], 6) << size;  // RGBA
    }
}
