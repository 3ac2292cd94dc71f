// A game of two players: the item goes to the tank that takes it, Z with F
// upgrades only a tank in play, and enemies and their bullets meet the second
// tank as they meet the first. (A new game's tanks, the second player's keys
// in a game of one, the upgrade of both and the status: the coop_* and
// status_two_players scenarios.)
#include <gtest/gtest.h>

#include <vector>

#include "actors/bullets.h"
#include "actors/enemies.h"
#include "actors/items.h"
#include "battle/level_start.h"
#include "battle/player_control.h"
#include "platform/headless/headless.h"
#include "render/draw.h"
#include "state/program_state.h"
#include "tests/unit/test_support.h"

namespace {

class TwoPlayers : public ::testing::Test {
protected:
    void SetUp() override {
        StartGame();
        PlayersChosen = 2;
        ResetPlayers();
        DrawingEnabled = false;
        ClearWorkingGrid();
        Players[0].tank = TankAt(320, 320, Up);
        Players[1].tank = TankAt(576, 320, Up);
        BattleState.EnemyList.reserve(4);
        BattleState.EnemyBulletLists.reserve(4);
    }
};

}  // namespace

TEST_F(TwoPlayers, TheItemGoesToTheTankThatTakesIt) {
    DropItem(SpeedItem, 576 + 32, 320 - 32);
    UpdateItem();
    EXPECT_EQ(BattleState.DroppedItem, NoItem);
    EXPECT_EQ(Players[1].tank.speed, 5);
    EXPECT_EQ(Players[0].tank.speed, 4);

    DropItem(ExtraBulletItem, 320, 320);
    UpdateItem();
    EXPECT_EQ(Players[0].tank.maxBullets, 2);
    EXPECT_EQ(Players[1].tank.maxBullets, 1);

    // Both in reach: the first player's tank is tested first.
    Players[1].tank = TankAt(320, 352, Up);
    DropItem(ArmourItem, 320, 336);
    UpdateItem();
    EXPECT_EQ(Players[0].tank.hitPoints, 30);
    EXPECT_EQ(Players[1].tank.hitPoints, 20);

    // A wreck takes nothing; the item waits for the other tank.
    Players[1].destroyed = true;
    DropItem(ArmourItem, 320, 352);
    Players[0].tank.x = 640;
    UpdateItem();
    EXPECT_EQ(BattleState.DroppedItem, ArmourItem);
}

// In a game of one the second tank's record lies unused: it takes nothing.
TEST_F(TwoPlayers, InAGameOfOneTheUnusedSecondTankTakesNothing) {
    BattleState.PlayerCount = 1;
    Players[0].tank.x = 64;
    DropItem(SpeedItem, 576, 320);
    UpdateItem();
    EXPECT_EQ(BattleState.DroppedItem, SpeedItem);
    EXPECT_EQ(Players[1].tank.speed, 4);
}

TEST_F(TwoPlayers, ZWithFUpgradesTheSecondTankOnlyWhileItIsInPlay) {
    headless::SetKeyDown('Z', true);
    headless::SetKeyDown('F', true);
    Players[1].destroyed = true;
    PlayerControlStep(0);
    EXPECT_EQ(Players[0].tank.hitPoints, MaxPlayerHitPoints);
    EXPECT_EQ(Players[1].tank.hitPoints, 20);
    EXPECT_EQ(Players[1].tank.speed, 4);
    Players[1].destroyed = false;
    PlayerControlStep(0);
    EXPECT_EQ(Players[1].tank.hitPoints, MaxPlayerHitPoints);
    EXPECT_EQ(Players[1].tank.speed, MaxPlayerSpeed);
    headless::ReleaseAllKeys();
}

TEST_F(TwoPlayers, EnemyBulletsHitTheSecondTankAndDestroyItAsTheFirst) {
    TankRecord& enemy = PutPlainEnemy(576, 192, Down);
    std::vector<Bullet>& bullets = BattleState.EnemyBulletLists[0];
    for (int hit = 1; hit <= 2; ++hit) {
        enemy.maxBullets = 1;
        FireBullet(enemy, bullets);
        for (int t = 0; t < 20 && !bullets.empty(); ++t)
            UpdateEnemyBullets();
        EXPECT_TRUE(bullets.empty());
    }
    EXPECT_TRUE(Players[1].destroyed);
    EXPECT_EQ(Players[1].lives, 2);
    EXPECT_EQ(Players[1].respawnDelay, 100);
    EXPECT_FALSE(Players[0].destroyed);
    EXPECT_EQ(Players[0].lives, 3);
    EXPECT_EQ(Players[0].tank.hitPoints, 20);
    // The wreck stops nothing: a later bullet flies through it.
    FireBullet(enemy, bullets);
    for (int t = 0; t < 20; ++t)
        UpdateEnemyBullets();
    EXPECT_EQ(bullets.size(), 1u);
}

TEST_F(TwoPlayers, AnEnemyWaitsForTheSecondTankAsForTheFirst) {
    // Standing right above the second tank and facing it: refused, 5 ticks.
    TankRecord& enemy = PutPlainEnemy(576, 256, Down);
    enemy.flashTicks = 1;  // no turn roll while the flash shows
    UpdateEnemyTanks();
    EXPECT_EQ(enemy.moveTicks, 0);
    EXPECT_EQ(enemy.waitTicks, 5);
    // Not in the way once destroyed.
    Players[1].destroyed = true;
    enemy.waitTicks = 0;
    enemy.flashTicks = 1;
    UpdateEnemyTanks();
    EXPECT_GT(enemy.moveTicks, 0);
}
