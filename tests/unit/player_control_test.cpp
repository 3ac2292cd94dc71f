// The player's tank under the keys: moves that snap to the grid, a move
// refused by an enemy, and no move started while Z is held. (The lock key,
// a move against a wall, the gun's reload and Z with Up: the gun_and_lock,
// move_timing, fire_and_base and level_keys_and_upgrade scenarios.)
#include <gtest/gtest.h>

#include <string>

#include "battle/player_control.h"
#include "levels/level_grid.h"
#include "platform/headless/headless.h"
#include "tests/unit/test_support.h"

namespace {

class PlayerControl : public ::testing::Test {
protected:
    void SetUp() override {
        StartGame();
        ClearWorkingGrid();
        Players[0].tank = TankAt(320, 320, Up);
    }
    void TearDown() override { headless::ReleaseAllKeys(); }
    void Hold(std::initializer_list<int> keys) {
        headless::ReleaseAllKeys();
        for (int key : keys)
            headless::SetKeyDown(key, true);
    }
};

}  // namespace

TEST_F(PlayerControl, MovesWhoseStepDoesNotDivideTheCellAreSnappedInEveryDirection) {
    struct Case {
        int32_t speed, ground, ticks, step;
    };
    struct Way {
        int key, direction, column, row, dx, dy;
    };
    // Steps of 5, 6, 7 and 14 leave the tank short of the cell after the
    // move's last step, and steps of 16 and 1 land on it; the snap closes
    // the gap to the cell ahead, whichever way the tank drives.
    for (Way w :
         {Way{platform::VK_UP, Up, 5, 4, 0, -1}, Way{platform::VK_DOWN, Down, 5, 6, 0, 1},
          Way{platform::VK_LEFT, Left, 4, 5, -1, 0}, Way{platform::VK_RIGHT, Right, 6, 5, 1, 0}}) {
        for (Case c : {Case{5, Empty, 12, 5}, Case{6, Empty, 10, 6}, Case{7, Empty, 9, 7},
                       Case{7, Ice, 4, 14}, Case{8, Ice, 4, 16}, Case{3, Sand, 64, 1}}) {
            SCOPED_TRACE("direction " + std::to_string(w.direction) + ", speed " +
                         std::to_string(c.speed) + " on " + std::to_string(c.ground));
            TankRecord& p = Players[0].tank;
            p = TankAt(320, 320, Up);
            p.speed = c.speed;
            SetCell(w.column, w.row, c.ground);
            Hold({w.key});
            PlayerControlStep(0);
            Hold({});
            EXPECT_EQ(p.moveDir, w.direction);
            EXPECT_EQ(p.moveTicks, c.ticks - 1);
            for (int t = 1; t < c.ticks - 1; ++t)
                PlayerControlStep(0);
            EXPECT_EQ(p.stepPixels, c.step);
            EXPECT_EQ(p.x, 320 + w.dx * c.step * (c.ticks - 1));
            EXPECT_EQ(p.y, 320 + w.dy * c.step * (c.ticks - 1));
            PlayerControlStep(0);
            EXPECT_EQ(p.moveTicks, 0);
            EXPECT_EQ(p.x, 64 * w.column);
            EXPECT_EQ(p.y, 64 * w.row);
            SetCell(w.column, w.row, Empty);
        }
    }
}

TEST_F(PlayerControl, AnEnemyInTheWayRefusesTheMove) {
    TankRecord enemy = TankAt(320, 256, Down);
    BattleState.EnemyList.push_back(enemy);
    BattleState.EnemyBulletLists.emplace_back();
    Hold({platform::VK_UP});
    PlayerControlStep(0);
    EXPECT_EQ(Players[0].tank.y, 320);
    BattleState.EnemyList[0].y = 192;  // two cells ahead: no longer in the way
    PlayerControlStep(0);
    EXPECT_EQ(Players[0].tank.y, 316);
}

TEST_F(PlayerControl, WithZHeldNoMoveStartsButAMoveGoesOn) {
    TankRecord& p = Players[0].tank;
    Hold({'Z', platform::VK_LEFT});
    PlayerControlStep(0);
    EXPECT_EQ(p.x, 320);
    EXPECT_EQ(p.moveDir, Up);
    p.moveTicks = 10;
    PlayerControlStep(0);
    EXPECT_EQ(p.y, 316);
    EXPECT_EQ(p.moveTicks, 9);
}
