// The player's tank under the keys: moves that snap to the grid, refused
// moves, the keys that do nothing while Z is held, and the fire conditions.
#include <gtest/gtest.h>

#include <string>

#include "battle/player_control.h"
#include "levels/level_grid.h"
#include "platform/headless/headless.h"
#include "state/program_state.h"
#include "tests/unit/test_support.h"

namespace {

class PlayerControl : public ::testing::Test {
protected:
    void SetUp() override {
        StartGame();
        SoundEnabled = true;
        ClearWorkingGrid();
        BattleState.Player = TankAt(320, 320, Up);
        Sounds.clear();
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
            TankRecord& p = BattleState.Player;
            p = TankAt(320, 320, Up);
            p.speed = c.speed;
            SetCell(w.column, w.row, c.ground);
            Hold({w.key});
            PlayerControlStep();
            Hold({});
            EXPECT_EQ(p.moveDir, w.direction);
            EXPECT_EQ(p.moveTicks, c.ticks - 1);
            for (int t = 1; t < c.ticks - 1; ++t)
                PlayerControlStep();
            EXPECT_EQ(p.stepPixels, c.step);
            EXPECT_EQ(p.x, 320 + w.dx * c.step * (c.ticks - 1));
            EXPECT_EQ(p.y, 320 + w.dy * c.step * (c.ticks - 1));
            PlayerControlStep();
            EXPECT_EQ(p.moveTicks, 0);
            EXPECT_EQ(p.x, 64 * w.column);
            EXPECT_EQ(p.y, 64 * w.row);
            SetCell(w.column, w.row, Empty);
        }
    }
}

// However long L is held, it toggles the lock once; the next toggle needs a
// tick without it.
TEST_F(PlayerControl, HoldingLTogglesTheLockOnce) {
    TankRecord& p = BattleState.Player;
    TurretLockLatch = true;
    p.turretLocked = false;
    Hold({'L'});
    for (int tick = 0; tick < 4; ++tick) {
        PlayerControlStep();
        EXPECT_TRUE(p.turretLocked) << "tick " << tick;
        EXPECT_FALSE(TurretLockLatch);
    }
    Hold({});
    PlayerControlStep();
    EXPECT_TRUE(p.turretLocked);
    EXPECT_TRUE(TurretLockLatch);
    Hold({'L'});
    PlayerControlStep();
    PlayerControlStep();
    EXPECT_FALSE(p.turretLocked);
}

TEST_F(PlayerControl, ARefusedMoveTurnsTheTankAndIsHeard) {
    TankRecord& p = BattleState.Player;
    SetCell(6, 5, Water);
    p.trackFrame = 0;
    Hold({platform::VK_RIGHT});
    PlayerControlStep();
    EXPECT_EQ(p.x, 320);
    EXPECT_EQ(p.moveDir, Right);
    EXPECT_EQ(p.turretDir, Right);
    EXPECT_EQ(p.moveTicks, 0);
    EXPECT_EQ(p.trackFrame, 2);  // once for the turn, once for the refusal
    ASSERT_EQ(Sounds.size(), 1u);
    EXPECT_EQ(Sounds[0].id, 120);
    EXPECT_FALSE(Sounds[0].interrupting);
}

TEST_F(PlayerControl, AnEnemyInTheWayRefusesTheMove) {
    TankRecord enemy = TankAt(320, 256, Down);
    BattleState.EnemyList.push_back(enemy);
    BattleState.EnemyBulletLists.emplace_back();
    Hold({platform::VK_UP});
    PlayerControlStep();
    EXPECT_EQ(BattleState.Player.y, 320);
    BattleState.EnemyList[0].y = 192;  // two cells ahead: no longer in the way
    PlayerControlStep();
    EXPECT_EQ(BattleState.Player.y, 316);
}

TEST_F(PlayerControl, WithZHeldNoMoveStartsButAMoveGoesOn) {
    TankRecord& p = BattleState.Player;
    Hold({'Z', platform::VK_LEFT});
    PlayerControlStep();
    EXPECT_EQ(p.x, 320);
    EXPECT_EQ(p.moveDir, Up);
    p.moveTicks = 10;
    PlayerControlStep();
    EXPECT_EQ(p.y, 316);
    EXPECT_EQ(p.moveTicks, 9);
}

TEST_F(PlayerControl, TheGunFiresOnlyReloadedAndWithABulletFree) {
    TankRecord& p = BattleState.Player;
    Hold({platform::VK_SPACE});
    p.reloadTimer = 8;
    PlayerControlStep();
    EXPECT_TRUE(BattleState.PlayerBullets.empty());
    p.reloadTimer = 0;
    p.bulletsInFlight = 1;  // the one bullet of a fresh tank is out
    PlayerControlStep();
    EXPECT_TRUE(BattleState.PlayerBullets.empty());
    p.bulletsInFlight = 0;
    PlayerControlStep();
    ASSERT_EQ(BattleState.PlayerBullets.size(), 1u);
    EXPECT_EQ(BattleState.PlayerBullets[0].band, 2);
    EXPECT_EQ(BattleState.PlayerBullets[0].direction, Up);
    ASSERT_EQ(Sounds.size(), 1u);
    EXPECT_EQ(Sounds[0].id, 121);
    EXPECT_TRUE(Sounds[0].interrupting);
}

TEST_F(PlayerControl, ZWithUpAtTheFirstLevelStartsItAgain) {
    BattleState.LevelIndex = 0;
    Boxes.clear();
    Hold({'Z', platform::VK_UP, platform::VK_SPACE});
    PlayerControlStep();
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(Boxes[0].text, "准备进入第1关");
    EXPECT_EQ(BattleState.LevelIndex, 0);
    // The rest of the step runs on the new level: the first entering step,
    // and a shot at once (reload and bullets were reset).
    EXPECT_EQ(BattleState.Player.y, 700);
    EXPECT_EQ(BattleState.PlayerBullets.size(), 1u);
}
