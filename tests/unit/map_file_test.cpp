// The custom map file: its bytes, the reader's token rules, and saves that
// never lose the user's map.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

#include "levels/builtin_levels.h"
#include "levels/level_grid.h"
#include "levels/map_file.h"
#include "platform/platform.h"
#include "tests/unit/fresh_directory.h"
#include "tests/unit/test_support.h"

namespace {

namespace fs = std::filesystem;

class MapFile : public InFreshDirectory {
protected:
    static std::vector<std::string> Lines(const std::string& text) {
        std::vector<std::string> lines;
        size_t at = 0;
        while (at < text.size()) {
            size_t end = text.find("\r\n", at);
            if (end == std::string::npos) {
                lines.push_back(text.substr(at));
                break;
            }
            lines.push_back(text.substr(at, end - at));
            at = end + 2;
        }
        return lines;
    }
};

}  // namespace

TEST_F(MapFile, TheBuiltInLevelsSaveAsTheDocumentedBytes) {
    SaveCustomMap();
    ASSERT_EQ(BoxTexts(), std::vector<std::string>({"地图保存成功！"}));
    EXPECT_EQ(Boxes[0].caption, "");
    EXPECT_EQ(Boxes[0].type, platform::MB_OK);
    std::string text = Read();
    EXPECT_EQ(text.size(), 29711u);
    std::vector<std::string> lines = Lines(text);
    ASSERT_EQ(lines.size(), 35u * 12u);
    std::string zeros;
    for (int i = 0; i < 15; ++i)
        zeros += "0  , ";
    EXPECT_EQ(lines[0], zeros);
    // Row 10 of level 1 holds the base: "10" takes one space before its comma.
    EXPECT_EQ(lines[10].substr(7 * 5, 5), "10 , ");
    for (int level = 0; level < 35; ++level) {
        for (int row = 0; row < 11; ++row) {
            const std::string& line = lines[level * 12 + row];
            if (level == 34 && row == 10)
                continue;
            EXPECT_EQ(line.size(), 75u) << level << "," << row;
            EXPECT_EQ(line.back(), ' ');
        }
        EXPECT_EQ(lines[level * 12 + 11], "") << level;
    }
    // The last value has no separator, and two line ends follow it.
    EXPECT_EQ(lines[34 * 12 + 10].size(), 71u);
    EXPECT_EQ(text.substr(text.size() - 5, 1), std::to_string(LevelSet.back()));
    EXPECT_EQ(text.substr(text.size() - 4), "\r\n\r\n");
}

TEST_F(MapFile, SaveThenLoadGivesBackEveryValue) {
    LevelSet[0] = 123;
    LevelSet[1] = -7;
    LevelSet[2] = 2147483647;
    LevelSet[3] = -2147483647 - 1;
    LevelSet[5774] = 55;
    std::vector<int32_t> saved = LevelSet;
    SaveCustomMap();
    std::string text = Read();
    EXPECT_EQ(text.substr(0, 20), "123 , -7  , 21474836");
    EXPECT_EQ(text.substr(text.size() - 6), "55\r\n\r\n");
    RestoreBuiltInLevels();
    LoadCustomMap();
    EXPECT_EQ(LevelSet, saved);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>({"地图保存成功！"}));
}

// A file that does not give all 5775 values is refused whole: the failure
// box, and not one cell changes.
TEST_F(MapFile, AFileWithoutEveryValueIsRefusedWhole) {
    std::string hundred;
    for (int k = 0; k < 100; ++k)
        hundred += "7 , ";
    const std::string valid = FormatLevelSet(std::vector<int32_t>(5775, 3));
    std::string stray = valid;
    stray[stray.find('3', stray.size() / 2)] = 'q';  // a letter where a digit stood
    const std::string twelves = FormatLevelSet(std::vector<int32_t>(5775, 12));
    const std::string cutInNumber = twelves.substr(0, twelves.find("12", twelves.size() / 2) + 1);
    std::string swallowed = valid;
    swallowed.replace(valid.find(" , "), 3, " ,");  // ",3" swallows the next value
    const std::string cases[] = {"",
                                 "hello world",
                                 hundred,
                                 valid.substr(0, valid.size() / 3),
                                 valid.substr(0, valid.size() - 9) + "1",
                                 cutInNumber,
                                 stray,
                                 swallowed,
                                 valid.substr(0, 40) + " 2147483648 , " + valid.substr(40)};
    for (const std::string& text : cases) {
        LevelSet[17] = 4242;
        const std::vector<int32_t> before = LevelSet;
        Boxes.clear();
        Write(text);
        EXPECT_FALSE(LoadCustomMap()) << text.substr(0, 60);
        EXPECT_EQ(LevelSet, before) << text.substr(0, 60);
        ASSERT_EQ(BoxTexts(), std::vector<std::string>({"载入地图失败！"})) << text.substr(0, 60);
        EXPECT_EQ(Boxes[0].type, platform::MB_OK | platform::MB_ICONWARNING);
    }
    // The last value may end the file without a line end.
    Write(valid.substr(0, valid.size() - 4));
    Boxes.clear();
    EXPECT_TRUE(LoadCustomMap());
    EXPECT_EQ(LevelSet, std::vector<int32_t>(5775, 3));
    EXPECT_TRUE(Boxes.empty());
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
    // So a whole level set that does this has a value too few.
    std::string text;
    for (int k = 0; k < 5775; ++k)
        text += k == 10 ? "5 ,5 , " : "5 , ";
    Write(text);
    Boxes.clear();
    EXPECT_FALSE(LoadCustomMap());
    EXPECT_EQ(LevelSet, BuiltInLevels());
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

TEST_F(MapFile, TextAfterTheLastValueIsIgnored) {
    std::string text;
    for (int k = 0; k < 5775; ++k)
        text += "9 , ";
    text += "and then some words 1 2 3";
    Write(text);
    EXPECT_TRUE(LoadCustomMap());
    for (int32_t v : LevelSet)
        ASSERT_EQ(v, 9);
    EXPECT_TRUE(Boxes.empty());
}

TEST_F(MapFile, AMissingFileIsReported) {
    LoadCustomMap();
    ASSERT_EQ(BoxTexts(), std::vector<std::string>({"载入地图失败！"}));
    EXPECT_EQ(Boxes[0].caption, "错误");
    EXPECT_EQ(Boxes[0].type, platform::MB_OK | platform::MB_ICONWARNING);
    EXPECT_EQ(LevelSet, BuiltInLevels());
}

TEST_F(MapFile, ADirectoryNamedLikeTheMapFailsBothWays) {
    fs::create_directory("map.txt");
    LoadCustomMap();
    SaveCustomMap();
    EXPECT_EQ(BoxTexts(), std::vector<std::string>({"载入地图失败！", "地图保存失败！"}));
    EXPECT_EQ(Boxes[1].caption, "错误");
    EXPECT_EQ(Boxes[1].type, platform::MB_OK | platform::MB_ICONWARNING);
    EXPECT_TRUE(fs::is_directory("map.txt"));
}

TEST_F(MapFile, AReadOnlyFileIsLeftAsItWas) {
    Write("old map");
    fs::permissions("map.txt",
                    fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    SaveCustomMap();
    EXPECT_EQ(BoxTexts(), std::vector<std::string>({"地图保存失败！"}));
    EXPECT_EQ(Read(), "old map");
    EXPECT_EQ(fs::directory_iterator(".")->path().filename(), "map.txt");
}

TEST_F(MapFile, ADirectoryThatCannotBeWrittenKeepsTheOldFile) {
    Write("old map");
    fs::permissions(".", fs::perms::owner_read | fs::perms::owner_exec);
    SaveCustomMap();
    EXPECT_EQ(BoxTexts(), std::vector<std::string>({"地图保存失败！"}));
    EXPECT_EQ(Read(), "old map");
}

TEST_F(MapFile, AFailedWriteLeavesTheOldFileWholeAndSaysSo) {
    Write("old map");
    // The child may write no more than 1000 bytes to any file.
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        signal(SIGXFSZ, SIG_IGN);
        rlimit limit{1000, 1000};
        setrlimit(RLIMIT_FSIZE, &limit);
        Boxes.clear();
        SaveCustomMap();
        bool reported = Boxes.size() == 1 && Boxes[0].text == "地图保存失败！";
        _exit(reported ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the failed save was not reported";
    EXPECT_EQ(Read(), "old map");
    int files = 0;
    for (const auto& entry : fs::directory_iterator(".")) {
        (void)entry;
        ++files;
    }
    EXPECT_EQ(files, 1) << "a half-written file was left behind";
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

TEST_F(MapFile, RandomFilesNeverBreakTheReader) {
    // Valid files, mangled files and noise: a load takes every cell from the
    // file or, with the failure box, none at all.
    std::mt19937 random(1234);
    const std::string valid = FormatLevelSet(BuiltInLevels());
    const char alphabet[] = "0123456789+- ,\t\r\n\v\fx;9";
    int refused = 0;
    for (int round = 0; round < 400; ++round) {
        std::string text;
        switch (round % 4) {
            case 0:  // noise from the reader's own characters
                for (int n = random() % 4000; n > 0; --n)
                    text += alphabet[random() % (sizeof alphabet - 1)];
                break;
            case 1:  // any bytes at all, NUL included
                for (int n = random() % 4000; n > 0; --n)
                    text += char(random() & 0xFF);
                break;
            case 2: {  // a valid file, cut and with bytes flipped
                text = valid.substr(0, valid.size() - random() % 64);
                for (int n = random() % 3; n > 0 && !text.empty(); --n)
                    text[random() % text.size()] = alphabet[random() % (sizeof alphabet - 1)];
                break;
            }
            default:  // long numbers and signs
                for (int n = random() % 300; n > 0; --n) {
                    text += (random() % 3 == 0 ? "-" : random() % 2 ? "+" : "");
                    for (int d = random() % 25; d >= 0; --d)
                        text += char('0' + random() % 10);
                    text += random() % 2 ? " , " : " ";
                }
        }
        Write(text);
        LevelSet[round % 5775] = 1000 + round;
        const std::vector<int32_t> before = LevelSet;
        std::vector<int32_t> values(5775, 0);
        const bool whole = ReadLevelValues(text, values) == values.size();
        const size_t boxes = Boxes.size();
        ASSERT_EQ(LoadCustomMap(), whole) << "round " << round;
        ASSERT_EQ(LevelSet, whole ? values : before) << "round " << round;
        ASSERT_EQ(Boxes.size(), boxes + (whole ? 0 : 1)) << "round " << round;
        refused += whole ? 0 : 1;
    }
    // Both outcomes were met.
    EXPECT_GT(refused, 0);
    EXPECT_LT(refused, 400);
}
