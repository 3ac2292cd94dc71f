// The records file read strictly and written back the same, and the watch
// that keeps the records: a level cleared, the highest level reached, games
// ended, and nothing from the player's own map or a try-out. (Nothing from
// the Z keys: the records_not_after_z scenario.)
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "battle/level_start.h"
#include "editor/commands.h"
#include "levels/builtin_levels.h"
#include "levels/level_grid.h"
#include "options/records_file.h"
#include "platform/headless/headless.h"
#include "shell/records.h"
#include "state/program_state.h"
#include "tests/unit/test_support.h"

namespace {

RecordsRecord Sample() {
    RecordsRecord records;
    records.highestLevel = 35;
    records.gamesPlayed = 2147483647;
    records.gamesWon = 12;
    records.levels[0] = {.bestTicks = 1, .fewestLost = 0};
    records.levels[17] = {.bestTicks = 2147483647, .fewestLost = MaxRecordedTanksLost};
    records.levels[34] = {.bestTicks = 4242, .fewestLost = 3};
    return records;
}

RecordsRecord ReachedLevelOne() {
    RecordsRecord records;
    records.highestLevel = 1;
    return records;
}

// Brings the level in play to its end: its last enemy gone a tick ago.
void ClearTheLevel() {
    BattleState.EnemiesToSpawn = 0;
    BattleState.LevelClearDelay = 1;
    Ticks(2);
}

}  // namespace

TEST(RecordsFile, WhatIsWrittenReadsBackTheSame) {
    const RecordsRecord records = Sample();
    RecordsRecord read;
    std::string problem;
    ASSERT_TRUE(ParseRecords(FormatRecords(records), read, problem)) << problem;
    EXPECT_EQ(read, records);
    ASSERT_TRUE(ParseRecords(FormatRecords(RecordsRecord{}), read, problem)) << problem;
    EXPECT_EQ(read, RecordsRecord{});
    // Comments, blanks, Windows line ends and any order of the lines.
    ASSERT_TRUE(
        ParseRecords("\r\n# mine\r\n  records = 1 \r\nlevel = 2 ,  10,0\r\n"
                     "games_won=1\r\nhighest_level = 2\r\ngames_played = 1",
                     read, problem))
        << problem;
    EXPECT_EQ(read.levels[1], (LevelRecordEntry{.bestTicks = 10, .fewestLost = 0}));
    EXPECT_EQ(read.gamesWon, 1);
}

TEST(RecordsFile, AFileThatIsNotWholeAndRightIsRefusedAndChangesNothing) {
    const std::string head = "records = 1\nhighest_level = 5\ngames_played = 3\n";
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"", "the file says no \"records = 1\" line"},
        {"hello world\n", "line 1: expected \"key = value\""},
        {"records = 2\n", "line 1: the file does not start with \"records = 1\""},
        {"highest_level = 1\nrecords = 1\n", "line 1: the file does not start"},
        {head + "highest_level = 4\n", "line 4: highest_level is given twice"},
        {head + "colour = red\n", "line 4: unknown key 'colour'"},
        {"records = 1\nhighest_level = 36\n", "line 2: highest_level is not a number from 0 to 35"},
        {"records = 1\ngames_played = -1\n", "line 2: games_played is not a number"},
        {"records = 1\ngames_played = +1\n", "line 2: games_played is not a number"},
        {"records = 1\ngames_played = 2147483648\n", "line 2: games_played is not a number"},
        {"records = 1\ngames_played = 99999999999\n", "line 2: games_played is not a number"},
        {head + "level = 0, 5, 0\n", "line 4: no level 0"},
        {head + "level = 36, 5, 0\n", "line 4: no level 36"},
        {head + "level = 2, 5\n", "line 4: a level line is"},
        {head + "level = 2, 0, 0\n", "line 4: the ticks of level 2"},
        {head + "level = 2, 5, 1000\n", "line 4: the tanks lost on level 2"},
        {head + "level = 2, 5, 0, 9\n", "line 4: the tanks lost on level 2"},
        {head + "level = 2, 5, 0\nlevel = 2, 6, 0\n", "line 5: level 2 is given twice"},
        {head + "level = 6, 5, 0\n", "the file says level 6 is cleared beyond the highest"},
        {head + "games_won = 4\n", "the file says more games won than played"},
    };
    for (const auto& [text, why] : cases) {
        RecordsRecord records = Sample();
        std::string problem;
        EXPECT_FALSE(ParseRecords(text, records, problem)) << text;
        EXPECT_EQ(problem.rfind(why, 0), 0u) << text << "\n  said: " << problem;
        EXPECT_EQ(records, Sample()) << text;
    }
}

class RecordsWatch : public ::testing::Test {
protected:
    void SetUp() override {
        StartGame(5);
        // StartGame resets everything: keep the records again, then look.
        KeepRecordsInMemory(RecordsRecord{});
        Ticks(1);
    }
};

TEST_F(RecordsWatch, AClearedLevelRecordsItsTimeAndTanksAndTheNextLevel) {
    EXPECT_EQ(CurrentRecords().highestLevel, 1);
    Ticks(40);
    Players[0].lives -= 1;  // a tank lost on the way
    ClearTheLevel();
    ASSERT_EQ(BattleState.LevelIndex, 1);
    const RecordsRecord& records = CurrentRecords();
    // The ticks of play from the level's start to the one that ended it: 1,
    // 40, and the tick whose step cleared it (the next one only announces it).
    EXPECT_EQ(records.levels[0].bestTicks, 42);
    EXPECT_EQ(records.levels[0].fewestLost, 1);
    EXPECT_EQ(records.highestLevel, 2);
    EXPECT_EQ(records.gamesPlayed, 0);
    // A slower clear with no tank lost keeps the best time, betters the tanks.
    BattleState.LevelIndex = 0;
    StartLevel();
    Ticks(100);
    ClearTheLevel();
    EXPECT_EQ(CurrentRecords().levels[0].bestTicks, 42);
    EXPECT_EQ(CurrentRecords().levels[0].fewestLost, 0);
}

TEST_F(RecordsWatch, AGameEndsAsPlayedOrWon) {
    BattleState.GameOverDelay = 1;
    Ticks(2);
    EXPECT_EQ(CurrentRecords().gamesPlayed, 1);
    EXPECT_EQ(CurrentRecords().gamesWon, 0);
    // The last level cleared wins the game (reached with the continue's
    // fresh game, not the Z keys).
    BattleState.LevelIndex = LevelCount - 1;
    GamesStarted += 1;
    StartLevel();
    Ticks(1);
    ClearTheLevel();
    Ticks(1);
    EXPECT_EQ(CurrentRecords().highestLevel, LevelCount);
    EXPECT_EQ(CurrentRecords().gamesPlayed, 2);
    EXPECT_EQ(CurrentRecords().gamesWon, 1);
}

TEST_F(RecordsWatch, ThePlayersOwnLevelsAndATryOutRecordNothing) {
    LevelSet[LevelSetSize - 1] += 1;
    StartNewGame();
    Ticks(1);
    ClearTheLevel();
    EXPECT_EQ(CurrentRecords(), ReachedLevelOne());
    RestoreBuiltInLevels();
    // A try-out in the editor of the built-in levels.
    headless::SetBoxAnswerer([](const char*, const char*, uint32_t type) {
        return (type & 0xF) == platform::MB_YESNO ? platform::IDYES : platform::IDOK;
    });
    headless::Deliver(platform::WM_KEYDOWN, platform::VK_F1, 0);
    RestoreBuiltInLevels();
    headless::Deliver(platform::WM_KEYDOWN, platform::VK_F5, 0);
    ASSERT_TRUE(TryingLevel());
    Ticks(1);
    ClearTheLevel();
    EXPECT_FALSE(TryingLevel());
    EXPECT_EQ(CurrentRecords(), ReachedLevelOne());
}
