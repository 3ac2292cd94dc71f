// The records file against kills: a game writing its records over and over,
// killed at random moments, always leaves one whole write that reads.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>

#include "options/records_file.h"
#include "tests/unit/fresh_directory.h"
#include "tests/unit/kill_harness.h"

namespace {

namespace fs = std::filesystem;

// Records with `games` games played and every level cleared in some ticks.
RecordsRecord AfterGames(int32_t games) {
    RecordsRecord records;
    records.highestLevel = LevelCount;
    records.gamesPlayed = games;
    for (int32_t level = 0; level < LevelCount; ++level)
        records.levels[level] = {.bestTicks = 1000 + level * 37 + games, .fewestLost = games % 4};
    return records;
}

using RecordsWrite = InTempFolder;

}  // namespace

TEST_F(RecordsWrite, RandomKillsOfAGameWritingOverAndOverLoseNothing) {
    const std::string path = (folder / "records.txt").string();
    ASSERT_TRUE(SaveRecordsFile(path, AfterGames(0)));
    // Each write records one game more. A save killed midway leaves its
    // temporary file beside the records: so the kills are seen to land
    // inside saves, not only between them.
    std::mt19937 random(31);
    int32_t last = 0;
    size_t files = 1;
    int killedMidway = 0;
    for (int round = 0; round < 120; ++round) {
        KillAfter(useconds_t(random() % 15000), [&] {
            for (int32_t games = last + 1;; ++games)
                SaveRecordsFile(path, AfterGames(games));
        });
        RecordsRecord held;
        std::string problem;
        ASSERT_EQ(LoadRecordsFile(path, held, problem), RecordsFileRead) << problem;
        ASSERT_GE(held.gamesPlayed, last) << "round " << round;
        ASSERT_EQ(held, AfterGames(held.gamesPlayed)) << "torn after round " << round;
        last = held.gamesPlayed;
        const size_t now = size_t(std::distance(fs::directory_iterator(folder), {}));
        killedMidway += now > files;
        files = now;
    }
    EXPECT_GT(last, 0);
    EXPECT_GT(killedMidway, 0);
}
