// What bullets do to tanks and to each other: damage, destruction, the
// explosions and sounds that go with them, and who a bullet is spent on.
#include <gtest/gtest.h>

#include "actors/bullets.h"
#include "levels/level_grid.h"
#include "state/program_state.h"
#include "state/random.h"
#include "tests/unit/test_support.h"

namespace {

Bullet Shell(int32_t direction, int32_t x, int32_t y, int32_t speed = 8) {
    return Bullet{.band = 2,
                  .spare = 100,
                  .direction = direction,
                  .x = x,
                  .y = y,
                  .speed = speed,
                  .damage = 10,
                  .frame = 0};
}

TankRecord Enemy(int32_t band, int32_t x, int32_t y, int32_t hitPoints) {
    TankRecord tank = TankAt(x, y, Down);
    tank.band = band;
    tank.hitPoints = hitPoints;
    return tank;
}

class BulletHits : public ::testing::Test {
protected:
    void SetUp() override {
        StartGame();
        SoundEnabled = true;
        Sounds.clear();
        ClearWorkingGrid();
        BattleState.EnemiesToSpawn = 0;
    }
    void AddEnemy(const TankRecord& tank) {
        BattleState.EnemyList.push_back(tank);
        BattleState.EnemyBulletLists.emplace_back();
        BattleState.EnemiesOnField += 1;
    }
    void AddPlayerBullet(const Bullet& b) {
        BattleState.PlayerBullets.push_back(b);
        BattleState.Player.bulletsInFlight += 1;
    }
    void AddEnemyBullet(size_t enemy, const Bullet& b) {
        BattleState.EnemyBulletLists[enemy].push_back(b);
        BattleState.EnemyList[enemy].bulletsInFlight += 1;
    }
    std::vector<int> SoundIds() {
        std::vector<int> ids;
        for (const RecordedSound& s : Sounds)
            ids.push_back(s.id);
        return ids;
    }
};

}  // namespace

TEST_F(BulletHits, AnEnemyThatSurvivesLosesTheDamage) {
    AddEnemy(Enemy(7, 320, 128, 70));
    AddPlayerBullet(Shell(Up, 332, 170));  // after its step, 22 pixels below the tank's centre
    UpdatePlayerBullets();
    EXPECT_EQ(BattleState.EnemyList[0].hitPoints, 60);
    EXPECT_TRUE(BattleState.PlayerBullets.empty());
    EXPECT_EQ(BattleState.Player.bulletsInFlight, 0);
    ASSERT_EQ(BattleState.Effects.size(), 1u);
    EXPECT_EQ(BattleState.Effects[0].x, 332 - 13);
    EXPECT_EQ(BattleState.Effects[0].y, 162 - 13);
    EXPECT_EQ(SoundIds(), std::vector<int>({119}));
}

TEST_F(BulletHits, ADestroyedEnemyGoesWithItsBulletsAndRollsForAnItem) {
    AddEnemy(Enemy(5, 320, 128, 10));
    AddEnemyBullet(0, Shell(Down, 600, 300, 6));
    AddEnemyBullet(0, Shell(Left, 700, 300, 6));
    AddEnemy(Enemy(4, 0, 0, 30));
    AddPlayerBullet(Shell(Up, 332, 170));
    SeedRandom(1);  // the fast tank's roll 2 gives 41 % 2 = 1: no item
    UpdatePlayerBullets();
    ASSERT_EQ(BattleState.EnemyList.size(), 1u);
    EXPECT_EQ(BattleState.EnemyList[0].band, 4);
    ASSERT_EQ(BattleState.EnemyBulletLists.size(), 1u);
    EXPECT_TRUE(BattleState.EnemyBulletLists[0].empty());
    EXPECT_EQ(BattleState.EnemiesOnField, 1);
    EXPECT_EQ(BattleState.LevelClearDelay, 0);
    // The bullet's explosion, then the tank's over it; no explosions for its bullets.
    ASSERT_EQ(BattleState.Effects.size(), 2u);
    EXPECT_EQ(BattleState.Effects[1].x, 319);
    EXPECT_EQ(BattleState.Effects[1].y, 127);
    EXPECT_EQ(SoundIds(), std::vector<int>({118}));
    EXPECT_EQ(BattleState.DroppedItem, NoItem);
    // Exactly one roll was made.
    SeedRandom(1);
    NextRandom();
    uint32_t afterOneRoll = RandomState();
    BattleState.EnemyList[0] = Enemy(5, 320, 128, 10);
    AddPlayerBullet(Shell(Up, 332, 170));
    SeedRandom(1);
    UpdatePlayerBullets();
    EXPECT_EQ(RandomState(), afterOneRoll);
}

TEST_F(BulletHits, TheLastEnemyOfTheLevelStartsTheClearDelay) {
    AddEnemy(Enemy(4, 320, 128, 10));
    BattleState.EnemiesToSpawn = 1;
    AddPlayerBullet(Shell(Up, 332, 170));
    UpdatePlayerBullets();
    EXPECT_EQ(BattleState.LevelClearDelay, 0);  // one is still to come
    AddEnemy(Enemy(4, 320, 128, 10));
    BattleState.EnemiesToSpawn = 0;
    AddPlayerBullet(Shell(Up, 332, 170));
    UpdatePlayerBullets();
    EXPECT_EQ(BattleState.EnemiesOnField, 0);
    EXPECT_EQ(BattleState.LevelClearDelay, 200);
}

TEST_F(BulletHits, ItemsMatchTheEnemysColourAndReplaceTheOldOne) {
    struct Case {
        int32_t band;
        uint32_t seed;
        int32_t item;
    };
    // Seeds whose first value is 0 modulo the class's roll.
    auto seedFor = [](int32_t n) {
        for (uint32_t seed = 1;; ++seed) {
            SeedRandom(seed);
            if (NextRandom() % n == 0)
                return seed;
        }
    };
    for (Case c : {Case{4, seedFor(7), ArmourItem}, Case{5, seedFor(2), SpeedItem},
                   Case{6, seedFor(2), FireRateItem}, Case{7, seedFor(2), ExtraBulletItem}}) {
        BattleState.EnemyList.clear();
        BattleState.EnemyBulletLists.clear();
        BattleState.EnemiesOnField = 0;
        AddEnemy(Enemy(c.band, 256 + c.band, 64 - c.band, 10));
        AddPlayerBullet(Shell(Up, 256 + c.band + 12, 64 - c.band + 40));
        SeedRandom(c.seed);
        UpdatePlayerBullets();
        EXPECT_EQ(BattleState.DroppedItem, c.item) << "band " << c.band;
        EXPECT_EQ(BattleState.ItemX, 256 + c.band);
        EXPECT_EQ(BattleState.ItemY, 64 - c.band);
    }
}

TEST_F(BulletHits, AnEnemyBulletHurtsThenDestroysThePlayer) {
    TankRecord& p = BattleState.Player;
    p = TankAt(320, 320, Up);
    AddEnemy(Enemy(4, 0, 0, 30));
    AddEnemyBullet(0, Shell(Down, 332, 300, 6));
    UpdateEnemyBullets();
    EXPECT_EQ(p.hitPoints, 10);
    EXPECT_EQ(p.band, 0);
    EXPECT_TRUE(Sounds.empty());
    EXPECT_FALSE(BattleState.PlayerDestroyed);
    EXPECT_EQ(BattleState.EnemyList[0].bulletsInFlight, 0);
    AddEnemyBullet(0, Shell(Down, 332, 300, 6));
    int32_t lives = BattleState.Lives;
    UpdateEnemyBullets();
    EXPECT_TRUE(BattleState.PlayerDestroyed);
    EXPECT_EQ(p.hitPoints, 0);
    EXPECT_EQ(p.band, 0);
    EXPECT_EQ(BattleState.Lives, lives - 1);
    EXPECT_EQ(BattleState.RespawnDelay, 100);
    EXPECT_EQ(SoundIds(), std::vector<int>({118}));
    ASSERT_EQ(BattleState.Effects.size(), 3u);
    EXPECT_EQ(BattleState.Effects[2].x, 319);
    EXPECT_EQ(BattleState.Effects[2].y, 319);
    // Now enemy bullets pass over the wreck.
    AddEnemyBullet(0, Shell(Down, 332, 300, 6));
    UpdateEnemyBullets();
    EXPECT_EQ(BattleState.EnemyBulletLists[0].size(), 1u);
    EXPECT_EQ(BattleState.Lives, lives - 1);
}

TEST_F(BulletHits, BulletsThatMeetBothExplodeAndOnlyThePlayersIsHeard) {
    AddEnemy(Enemy(4, 0, 0, 30));
    AddEnemyBullet(0, Shell(Down, 500, 300, 6));
    AddPlayerBullet(Shell(Up, 500, 330));
    UpdatePlayerBullets();
    EXPECT_TRUE(BattleState.PlayerBullets.empty());
    EXPECT_TRUE(BattleState.EnemyBulletLists[0].empty());
    EXPECT_EQ(BattleState.Player.bulletsInFlight, 0);
    EXPECT_EQ(BattleState.EnemyList[0].bulletsInFlight, 0);
    ASSERT_EQ(BattleState.Effects.size(), 2u);
    EXPECT_EQ(BattleState.Effects[0].y, 322 - 13);  // the player's bullet first
    EXPECT_EQ(BattleState.Effects[1].y, 300 - 13);
    EXPECT_EQ(SoundIds(), std::vector<int>({119}));
}

TEST_F(BulletHits, AnEarlierEnemysBulletComesBeforeALaterEnemysTank) {
    AddEnemy(Enemy(4, 0, 0, 30));
    AddEnemyBullet(0, Shell(Down, 332, 190, 6));
    AddEnemy(Enemy(7, 320, 128, 70));
    AddPlayerBullet(Shell(Up, 332, 200));
    UpdatePlayerBullets();
    EXPECT_TRUE(BattleState.EnemyBulletLists[0].empty());
    EXPECT_EQ(BattleState.EnemyList[1].hitPoints, 70);
}

TEST_F(BulletHits, TwoPlayerBulletsAreSpentOnTwoTargets) {
    AddEnemy(Enemy(7, 320, 128, 70));
    AddEnemy(Enemy(7, 640, 128, 70));
    AddPlayerBullet(Shell(Up, 332, 170));
    AddPlayerBullet(Shell(Up, 652, 170));
    UpdatePlayerBullets();
    EXPECT_EQ(BattleState.EnemyList[0].hitPoints, 60);
    EXPECT_EQ(BattleState.EnemyList[1].hitPoints, 60);
    EXPECT_EQ(BattleState.Player.bulletsInFlight, 0);
}

TEST_F(BulletHits, EnemyBulletsNeitherHurtEnemiesNorMeetEachOther) {
    AddEnemy(Enemy(4, 320, 128, 30));
    AddEnemy(Enemy(4, 0, 0, 30));
    AddEnemyBullet(1, Shell(Up, 332, 180, 6));
    AddEnemyBullet(0, Shell(Down, 332, 170, 6));
    UpdateEnemyBullets();
    EXPECT_EQ(BattleState.EnemyList[0].hitPoints, 30);
    EXPECT_EQ(BattleState.EnemyBulletLists[0].size(), 1u);
    EXPECT_EQ(BattleState.EnemyBulletLists[1].size(), 1u);
}
