// Bullets against cells, tanks and each other: damage, destruction, the
// explosions and sounds that go with them, and who a bullet is spent on.
#include <gtest/gtest.h>

#include <tuple>

#include "actors/bullets.h"
#include "levels/level_grid.h"
#include "state/program_state.h"
#include "state/random.h"
#include "tests/unit/test_support.h"

namespace {

Bullet Shell(int32_t direction, int32_t x, int32_t y, int32_t speed = 8, int32_t damage = 10) {
    return Bullet{.band = 2,
                  .spare = 100,
                  .direction = direction,
                  .x = x,
                  .y = y,
                  .speed = speed,
                  .damage = damage,
                  .frame = 0};
}

// A bullet whose centre lies in the middle of cell (column, row).
Bullet BulletOverCell(int32_t column, int32_t row, int32_t damage = 10) {
    return Shell(Up, column * 64 + 12, row * 64 + 12, 8, damage);
}

TankRecord Enemy(int32_t band, int32_t x, int32_t y, int32_t hitPoints) {
    TankRecord tank = TankAt(x, y, Down);
    tank.band = band;
    tank.hitPoints = hitPoints;
    return tank;
}

// A started game on an open field, no enemy coming, its sounds heard.
class BulletHits : public ::testing::Test {
protected:
    void SetUp() override {
        StartGame();
        SoundEnabled = true;
        Sounds.clear();
        ClearWorkingGrid();
        BattleState.EnemiesToSpawn = 0;
    }
    void AddPlayerBullet(const Bullet& b) {
        Players[0].bullets.push_back(b);
        Players[0].tank.bulletsInFlight += 1;
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
using BulletCells = BulletHits;

}  // namespace

TEST_F(BulletCells, DamageWeakensBricksByTensAndAnyBurningBrickFallsAtOnce) {
    SetCell(3, 3, CrackedBrick);
    EXPECT_TRUE(ApplyBulletToCell(BulletOverCell(3, 3, 20)));
    EXPECT_EQ(WorkingGrid[CellIndex(3, 3)], BurningBrick);
    SetCell(3, 3, Brick);
    EXPECT_TRUE(ApplyBulletToCell(BulletOverCell(3, 3, 40)));
    EXPECT_EQ(WorkingGrid[CellIndex(3, 3)], Empty);
    for (int32_t burning : {4, 5, 6, 104, 106}) {
        SetCell(3, 3, burning);
        EXPECT_TRUE(ApplyBulletToCell(BulletOverCell(3, 3)));
        EXPECT_EQ(WorkingGrid[CellIndex(3, 3)], Empty);
    }
    // The whole code is weakened: a brick of a hand-edited 101 falls at once.
    SetCell(3, 3, 101);
    EXPECT_TRUE(ApplyBulletToCell(BulletOverCell(3, 3)));
    EXPECT_EQ(WorkingGrid[CellIndex(3, 3)], Empty);
}

TEST_F(BulletCells, StoneHoldsAndOpenGroundLetsBulletsPass) {
    SetCell(3, 3, Stone);
    for (int i = 0; i < 10; ++i)
        EXPECT_TRUE(ApplyBulletToCell(BulletOverCell(3, 3)));
    EXPECT_EQ(WorkingGrid[CellIndex(3, 3)], Stone);
    for (int32_t code : {0, 8, 9, 11, 12, 17, 23, 123, 24, 99, -5}) {
        SetCell(3, 3, code);
        EXPECT_FALSE(ApplyBulletToCell(BulletOverCell(3, 3))) << "code " << code;
        EXPECT_EQ(WorkingGrid[CellIndex(3, 3)], code);
    }
    EXPECT_TRUE(BattleState.Effects.empty());
}

TEST_F(BulletCells, CentresOutsideTheGridHitNothing) {
    // Division truncates toward zero: a centre up to 63 pixels left of or
    // above the field still lies in column or row 0.
    SetCell(0, 0, Stone);
    Bullet b = BulletOverCell(0, 0);
    b.x = -20 - 63;
    EXPECT_TRUE(ApplyBulletToCell(b));
    b.x = -20 - 64;
    EXPECT_FALSE(ApplyBulletToCell(b));
    b = BulletOverCell(0, 0);
    b.y = -20 - 63;
    EXPECT_TRUE(ApplyBulletToCell(b));
    SetCell(14, 10, Stone);
    b = BulletOverCell(14, 10);
    b.x = 960 - 20;  // centre at 960: column 15
    EXPECT_FALSE(ApplyBulletToCell(b));
    b.x = 959 - 20;
    EXPECT_TRUE(ApplyBulletToCell(b));
    b = BulletOverCell(14, 10);
    b.y = 704 - 20;
    EXPECT_FALSE(ApplyBulletToCell(b));
}

// A bullet flies on while its corner is within the margins around the field
// (-75 to 995 across, -75 to 739 down) and is gone one pixel beyond them,
// giving its shooter the bullet back.
TEST_F(BulletCells, BulletsLeaveOnlyBeyondTheMargins) {
    struct Edge {
        int32_t direction, x, y;  // the corner exactly on the margin
        int32_t outX, outY;       // one pixel beyond it
    };
    for (Edge e : {Edge{Down, 300, 739, 300, 740}, Edge{Up, 300, -75, 300, -76},
                   Edge{Left, -75, 300, -76, 300}, Edge{Right, 995, 300, 996, 300}}) {
        for (bool beyond : {false, true}) {
            Bullet bullet = BulletOverCell(0, 0);
            bullet.direction = e.direction;
            bullet.x = beyond ? e.outX : e.x;
            bullet.y = beyond ? e.outY : e.y;
            // One step back, so that the move lands on the place tested.
            MoveAlong(e.direction, -bullet.speed, bullet.x, bullet.y);
            Players[0].bullets = {bullet};
            Players[0].tank.bulletsInFlight = 1;
            UpdatePlayerBullets(0);
            EXPECT_EQ(Players[0].bullets.size(), beyond ? 0u : 1u)
                << "direction " << e.direction << (beyond ? " beyond" : " on") << " the margin";
            EXPECT_EQ(Players[0].tank.bulletsInFlight, beyond ? 0 : 1);
        }
    }
}

TEST(BulletsCollide, EachPairOfDirectionsAtItsBounds) {
    auto at = [](int32_t direction, int32_t x, int32_t y) { return Shell(direction, x, y); };
    // Both vertical: 20 across, 40 along.
    EXPECT_TRUE(BulletsCollide(at(Down, 100, 100), at(Up, 119, 139)));
    EXPECT_FALSE(BulletsCollide(at(Down, 100, 100), at(Up, 120, 100)));
    EXPECT_FALSE(BulletsCollide(at(Down, 100, 100), at(Down, 100, 140)));
    // Both horizontal: 40 along, 20 across.
    EXPECT_TRUE(BulletsCollide(at(Left, 100, 100), at(Right, 61, 81)));
    EXPECT_FALSE(BulletsCollide(at(Left, 100, 100), at(Right, 60, 100)));
    EXPECT_FALSE(BulletsCollide(at(Left, 100, 100), at(Left, 100, 120)));
    // One of each: 30 both ways, whichever is which.
    EXPECT_TRUE(BulletsCollide(at(Up, 100, 100), at(Left, 129, 71)));
    EXPECT_TRUE(BulletsCollide(at(Right, 100, 100), at(Down, 71, 129)));
    EXPECT_FALSE(BulletsCollide(at(Up, 100, 100), at(Left, 130, 100)));
    EXPECT_FALSE(BulletsCollide(at(Right, 100, 100), at(Down, 100, 70)));
}

TEST(FireBullet, LeavesTheMuzzleInTheGunsDirection) {
    ResetEverything();
    SoundEnabled = true;  // or no shot would be heard, an enemy's or not
    struct Case {
        int32_t direction, x, y;
    };
    for (Case c :
         {Case{Down, 112, 159}, Case{Left, 65, 112}, Case{Up, 112, 65}, Case{Right, 159, 112}}) {
        TankRecord tank = TankAt(100, 100, c.direction);
        std::vector<Bullet> list;
        FireBullet(tank, list);
        ASSERT_EQ(list.size(), 1u);
        const Bullet& b = list[0];
        EXPECT_EQ(std::tuple(b.x, b.y, b.direction, b.spare, b.speed, b.frame),
                  std::tuple(c.x, c.y, c.direction, 100, tank.bulletSpeed, 0));
        EXPECT_EQ(std::tuple(tank.bulletsInFlight, tank.reloadTimer, tank.flashTicks),
                  std::tuple(1, 100, 3));
    }
    // An enemy's shot is silent.
    EXPECT_TRUE(Sounds.empty());
}

TEST_F(BulletHits, AnEnemyThatSurvivesLosesTheDamage) {
    PutEnemy(Enemy(7, 320, 128, 70));
    AddPlayerBullet(Shell(Up, 332, 170));  // after its step, 22 pixels below the tank's centre
    UpdatePlayerBullets(0);
    EXPECT_EQ(BattleState.EnemyList[0].hitPoints, 60);
    EXPECT_TRUE(Players[0].bullets.empty());
    EXPECT_EQ(Players[0].tank.bulletsInFlight, 0);
    ASSERT_EQ(BattleState.Effects.size(), 1u);
    EXPECT_EQ(BattleState.Effects[0].x, 332 - 13);
    EXPECT_EQ(BattleState.Effects[0].y, 162 - 13);
    EXPECT_EQ(SoundIds(), std::vector<int>({119}));
}

TEST_F(BulletHits, ADestroyedEnemyGoesWithItsBulletsAndRollsForAnItem) {
    PutEnemy(Enemy(5, 320, 128, 10));
    AddEnemyBullet(0, Shell(Down, 600, 300, 6));
    AddEnemyBullet(0, Shell(Left, 700, 300, 6));
    PutEnemy(Enemy(4, 0, 0, 30));
    AddPlayerBullet(Shell(Up, 332, 170));
    SeedRandom(1);  // the fast tank's roll 2 gives 41 % 2 = 1: no item
    UpdatePlayerBullets(0);
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
    UpdatePlayerBullets(0);
    EXPECT_EQ(RandomState(), afterOneRoll);
}

TEST_F(BulletHits, TheLastEnemyOfTheLevelStartsTheClearDelay) {
    PutEnemy(Enemy(4, 320, 128, 10));
    BattleState.EnemiesToSpawn = 1;
    AddPlayerBullet(Shell(Up, 332, 170));
    UpdatePlayerBullets(0);
    EXPECT_EQ(BattleState.LevelClearDelay, 0);  // one is still to come
    PutEnemy(Enemy(4, 320, 128, 10));
    BattleState.EnemiesToSpawn = 0;
    AddPlayerBullet(Shell(Up, 332, 170));
    UpdatePlayerBullets(0);
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
        PutEnemy(Enemy(c.band, 256 + c.band, 64 - c.band, 10));
        AddPlayerBullet(Shell(Up, 256 + c.band + 12, 64 - c.band + 40));
        SeedRandom(c.seed);
        UpdatePlayerBullets(0);
        EXPECT_EQ(BattleState.DroppedItem, c.item) << "band " << c.band;
        EXPECT_EQ(BattleState.ItemX, 256 + c.band);
        EXPECT_EQ(BattleState.ItemY, 64 - c.band);
    }
}

TEST_F(BulletHits, AnEnemyBulletHurtsThenDestroysThePlayer) {
    TankRecord& p = Players[0].tank;
    p = TankAt(320, 320, Up);
    PutEnemy(Enemy(4, 0, 0, 30));
    AddEnemyBullet(0, Shell(Down, 332, 300, 6));
    UpdateEnemyBullets();
    EXPECT_EQ(p.hitPoints, 10);
    EXPECT_EQ(p.band, 0);
    EXPECT_TRUE(Sounds.empty());
    EXPECT_FALSE(Players[0].destroyed);
    EXPECT_EQ(BattleState.EnemyList[0].bulletsInFlight, 0);
    AddEnemyBullet(0, Shell(Down, 332, 300, 6));
    int32_t lives = Players[0].lives;
    UpdateEnemyBullets();
    EXPECT_TRUE(Players[0].destroyed);
    EXPECT_EQ(p.hitPoints, 0);
    EXPECT_EQ(p.band, 0);
    EXPECT_EQ(Players[0].lives, lives - 1);
    EXPECT_EQ(Players[0].respawnDelay, 100);
    EXPECT_EQ(SoundIds(), std::vector<int>({118}));
    ASSERT_EQ(BattleState.Effects.size(), 3u);
    EXPECT_EQ(BattleState.Effects[2].x, 319);
    EXPECT_EQ(BattleState.Effects[2].y, 319);
    // Now enemy bullets pass over the wreck.
    AddEnemyBullet(0, Shell(Down, 332, 300, 6));
    UpdateEnemyBullets();
    EXPECT_EQ(BattleState.EnemyBulletLists[0].size(), 1u);
    EXPECT_EQ(Players[0].lives, lives - 1);
}

TEST_F(BulletHits, BulletsThatMeetBothExplodeAndOnlyThePlayersIsHeard) {
    PutEnemy(Enemy(4, 0, 0, 30));
    AddEnemyBullet(0, Shell(Down, 500, 300, 6));
    AddPlayerBullet(Shell(Up, 500, 330));
    UpdatePlayerBullets(0);
    EXPECT_TRUE(Players[0].bullets.empty());
    EXPECT_TRUE(BattleState.EnemyBulletLists[0].empty());
    EXPECT_EQ(Players[0].tank.bulletsInFlight, 0);
    EXPECT_EQ(BattleState.EnemyList[0].bulletsInFlight, 0);
    ASSERT_EQ(BattleState.Effects.size(), 2u);
    EXPECT_EQ(BattleState.Effects[0].y, 322 - 13);  // the player's bullet first
    EXPECT_EQ(BattleState.Effects[1].y, 300 - 13);
    EXPECT_EQ(SoundIds(), std::vector<int>({119}));
}

TEST_F(BulletHits, AnEarlierEnemysBulletComesBeforeALaterEnemysTank) {
    PutEnemy(Enemy(4, 0, 0, 30));
    AddEnemyBullet(0, Shell(Down, 332, 190, 6));
    PutEnemy(Enemy(7, 320, 128, 70));
    AddPlayerBullet(Shell(Up, 332, 200));
    UpdatePlayerBullets(0);
    EXPECT_TRUE(BattleState.EnemyBulletLists[0].empty());
    EXPECT_EQ(BattleState.EnemyList[1].hitPoints, 70);
}

TEST_F(BulletHits, TwoPlayerBulletsAreSpentOnTwoTargets) {
    PutEnemy(Enemy(7, 320, 128, 70));
    PutEnemy(Enemy(7, 640, 128, 70));
    AddPlayerBullet(Shell(Up, 332, 170));
    AddPlayerBullet(Shell(Up, 652, 170));
    UpdatePlayerBullets(0);
    EXPECT_EQ(BattleState.EnemyList[0].hitPoints, 60);
    EXPECT_EQ(BattleState.EnemyList[1].hitPoints, 60);
    EXPECT_EQ(Players[0].tank.bulletsInFlight, 0);
}

TEST_F(BulletHits, EnemyBulletsNeitherHurtEnemiesNorMeetEachOther) {
    PutEnemy(Enemy(4, 320, 128, 30));
    PutEnemy(Enemy(4, 0, 0, 30));
    AddEnemyBullet(1, Shell(Up, 332, 180, 6));
    AddEnemyBullet(0, Shell(Down, 332, 170, 6));
    UpdateEnemyBullets();
    EXPECT_EQ(BattleState.EnemyList[0].hitPoints, 30);
    EXPECT_EQ(BattleState.EnemyBulletLists[0].size(), 1u);
    EXPECT_EQ(BattleState.EnemyBulletLists[1].size(), 1u);
}
