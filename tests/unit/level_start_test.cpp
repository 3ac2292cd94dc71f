// A new game and a level start put the battle into a known state.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "battle/frame_step.h"
#include "battle/level_start.h"
#include "levels/level_grid.h"
#include "platform/headless/headless.h"
#include "state/program_state.h"
#include "tests/unit/test_support.h"

// A new game after a scrambled one gives the state of the first game's start
// again (the item's place aside, which nothing resets), with its title box and
// music.
TEST(LevelStart, NewGameStartsOverFromTheFirstGamesStart) {
    StartGame(9, true);
    const std::map<std::string, int64_t> first = FlatBattleState();
    ScrambleBattleState();
    const std::map<std::string, int64_t> scrambled = FlatBattleState();
    GameMode = GameOver;
    Boxes.clear();
    Sounds.clear();
    StartNewGame();
    std::map<std::string, int64_t> expected = first;
    for (const char* kept : {"ItemX", "ItemY", "TurretLockLatch"})
        expected[kept] = scrambled.at(kept);
    EXPECT_EQ(FlatBattleState(), expected);
    EXPECT_EQ(GameMode, Playing);
    EXPECT_TRUE(headless::TimerIsSet(BattleTimer));
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(Boxes[0].text, "准备进入第1关");
    ASSERT_EQ(Sounds.size(), 1u);
    EXPECT_EQ(Sounds[0].id, 111);
    EXPECT_TRUE(Sounds[0].interrupting);
}

// A level start puts every field of a level back to its start, whatever it
// was; the game's fields, the tank's upgrades and damage carry over, and the
// tank drives in at its own speed. The level comes fresh from the level set.
TEST(LevelStart, CarriesTheGameAndTheTanksUpgradesAndResetsTheRest) {
    StartGame();
    const std::map<std::string, int64_t> start = FlatBattleState();
    ScrambleBattleState();
    BattleState.PlayerCount = 1;
    BattleState.LevelIndex = 11;
    for (int32_t& cell : WorkingGrid)
        cell = Stone;
    const std::map<std::string, int64_t> before = FlatBattleState();
    StartLevel();

    std::map<std::string, int64_t> expected = start;
    // With one player its second player's fields (the count, the tank and its
    // lives) are left as they were.
    for (std::string kept :
         {"LevelIndex", "Lives", "ItemX", "ItemY", "TurretLockLatch", "Players", "Lives2"})
        expected[kept] = before.at(kept);
    for (const auto& [name, value] : before)
        if (name.rfind("Player2.", 0) == 0)
            expected[name] = value;
    for (std::string kept : {"band", "hitPoints", "armour", "turretLocked", "speed", "reloadRate",
                             "bulletBand", "maxBullets", "bulletDamage", "bulletSpeed"})
        expected["Player." + kept] = before.at("Player." + kept);
    const int64_t speed = before.at("Player.speed");
    expected["Player.moveTicks"] = CellSize / speed;
    expected["Player.stepPixels"] = speed;
    EXPECT_EQ(FlatBattleState(), expected);
    EXPECT_EQ(Boxes.back().text, "准备进入第12关");
    EXPECT_EQ(WorkingGrid, std::vector<int32_t>(LevelSet.begin() + 11 * LevelCellCount,
                                                LevelSet.begin() + 12 * LevelCellCount));
}

TEST(LevelStart, TheEditorAnnouncesItsOwnTitleWithoutMusic) {
    StartGame(1, true);
    GameMode = Editing;
    BattleState.LevelIndex = 11;
    size_t soundsBefore = Sounds.size();
    StartLevel();
    EXPECT_EQ(Boxes.back().text, "第12关地图编辑");
    EXPECT_EQ(Boxes.back().caption, "");
    EXPECT_EQ(Sounds.size(), soundsBefore);
}
