// Bullets against cells, tanks and each other, and the tank timers.
#include <gtest/gtest.h>

#include "actors/bullets.h"
#include "levels/level_grid.h"
#include "state/program_state.h"
#include "tests/unit/test_support.h"

namespace {

// A bullet whose centre lies in the middle of cell (column, row).
Bullet BulletOverCell(int32_t column, int32_t row, int32_t damage = 10) {
    return Bullet{.band = 2,
                  .spare = 100,
                  .direction = Up,
                  .x = column * 64 + 12,
                  .y = row * 64 + 12,
                  .speed = 8,
                  .damage = damage,
                  .frame = 0};
}

class BulletCells : public ::testing::Test {
protected:
    void SetUp() override {
        ResetEverything();
        SoundEnabled = true;
        ClearWorkingGrid();
    }
};

}  // namespace

TEST_F(BulletCells, ABrickTakesFourHitsAndBurnsBeforeItFalls) {
    SetCell(3, 3, Brick);
    const int32_t after[] = {CrackedBrick, BrokenBrick, BurningBrick, Empty};
    for (int32_t code : after) {
        EXPECT_TRUE(ApplyBulletToCell(BulletOverCell(3, 3)));
        EXPECT_EQ(WorkingGrid[CellIndex(3, 3)], code);
    }
    EXPECT_FALSE(ApplyBulletToCell(BulletOverCell(3, 3)));
}

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

TEST_F(BulletCells, TheBaseFallsWithItsExplosionAndTheCountdown) {
    EXPECT_TRUE(ApplyBulletToCell(BulletOverCell(7, 10)));
    EXPECT_EQ(WorkingGrid[CellIndex(7, 10)], Empty);
    EXPECT_EQ(BattleState.GameOverDelay, 100);
    ASSERT_EQ(BattleState.Effects.size(), 1u);
    EXPECT_EQ(BattleState.Effects[0].x, 7 * 64);
    EXPECT_EQ(BattleState.Effects[0].y, 10 * 64);
    ASSERT_EQ(Sounds.size(), 1u);
    EXPECT_EQ(Sounds[0].id, 118);
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
            BattleState.PlayerBullets = {bullet};
            BattleState.Player.bulletsInFlight = 1;
            UpdatePlayerBullets();
            EXPECT_EQ(BattleState.PlayerBullets.size(), beyond ? 0u : 1u)
                << "direction " << e.direction << (beyond ? " beyond" : " on") << " the margin";
            EXPECT_EQ(BattleState.Player.bulletsInFlight, beyond ? 0 : 1);
        }
    }
}

TEST(BulletsCollide, EachPairOfDirectionsAtItsBounds) {
    auto at = [](int32_t direction, int32_t x, int32_t y) {
        return Bullet{.band = 0,
                      .spare = 100,
                      .direction = direction,
                      .x = x,
                      .y = y,
                      .speed = 8,
                      .damage = 10,
                      .frame = 0};
    };
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
    struct Case {
        int32_t direction, x, y;
    };
    for (Case c :
         {Case{Down, 112, 159}, Case{Left, 65, 112}, Case{Up, 112, 65}, Case{Right, 159, 112}}) {
        TankRecord tank = TankAt(100, 100, c.direction);
        std::vector<Bullet> list;
        FireBullet(tank, list);
        ASSERT_EQ(list.size(), 1u);
        EXPECT_EQ(list[0].x, c.x);
        EXPECT_EQ(list[0].y, c.y);
        EXPECT_EQ(list[0].direction, c.direction);
        EXPECT_EQ(list[0].spare, 100);
        EXPECT_EQ(list[0].speed, tank.bulletSpeed);
        EXPECT_EQ(list[0].frame, 0);
        EXPECT_EQ(tank.bulletsInFlight, 1);
        EXPECT_EQ(tank.reloadTimer, 100);
        EXPECT_EQ(tank.flashTicks, 3);
    }
    // An enemy's shot is silent.
    EXPECT_TRUE(Sounds.empty());
}

TEST(TankTimers, FlashAndReloadCountDownToZero) {
    TankRecord tank = TankAt(0, 0);
    tank.flashTicks = 3;
    tank.reloadTimer = 100;
    tank.reloadRate = 16;
    int ticks = 0;
    while (tank.reloadTimer > 0) {
        TankTimers(tank);
        ++ticks;
    }
    EXPECT_EQ(ticks, 7);  // 100 / 16, rounded up
    EXPECT_EQ(tank.flashTicks, 0);
    TankTimers(tank);
    EXPECT_EQ(tank.reloadTimer, 0);
    EXPECT_EQ(tank.flashTicks, 0);
}
