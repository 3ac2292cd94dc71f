// A tick never runs inside a box that another tick opened, even when the
// window is restored (which sets the timer again) while the box is open.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/headless/headless.h"
#include "state/battle_state.h"
#include "state/program_state.h"
#include "tests/unit/test_support.h"

namespace {

// Answers every box after a minimise and a restore and three timer steps,
// which is what a player can do on the desktop while a box is open; counts
// the boxes that open while another one is open.
int Depth = 0;
int DeepestNesting = 0;
int TicksTriedInBoxes = 0;

void NestingAnswerer() {
    Depth = 0;
    DeepestNesting = 0;
    TicksTriedInBoxes = 0;
    headless::SetBoxAnswerer([](const char*, const char*, uint32_t type) {
        ++Depth;
        DeepestNesting = std::max(DeepestNesting, Depth);
        headless::Deliver(platform::WM_SIZE, platform::SIZE_MINIMIZED, 0);
        headless::Deliver(platform::WM_SIZE, platform::SIZE_RESTORED, 0);
        for (int i = 0; i < 3; ++i) {
            ++TicksTriedInBoxes;
            headless::StepTick();
        }
        --Depth;
        return (type & 0xF) == platform::MB_YESNO ? platform::IDNO : platform::IDOK;
    });
}

}  // namespace

TEST(TickGuard, NoTickRunsInsideALevelStartBox) {
    StartGame(1, true);
    NestingAnswerer();
    BattleState.LevelClearDelay = 1;
    Ticks(1);  // play turns into LevelCleared
    EXPECT_EQ(GameMode, LevelCleared);
    // A frame inside the box would fire: the tank is loaded, the key held.
    Players[0].tank.reloadTimer = 0;
    Players[0].tank.bulletsInFlight = 0;
    headless::SetKeyDown(platform::VK_SPACE, true);
    Sounds.clear();
    Ticks(1);  // level 2 starts with its box
    EXPECT_EQ(BattleState.LevelIndex, 1);
    EXPECT_EQ(DeepestNesting, 1);
    EXPECT_EQ(TicksTriedInBoxes, 3);
    ASSERT_EQ(Sounds.size(), 1u);
    EXPECT_EQ(Sounds[0].id, 111);  // the level's music, and no shot
    EXPECT_TRUE(Players[0].bullets.empty());
    EXPECT_EQ(GameMode, Playing);
    // The next tick plays again, and fires.
    headless::SetBoxAnswerer(nullptr);
    Ticks(1);
    EXPECT_EQ(Players[0].bullets.size(), 1u);
}

TEST(TickGuard, GameOverOpensOneBoxAtATime) {
    StartGame();
    NestingAnswerer();
    GameMode = GameOver;
    Ticks(1);
    // The game-over box, then the new game's level box: one after the other.
    EXPECT_EQ(DeepestNesting, 1);
    EXPECT_EQ(GameMode, Playing);
    EXPECT_EQ(Players[0].lives, 3);
    // Ticks after the boxes run again.
    headless::SetBoxAnswerer(nullptr);
    const int32_t y = Players[0].tank.y;
    Ticks(1);
    EXPECT_EQ(Players[0].tank.y, y - 4);
}
