// The custom map file: its bytes, the reader's token rules, and saves that
// never lose the user's map.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

#include "levels/builtin_levels.h"
#include "levels/level_grid.h"
#include "levels/map_file.h"
#include "platform/platform.h"
#include "tests/unit/fresh_directory.h"
#include "tests/unit/test_support.h"

namespace {

namespace fs = std::filesystem;

using MapFile = InFreshDirectory;

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    for (size_t at = 0, end; at < text.size(); at = end + 2) {
        end = std::min(text.find("\r\n", at), text.size());
        lines.push_back(text.substr(at, end - at));
    }
    return lines;
}

}  // namespace

TEST_F(MapFile, ASaveWritesTheDocumentedBytesAndLoadsBackEveryValue) {
    LevelSet[0] = 123;
    LevelSet[1] = -7;
    LevelSet[2] = 2147483647;
    LevelSet[3] = -2147483647 - 1;
    LevelSet[5774] = 55;
    const std::vector<int32_t> saved = LevelSet;
    SaveCustomMap();
    ASSERT_EQ(BoxTexts(), std::vector<std::string>({"地图保存成功！"}));
    EXPECT_EQ(Boxes[0].caption, "");
    EXPECT_EQ(Boxes[0].type, platform::MB_OK);
    const std::string text = Read();
    // A value below 10 takes two blanks before its comma, any other one.
    EXPECT_EQ(text.substr(0, 45), "123 , -7  , 2147483647 , -2147483648  , 0  , ");
    const std::vector<std::string> lines = Lines(text);
    ASSERT_EQ(lines.size(), 35u * 12u);
    // Row 10 of level 1 holds the base.
    EXPECT_EQ(lines[10].substr(7 * 5, 5), "10 , ");
    // Every row of small values is 75 characters, and a blank line ends
    // every level.
    for (int level = 0; level < 35; ++level) {
        for (int row = level == 0 ? 1 : 0; row < (level == 34 ? 10 : 11); ++row)
            EXPECT_EQ(lines[size_t(level * 12 + row)].size(), 75u) << level << "," << row;
        EXPECT_EQ(lines[size_t(level * 12 + 11)], "") << level;
    }
    // The last value has no separator, and two line ends follow it.
    EXPECT_EQ(lines[34 * 12 + 10].size(), 72u);
    EXPECT_EQ(text.substr(text.size() - 6), "55\r\n\r\n");
    RestoreBuiltInLevels();
    LoadCustomMap();
    EXPECT_EQ(LevelSet, saved);
    EXPECT_EQ(Boxes.size(), 1u);
}

// A file that does not give all 5775 values is refused whole: the failure
// box, and not one cell changes. (Files of words, cut short, cut in a number
// or with a stray letter: the map_refused_* scenarios.)
TEST_F(MapFile, AFileWithoutEveryValueIsRefusedWhole) {
    std::string hundred;
    for (int k = 0; k < 100; ++k)
        hundred += "7 , ";
    const std::string valid = FormatLevelSet(std::vector<int32_t>(5775, 3));
    std::string swallowed = valid;
    swallowed.replace(valid.find(" , "), 3, " ,");  // ",3" swallows the next value
    const std::string cases[] = {"", hundred,
                                 // the last value joined to the one before it
                                 valid.substr(0, valid.size() - 9) + "1", swallowed,
                                 valid.substr(0, 40) + " 2147483648 , " + valid.substr(40)};
    for (const std::string& text : cases) {
        LevelSet[17] = 4242;
        const std::vector<int32_t> before = LevelSet;
        Boxes.clear();
        Write(text);
        EXPECT_FALSE(LoadCustomMap()) << text.substr(0, 60);
        EXPECT_EQ(LevelSet, before) << text.substr(0, 60);
        EXPECT_EQ(BoxTexts(), std::vector<std::string>({"载入地图失败！"})) << text.substr(0, 60);
    }
    // The last value may end the file without a line end, and text after it
    // is not examined.
    for (const std::string& text :
         {valid.substr(0, valid.size() - 4), valid + "and then some words 1 2 ,, x"}) {
        Write(text);
        Boxes.clear();
        EXPECT_TRUE(LoadCustomMap());
        EXPECT_EQ(LevelSet, std::vector<int32_t>(5775, 3));
        EXPECT_TRUE(Boxes.empty());
        LevelSet[0] = 0;
    }
}

TEST_F(MapFile, NumbersAndSeparatorsMustAlternate) {
    std::vector<int32_t> values(6, -1);
    // With blanks alone, every second number is taken as a separator.
    EXPECT_EQ(ReadLevelValues("1 2 3 4 5 6", values), 3u);
    EXPECT_EQ(values, std::vector<int32_t>({1, 3, 5, -1, -1, -1}));
    // A separator written against the next number swallows it.
    values.assign(6, -1);
    EXPECT_EQ(ReadLevelValues("+4 ,9 8\t;\n-0 x 12", values), 4u);
    EXPECT_EQ(values, std::vector<int32_t>({4, 8, 0, 12, -1, -1}));
}

TEST_F(MapFile, TheFirstFailedReadStopsTheReader) {
    for (const char* bad : {"5 , x , 6 , 7", "5 , 99999999999 , 6", "5 , 2147483648 , 6",
                            "5 , - , 6", "5 , +", "5"}) {
        std::vector<int32_t> values(4, -1);
        EXPECT_EQ(ReadLevelValues(bad, values), 1u) << bad;
        EXPECT_EQ(values, std::vector<int32_t>({5, -1, -1, -1})) << bad;
        EXPECT_FALSE(ReadLevelSetText(bad, values));
        EXPECT_EQ(values, std::vector<int32_t>({5, -1, -1, -1})) << bad;
    }
    // The smallest value fits.
    std::vector<int32_t> values(2, 0);
    EXPECT_TRUE(ReadLevelSetText("-2147483648 , 1", values));
    EXPECT_EQ(values, std::vector<int32_t>({-2147483647 - 1, 1}));
}

// A save that cannot replace the map says so and leaves what was there.
TEST_F(MapFile, ASaveThatCannotReplaceTheMapLeavesItAsItWas) {
    const std::function<void()> obstacles[] = {
        [] { fs::create_directory("map.txt"); },
        [] {
            Write("old map");
            fs::permissions("map.txt", fs::perms::owner_read | fs::perms::group_read);
        },
        [] {
            Write("old map");
            fs::permissions(".", fs::perms::owner_read | fs::perms::owner_exec);
        },
    };
    for (const auto& obstacle : obstacles) {
        obstacle();
        Boxes.clear();
        EXPECT_FALSE(SaveCustomMap());
        ASSERT_EQ(BoxTexts(), std::vector<std::string>({"地图保存失败！"}));
        EXPECT_EQ(Boxes[0].caption, "错误");
        EXPECT_EQ(Boxes[0].type, platform::MB_OK | platform::MB_ICONWARNING);
        EXPECT_TRUE(fs::is_directory("map.txt") || Read() == "old map");
        EXPECT_EQ(std::distance(fs::directory_iterator("."), {}), 1);
        fs::permissions(".", fs::perms::owner_all);
        fs::remove_all("map.txt");
    }
}

TEST_F(MapFile, AFailedWriteLeavesTheOldFileWholeAndSaysSo) {
    Write("old map");
    EXPECT_TRUE(InChildWritingLittle([] {
        Boxes.clear();
        SaveCustomMap();
        return Boxes.size() == 1 && Boxes[0].text == "地图保存失败！";
    })) << "the failed save was not reported";
    EXPECT_EQ(Read(), "old map");
    // The map as it was is kept first, whole; the failed write left nothing.
    EXPECT_EQ(Read("map.txt.1"), "old map");
    EXPECT_EQ(std::distance(fs::directory_iterator("."), {}), 2)
        << "a half-written file was left behind";
}

TEST_F(MapFile, ASaveReplacesTheOldFileAndKeepsItsPermissions) {
    Write(std::string(50000, 'x'));
    fs::permissions("map.txt",
                    fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    SaveCustomMap();
    EXPECT_EQ(Read().size(), 29711u);
    EXPECT_EQ(fs::status("map.txt").permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    // Saving never changes the level set.
    EXPECT_EQ(LevelSet, BuiltInLevels());
}
