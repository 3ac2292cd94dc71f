// Enemy tanks: when they arrive, how they decide, wait and turn, and which
// rolls of the generator they make.
#include <gtest/gtest.h>

#include <tuple>

#include "actors/enemies.h"
#include "levels/level_grid.h"
#include "render/draw.h"
#include "state/random.h"
#include "tests/unit/test_support.h"

namespace {

class Enemies : public ::testing::Test {
protected:
    void SetUp() override {
        StartGame();
        DrawingEnabled = false;
        ClearWorkingGrid();
        Players[0].tank = TankAt(320, 640, Up);
        // Tests hold references to the tanks they add.
        BattleState.EnemyList.reserve(8);
        BattleState.EnemyBulletLists.reserve(8);
    }
    // A seed whose first values, taken modulo the numbers given, are the
    // results given.
    static uint32_t SeedGiving(std::initializer_list<std::pair<int32_t, int32_t>> rolls) {
        for (uint32_t seed = 1;; ++seed) {
            SeedRandom(seed);
            bool fits = true;
            for (auto [n, result] : rolls)
                fits = fits && Roll(n) == result;
            if (fits)
                return seed;
        }
    }
};

}  // namespace

TEST_F(Enemies, TheClassIsRolledBeforeTheColumn) {
    const struct {
        int32_t classRoll, band, hitPoints, speed, moveTicks, bulletBand, maxBullets;
        bool locked;
    } classes[] = {
        {0, 5, 20, 8, 8, 2, 1, false},  {1, 6, 50, 2, 32, 3, 2, true},
        {2, 7, 70, 4, 16, 0, 2, false}, {3, 4, 30, 2, 32, 1, 1, false},
        {9, 4, 30, 2, 32, 1, 1, false},
    };
    for (const auto& k : classes) {
        for (int32_t column = 0; column < 3; ++column) {
            BattleState.EnemyList.clear();
            BattleState.EnemyBulletLists.clear();
            BattleState.EnemiesOnField = 0;
            BattleState.EnemiesToSpawn = 20;
            BattleState.SpawnDelay = 1;
            SeedRandom(SeedGiving({{10, k.classRoll}, {3, column}}));
            SpawnEnemyStep();
            ASSERT_EQ(BattleState.EnemyList.size(), 1u);
            const TankRecord& t = BattleState.EnemyList[0];
            EXPECT_EQ(std::tuple(t.band, t.hitPoints, t.speed, t.stepPixels, t.moveTicks,
                                 t.bulletBand, t.maxBullets, t.turretLocked),
                      std::tuple(k.band, k.hitPoints, k.speed, k.speed, k.moveTicks, k.bulletBand,
                                 k.maxBullets, k.locked))
                << "class roll " << k.classRoll;
            // One cell above its column, facing down.
            EXPECT_EQ(std::tuple(t.x, t.y, t.moveDir, t.turretDir, t.reloadRate),
                      std::tuple(column * 448, -64, Down, Down, 4));
            EXPECT_EQ(BattleState.EnemyBulletLists.size(), 1u);
            EXPECT_EQ(BattleState.EnemiesToSpawn, 19);
        }
    }
}

TEST_F(Enemies, NoMoreThanTwentyArrive) {
    BattleState.EnemiesToSpawn = 0;
    BattleState.EnemiesOnField = 0;
    BattleState.SpawnDelay = 0;
    uint32_t state = RandomState();
    for (int i = 0; i < 1000; ++i)
        SpawnEnemyStep();
    EXPECT_TRUE(BattleState.EnemyList.empty());
    EXPECT_EQ(RandomState(), state);
    // A delay that started runs to its end.
    BattleState.EnemiesToSpawn = 1;
    BattleState.SpawnDelay = 0;
    SpawnEnemyStep();
    BattleState.EnemiesOnField = 4;
    for (int i = 0; i < 99; ++i)
        SpawnEnemyStep();
    EXPECT_EQ(BattleState.EnemiesOnField, 5);
}

TEST_F(Enemies, AtTheBottomEdgeFacingDownATankTurnsBeforeItMoves) {
    TankRecord& t = PutPlainEnemy(128, 640, Down);
    t.turretDir = Left;  // a gun facing the edge would be re-aimed first
    SeedRandom(SeedGiving({{4, 1}, {4, 0}, {4, 2}}));  // no turn wanted, but it faces its edge
    UpdateEnemyTanks();
    // Down was drawn again, so it drew once more and took up.
    EXPECT_EQ(t.moveDir, Up);
    EXPECT_EQ(t.turretDir, Up);
    EXPECT_EQ(t.moveTicks, 31);
    EXPECT_EQ(t.y, 638);
    EXPECT_EQ(t.waitTicks, 0);
}

TEST_F(Enemies, WhileItsFlashShowsATankKeepsItsHeadingAndWaitsAtTheEdge) {
    TankRecord& t = PutPlainEnemy(128, 640, Down);
    t.flashTicks = 2;
    t.reloadTimer = 60;
    uint32_t state = RandomState();
    UpdateEnemyTanks();
    EXPECT_EQ(RandomState(), state);  // no roll at all
    EXPECT_EQ(t.moveDir, Down);
    EXPECT_EQ(t.waitTicks, 5);
    EXPECT_EQ(t.moveTicks, 0);
}

TEST_F(Enemies, ATankBlockedByAWallWaitsFiveTicksWithItsTracksRolling) {
    TankRecord& t = PutPlainEnemy(128, 128, Right);
    SetCell(3, 2, Stone);
    // No turn on the first decision.
    SeedRandom(SeedGiving({{4, 3}}));
    UpdateEnemyTanks();
    EXPECT_EQ(t.waitTicks, 5);
    EXPECT_EQ(t.moveTicks, 0);
    for (int i = 0; i < 4; ++i) {
        int32_t frame = t.trackFrame;
        uint32_t state = RandomState();
        UpdateEnemyTanks();
        EXPECT_EQ(t.trackFrame, (frame + 1) % 3);
        EXPECT_EQ(RandomState(), state);
    }
    EXPECT_EQ(t.waitTicks, 1);
    // In the tick the wait runs out the tank decides again.
    uint32_t state = RandomState();
    UpdateEnemyTanks();
    EXPECT_NE(RandomState(), state);
}

// The ground of the cell ahead sets the step, and the move takes as many
// ticks as that step needs for one cell: ice doubles the step, sand makes it 1.
TEST_F(Enemies, AMoveTakesTheTicksOfTheStepOverTheGroundAhead) {
    for (auto [ground, step] : {std::pair{Empty, 2}, {Ice, 4}, {Sand, 1}, {Grass, 2}}) {
        BattleState.EnemyList.clear();
        BattleState.EnemyBulletLists.clear();
        TankRecord& t = PutPlainEnemy(128, 128, Right);
        SetCell(3, 2, ground);
        SeedRandom(SeedGiving({{4, 3}}));
        UpdateEnemyTanks();
        EXPECT_EQ(t.stepPixels, step) << "ground " << ground;
        EXPECT_EQ(t.moveTicks, 64 / step - 1) << "ground " << ground;
        EXPECT_EQ(t.x, 128 + step) << "ground " << ground;
    }
}

TEST_F(Enemies, ATankBlockedOnlyByAnotherDecidesAgainNextTick) {
    TankRecord& first = PutPlainEnemy(128, 128, Right);
    PutPlainEnemy(192, 128, Down);
    BattleState.EnemyList[1].moveTicks = 20;  // busy, not deciding
    SeedRandom(SeedGiving({{4, 3}}));
    UpdateEnemyTanks();
    EXPECT_EQ(first.moveTicks, 0);
    EXPECT_EQ(first.waitTicks, 0);
    EXPECT_EQ(first.x, 128);
}

TEST_F(Enemies, ThePlayerBlocksOnlyWhileItsTankIsThere) {
    TankRecord& t = PutPlainEnemy(320, 576, Down);  // the player stands right below
    SeedRandom(SeedGiving({{4, 3}}));
    UpdateEnemyTanks();
    EXPECT_EQ(t.waitTicks, 5);
    BattleState.EnemyList.clear();
    BattleState.EnemyBulletLists.clear();
    BattleState.EnemiesOnField = 0;
    TankRecord& u = PutPlainEnemy(320, 576, Down);
    Players[0].destroyed = true;
    SeedRandom(SeedGiving({{4, 3}}));
    UpdateEnemyTanks();
    EXPECT_EQ(u.waitTicks, 0);
    EXPECT_EQ(u.y, 578);
}

TEST_F(Enemies, ALockedGunIsReAimedOnAverageOnceInFiftyTicks) {
    // A turret tank shut in by stone: it waits, decides and never fires.
    TankRecord& t = PutPlainEnemy(320, 320, Up);
    t.turretLocked = true;
    for (auto [c, r] : {std::pair{5, 4}, {5, 6}, {4, 5}, {6, 5}})
        SetCell(c, r, Stone);
    SeedRandom(2024);
    int changes = 0;
    const int ticks = 200000;
    for (int i = 0; i < ticks; ++i) {
        int32_t before = t.turretDir;
        UpdateEnemyTanks();
        if (t.turretDir != before)
            ++changes;
        ASSERT_EQ(t.x, 320);
    }
    // Three re-aims in four pick a new direction.
    double rate = double(changes) / ticks;
    EXPECT_NEAR(rate, 0.75 / 50, 0.0015);
}

TEST_F(Enemies, AGunPointingOutOfTheFieldIsReAimedEvenMidMove) {
    TankRecord& t = PutPlainEnemy(0, 320, Down);
    t.turretDir = Left;
    t.moveTicks = 10;  // driving down along the left edge
    SeedRandom(SeedGiving({{4, Left}, {4, Right}}));
    UpdateEnemyTanks();
    EXPECT_EQ(t.turretDir, Right);
    EXPECT_EQ(t.moveDir, Down);
}

TEST_F(Enemies, FiringTakesOneInTwentyAndOnlyWhenReloadedWithABulletFree) {
    TankRecord& t = PutPlainEnemy(320, 320, Up);
    t.maxBullets = 1;
    t.moveTicks = 16;
    SeedRandom(SeedGiving({{20, 0}}));
    UpdateEnemyTanks();
    ASSERT_EQ(BattleState.EnemyBulletLists[0].size(), 1u);
    EXPECT_EQ(t.reloadTimer, 100);
    EXPECT_EQ(t.flashTicks, 3);
    // Reloading: no roll for firing is made.
    t.flashTicks = 0;
    t.moveTicks = 16;
    uint32_t state = RandomState();
    UpdateEnemyTanks();
    EXPECT_EQ(RandomState(), state);
}

TEST(FacesOwnEdge, OnlyExactlyOnTheEdgeRowOrColumn) {
    TankRecord t = TankAt(0, 0);
    EXPECT_TRUE(FacesOwnEdge(t, Left));
    EXPECT_TRUE(FacesOwnEdge(t, Up));
    EXPECT_FALSE(FacesOwnEdge(t, Down));
    EXPECT_FALSE(FacesOwnEdge(t, Right));
    t = TankAt(896, 640);
    EXPECT_TRUE(FacesOwnEdge(t, Right));
    EXPECT_TRUE(FacesOwnEdge(t, Down));
    t = TankAt(1, -64);
    EXPECT_FALSE(FacesOwnEdge(t, Left));
    EXPECT_FALSE(FacesOwnEdge(t, Up));
}
