// A new game and a level start put the battle into a known state.
#include <gtest/gtest.h>

#include <vector>

#include "battle/frame_step.h"
#include "battle/level_start.h"
#include "levels/level_grid.h"
#include "platform/headless/headless.h"
#include "state/program_state.h"
#include "tests/unit/test_support.h"

namespace {

std::vector<int32_t> Fields(const TankRecord& t) {
    return {t.band,       t.hitPoints,       t.armour,       t.moveDir,      t.x,
            t.y,          t.turretDir,       t.turretLocked, t.reloadTimer,  t.moveTicks,
            t.trackFrame, t.speed,           t.stepPixels,   t.flashTicks,   t.reloadRate,
            t.bulletBand, t.bulletsInFlight, t.maxBullets,   t.bulletDamage, t.bulletSpeed,
            t.waitTicks};
}

}  // namespace

// A new game after a damaged, upgraded tank's game over gives the tank of the
// first game again, at level 1, with its title box and music.
TEST(LevelStart, NewGameStartsOverWithTheFirstGamesTank) {
    StartGame(9, true);
    const TankRecord first = BattleState.Player;
    EXPECT_EQ(first.hitPoints, FreshPlayerRecord.hitPoints);
    TankRecord& p = BattleState.Player;
    p = TankAt(128, 256, Left);
    p.band = 3;
    p.hitPoints = 10;
    p.speed = 7;
    p.maxBullets = 2;
    BattleState.Lives = 0;
    BattleState.LevelIndex = 6;
    GameMode = GameOver;
    Boxes.clear();
    Sounds.clear();
    StartNewGame();
    EXPECT_EQ(Fields(p), Fields(first));
    EXPECT_EQ(BattleState.Lives, 3);
    EXPECT_EQ(BattleState.LevelIndex, 0);
    EXPECT_EQ(GameMode, Playing);
    EXPECT_TRUE(headless::TimerIsSet(BattleTimer));
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(Boxes[0].text, "准备进入第1关");
    ASSERT_EQ(Sounds.size(), 1u);
    EXPECT_EQ(Sounds[0].id, 111);
    EXPECT_TRUE(Sounds[0].interrupting);
}

TEST(LevelStart, CarriesUpgradesAndDamageButResetsTheRest) {
    StartGame();
    TankRecord& p = BattleState.Player;
    p = TankAt(128, 256, Left);
    p.band = 0;
    p.hitPoints = 10;
    p.speed = 7;
    p.reloadRate = 12;
    p.maxBullets = 2;
    p.bulletSpeed = 16;
    p.turretLocked = true;
    p.reloadTimer = 50;
    p.flashTicks = 2;
    p.trackFrame = 2;
    p.bulletsInFlight = 2;
    BattleState.PlayerBullets.resize(2);
    BattleState.Effects.resize(3);
    BattleState.EnemyList.resize(2);
    BattleState.EnemyBulletLists.resize(2);
    BattleState.EnemyBulletLists[1].resize(1);
    BattleState.GameOverDelay = 40;
    BattleState.LevelClearDelay = 30;
    BattleState.PlayerDestroyed = true;
    BattleState.RespawnDelay = 20;
    BattleState.EnemiesOnField = 2;
    BattleState.EnemiesToSpawn = 3;
    BattleState.SpawnDelay = 50;
    BattleState.TerrainPhaseA = 4;
    BattleState.TerrainPhaseB = 2;
    BattleState.DroppedItem = SpeedItem;
    BattleState.ItemX = 77;
    BattleState.ItemY = -90;
    BattleState.Lives = 1;
    TurretLockLatch = false;
    BattleState.LevelIndex = 11;
    WorkingGrid[0] = Stone;

    StartLevel();

    EXPECT_EQ(Boxes.back().text, "准备进入第12关");
    EXPECT_EQ(p.band, 0);
    EXPECT_EQ(p.hitPoints, 10);
    EXPECT_EQ(p.speed, 7);
    EXPECT_EQ(p.reloadRate, 12);
    EXPECT_EQ(p.maxBullets, 2);
    EXPECT_EQ(p.bulletSpeed, 16);
    EXPECT_TRUE(p.turretLocked);
    EXPECT_EQ(p.moveDir, Up);
    EXPECT_EQ(p.turretDir, Up);
    EXPECT_EQ(p.x, FreshPlayerRecord.x);
    EXPECT_EQ(p.y, FreshPlayerRecord.y);
    EXPECT_EQ(p.moveTicks, 9);  // 64 / 7
    EXPECT_EQ(p.stepPixels, 7);
    EXPECT_EQ(p.reloadTimer, 0);
    EXPECT_EQ(p.flashTicks, 0);
    EXPECT_EQ(p.trackFrame, 0);
    EXPECT_EQ(p.bulletsInFlight, 0);
    EXPECT_TRUE(BattleState.PlayerBullets.empty());
    EXPECT_TRUE(BattleState.Effects.empty());
    EXPECT_TRUE(BattleState.EnemyList.empty());
    EXPECT_TRUE(BattleState.EnemyBulletLists.empty());
    EXPECT_EQ(BattleState.GameOverDelay, 0);
    EXPECT_EQ(BattleState.LevelClearDelay, 0);
    EXPECT_FALSE(BattleState.PlayerDestroyed);
    EXPECT_EQ(BattleState.RespawnDelay, 0);
    EXPECT_EQ(BattleState.EnemiesOnField, 0);
    EXPECT_EQ(BattleState.EnemiesToSpawn, 20);
    EXPECT_EQ(BattleState.SpawnDelay, 1);
    EXPECT_EQ(BattleState.TerrainPhaseA, 0);
    EXPECT_EQ(BattleState.TerrainPhaseB, 0);
    EXPECT_EQ(BattleState.DroppedItem, NoItem);
    // Kept as they were.
    EXPECT_EQ(BattleState.ItemX, 77);
    EXPECT_EQ(BattleState.ItemY, -90);
    EXPECT_EQ(BattleState.Lives, 1);
    EXPECT_FALSE(TurretLockLatch);
    EXPECT_EQ(BattleState.LevelIndex, 11);
    // A fresh copy of level 12.
    ASSERT_EQ(WorkingGrid.size(), size_t(LevelCellCount));
    for (int i = 0; i < LevelCellCount; ++i)
        EXPECT_EQ(WorkingGrid[i], LevelSet[11 * 165 + i]);
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

TEST(LevelStart, NewGameKeepsALoadedLevelSet) {
    StartGame();
    LevelSet[5] = Stone;
    BattleState.Lives = 0;
    BattleState.LevelIndex = 20;
    StartNewGame();
    EXPECT_EQ(WorkingGrid[5], Stone);
    EXPECT_EQ(BattleState.Lives, 3);
    EXPECT_EQ(BattleState.LevelIndex, 0);
}

TEST(LevelStart, BricksBrokenInPlayComeBackWhenTheLevelStartsAgain) {
    StartGame();
    WorkingGrid[CellIndex(1, 1)] = Empty;
    StartLevel();
    EXPECT_EQ(WorkingGrid[CellIndex(1, 1)], Brick);
}
