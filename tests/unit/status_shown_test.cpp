// The status shown around the field: under the box announcing a level, the
// level about to start with all its enemies; in the window title, a form that fits.
#include <gtest/gtest.h>

#include "battle/level_start.h"
#include "platform/headless/headless.h"
#include "platform/shared/dialog.h"
#include "shell/status.h"
#include "state/battle_state.h"
#include "state/program_state.h"
#include "tests/unit/test_support.h"
#include "texts/texts.h"

TEST(StatusUnderTheAnnouncement, ShowsTheNextLevelWithAllItsEnemies) {
    StartGame();
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

// A window on a screen 1366 pixels wide is 966 wide at the field's size; its
// caption leaves the title about 850 pixels beside the buttons, in a font
// that may run a quarter wider than the boxes' glyphs. Measured in those at
// the caption's size (13 pixels), the two-player title must fit in 620, in
// either language, with every number at its widest.
constexpr int TitleRoom = 620;

TEST(StatusInTheWindowTitle, TwoPlayersFitAWindowOnA1366PixelScreen) {
    StatusRecord status;
    status.kind = GameStatus;
    status.twoPlayers = true;
    status.level = 35;
    status.enemies = 20;
    status.tanks = status.tanks2 = 99;
    for (int32_t k = 0; k < UpgradeCount; ++k)
        status.upgrades[k] = status.upgrades2[k] = UpgradeCaps[k];
    for (Language language : {Chinese, English}) {
        CurrentLanguage = language;
        const std::string title = "Morvask V1.0 — " + WindowTitleSuffix(status);
        EXPECT_LE(dialog::LabelWidth(title, 13), TitleRoom) << title;
        // The long form, which morvask-sim's status line keeps, would not.
        EXPECT_GT(dialog::LabelWidth("Morvask V1.0 — " + StatusTitleSuffix(status), 13), TitleRoom);
    }
    CurrentLanguage = Chinese;
    // One player: the window shows the same form as ever.
    status.twoPlayers = false;
    EXPECT_EQ(WindowTitleSuffix(status), StatusTitleSuffix(status));
}
