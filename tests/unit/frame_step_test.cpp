// The delays of a tick of play turn into the modes, and the modes into boxes,
// new levels and new games.
#include <gtest/gtest.h>

#include "battle/frame_step.h"
#include "battle/level_start.h"
#include "levels/level_grid.h"
#include "state/program_state.h"
#include "tests/unit/test_support.h"

namespace {

class Modes : public ::testing::Test {
protected:
    void SetUp() override {
        StartGame(3);
        Boxes.clear();
    }
    void DestroyPlayer(int32_t lives, int32_t delay) {
        Players[0].destroyed = true;
        Players[0].respawnDelay = delay;
        Players[0].lives = lives;
    }
};

}  // namespace

TEST_F(Modes, ClearingALevelStartsTheNextOneOnTheFollowingTick) {
    BattleState.LevelIndex = 4;
    BattleState.LevelClearDelay = 1;
    Ticks(1);
    EXPECT_EQ(GameMode, LevelCleared);
    Ticks(1);
    EXPECT_EQ(GameMode, Playing);
    EXPECT_EQ(BattleState.LevelIndex, 5);
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(Boxes[0].text, "准备进入第6关");
    for (int i = 0; i < LevelCellCount; ++i)
        ASSERT_EQ(WorkingGrid[i], LevelSet[5 * 165 + i]);
}

TEST_F(Modes, ClearingTheLastLevelWinsTheGame) {
    BattleState.LevelIndex = 34;
    BattleState.LevelClearDelay = 1;
    Ticks(1);
    Ticks(1);
    EXPECT_EQ(GameMode, AllCleared);
    EXPECT_EQ(BattleState.LevelIndex, 35);
    EXPECT_TRUE(Boxes.empty());
    LevelSet[3] = Stone;  // the new game keeps the level set as it is
    Ticks(1);
    ASSERT_EQ(Boxes.size(), 2u);
    EXPECT_EQ(Boxes[0].text, "太厉害了，祝贺通关！");
    EXPECT_EQ(Boxes[0].caption, "");
    EXPECT_EQ(Boxes[1].text, "准备进入第1关");
    EXPECT_EQ(GameMode, Playing);
    EXPECT_EQ(BattleState.LevelIndex, 0);
    EXPECT_EQ(WorkingGrid[3], Stone);
}

TEST_F(Modes, ALevelClearedInTheSameTickAsTheGameIsLostCounts) {
    BattleState.GameOverDelay = 1;
    BattleState.LevelClearDelay = 1;
    Ticks(1);
    EXPECT_EQ(GameMode, LevelCleared);
}

TEST_F(Modes, NoTankLeftOutranksEverything) {
    BattleState.GameOverDelay = 1;
    BattleState.LevelClearDelay = 1;
    DestroyPlayer(0, 1);
    Ticks(1);
    EXPECT_EQ(GameMode, GameOver);
    EXPECT_TRUE(Players[0].destroyed);
}

TEST_F(Modes, TheRespawnBringsTheFreshTankAndCountsTheBulletsStillFlying) {
    TankRecord& p = Players[0].tank;
    p.speed = 8;
    p.maxBullets = 2;
    p.hitPoints = 0;
    p.reloadTimer = 60;
    // A bullet of the lost tank is still in the air, over the open column 5.
    Players[0].bullets.push_back({.band = 2,
                                  .spare = 100,
                                  .direction = Up,
                                  .x = 332,
                                  .y = 500,
                                  .speed = 8,
                                  .damage = 10,
                                  .frame = 0});
    p.bulletsInFlight = 1;
    DestroyPlayer(2, 3);
    Ticks(2);
    EXPECT_TRUE(Players[0].destroyed);
    // The reload keeps falling while the tank is destroyed.
    EXPECT_EQ(p.reloadTimer, 60 - 2 * 8);
    Ticks(1);
    EXPECT_FALSE(Players[0].destroyed);
    EXPECT_EQ(Players[0].lives, 2);
    EXPECT_EQ(p.speed, 4);
    EXPECT_EQ(p.maxBullets, 1);
    EXPECT_EQ(p.hitPoints, 20);
    EXPECT_EQ(p.y, 704);
    ASSERT_EQ(Players[0].bullets.size(), 1u);
    EXPECT_EQ(p.bulletsInFlight, 1);
    // When that bullet leaves the field the count is 0, never below.
    Ticks(80);
    EXPECT_TRUE(Players[0].bullets.empty());
    EXPECT_EQ(p.bulletsInFlight, 0);
}

namespace {

// Two players on an open field, neither out yet.
class TwoSides : public Modes {
protected:
    void SetUp() override {
        Modes::SetUp();
        PlayersChosen = 2;
        ResetPlayers();
        ClearWorkingGrid();
    }
    void Wreck(int32_t side, int32_t lives, int32_t delay) {
        Players[side].destroyed = true;
        Players[side].lives = lives;
        Players[side].respawnDelay = delay;
    }
};

}  // namespace

TEST_F(TwoSides, BothGoingOutInOneTickEndTheGameWithoutABoxBetween) {
    Wreck(0, 0, 1);
    Wreck(1, 0, 1);
    Ticks(1);
    EXPECT_EQ(GameMode, GameOver);
    EXPECT_TRUE(Boxes.empty());
}

TEST_F(TwoSides, OneGoingOutWhileTheOtherHasTimeLeftSaysSoAndPlaysOn) {
    // Either side first: the box names the one that is out.
    for (int32_t side : {0, 1}) {
        SetUp();
        Wreck(side, 0, 1);
        Wreck(1 - side, 0, 2);
        Ticks(1);
        ASSERT_EQ(Boxes.size(), 1u);
        EXPECT_NE(Boxes[0].text.find(side == 0 ? '1' : '2'), std::string::npos);
        EXPECT_NE(GameMode, GameOver);
        Ticks(1);
        EXPECT_EQ(GameMode, GameOver);
    }
}

TEST_F(TwoSides, AWreckWaitsWhileItsPartnerStandsOnItsStart) {
    Wreck(1, 2, 1);
    // The first tank in the bottom row, half a cell into the way the second
    // drives in by.
    Players[0].tank = FreshPlayerTank(1);
    Players[0].tank.x -= CellSize / 2;
    Players[0].tank.y = FieldHeight - CellSize;
    Ticks(3);
    EXPECT_TRUE(Players[1].destroyed);
    EXPECT_EQ(Players[1].respawnDelay, 1);
    EXPECT_EQ(Players[1].lives, 2);
    // A cell aside, or a row up, the way is free: the fresh tank comes in.
    Players[0].tank.y = FieldHeight - 2 * CellSize;
    Ticks(1);
    EXPECT_FALSE(Players[1].destroyed);
    EXPECT_EQ(Players[1].tank.x, PlayerStartX[1]);
}
