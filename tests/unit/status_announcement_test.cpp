// The status while the box announcing a level is open: the level about to
// start, its enemies all still to come, not the counters the last level left.
#include <gtest/gtest.h>

#include "battle/level_start.h"
#include "platform/headless/headless.h"
#include "shell/status.h"
#include "state/battle_state.h"
#include "state/program_state.h"
#include "tests/unit/test_support.h"

TEST(StatusUnderTheAnnouncement, ShowsTheNextLevelWithAllItsEnemies) {
    ResetEverything();
    StartNewGame();
    // The last level cleared: nothing left to come and none on the field.
    BattleState.EnemiesToSpawn = 0;
    BattleState.EnemiesOnField = 0;
    BattleState.LevelIndex = 4;
    StatusRecord shown;
    headless::SetBoxAnswerer([&](const char*, const char*, uint32_t) {
        shown = CurrentStatus();
        return platform::IDOK;
    });
    StartLevel();
    EXPECT_EQ(shown.kind, GameStatus);
    EXPECT_EQ(shown.level, 5);
    EXPECT_EQ(shown.enemies, EnemiesPerLevel);
    // After the box the counters tell, as before.
    BattleState.EnemiesToSpawn = 3;
    EXPECT_EQ(CurrentStatus().enemies, 3);
    ResetEverything();
}
