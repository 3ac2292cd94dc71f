// The records file against kills: a write killed at any moment leaves the old
// file or the new one, whole, and what is left always reads.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>

#include "options/records_file.h"
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

class RecordsWrite : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/morvask-records-write-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
        path = (folder / "records.txt").string();
        ASSERT_TRUE(SaveRecordsFile(path, AfterGames(0)));
    }
    void TearDown() override { fs::remove_all(folder); }

    // The records the file holds; fails the test when it does not read.
    RecordsRecord Held() const {
        RecordsRecord records;
        std::string problem;
        EXPECT_EQ(LoadRecordsFile(path, records, problem), RecordsFileRead) << problem;
        return records;
    }

    fs::path folder;
    std::string path;
};

}  // namespace

TEST_F(RecordsWrite, AKillAtEverySystemCallOfAWriteLeavesTheOldRecordsOrTheNew) {
    bool sawOld = false;
    bool sawNew = false;
    for (int stop = 1;; ++stop) {
        fs::remove_all(folder);
        fs::create_directory(folder);
        ASSERT_TRUE(SaveRecordsFile(path, AfterGames(0)));
        bool succeeded = false;
        const KillOutcome outcome = KillAtSystemCall(
            stop, [&] { return SaveRecordsFile(path, AfterGames(1)); }, succeeded);
        if (outcome == CannotTrace) {
            GTEST_SKIP() << "cannot trace a child process here";
        }
        const RecordsRecord held = Held();
        ASSERT_TRUE(held == AfterGames(0) || held == AfterGames(1)) << "torn after stop " << stop;
        sawOld = sawOld || held == AfterGames(0);
        sawNew = sawNew || held == AfterGames(1);
        if (outcome == EndedBefore) {
            EXPECT_TRUE(succeeded);
            EXPECT_EQ(held, AfterGames(1));
            break;
        }
        ASSERT_LT(stop, 10000) << "the write does not end";
    }
    EXPECT_TRUE(sawOld);
    EXPECT_TRUE(sawNew);
}

TEST_F(RecordsWrite, RandomKillsOfAGameWritingOverAndOverLoseNothing) {
    // Each write records one game more; the game is killed after a random
    // while, over and over, and the file always holds one whole write.
    std::mt19937 random(31);
    int32_t last = 0;
    for (int round = 0; round < 120; ++round) {
        KillAfter(useconds_t(random() % 15000), [&] {
            for (int32_t games = last + 1;; ++games)
                SaveRecordsFile(path, AfterGames(games));
        });
        const RecordsRecord held = Held();
        ASSERT_GE(held.gamesPlayed, last) << "round " << round;
        ASSERT_EQ(held, AfterGames(held.gamesPlayed)) << "torn after round " << round;
        last = held.gamesPlayed;
    }
    EXPECT_GT(last, 0);
}
