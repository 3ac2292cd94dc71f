// The editor's history keeps at least 200 steps per level, and a try-out ends
// back in the editor whichever way its game ends, also when the window closes.
#include <gtest/gtest.h>

#include <string_view>

#include "editor/commands.h"
#include "editor/history.h"
#include "levels/level_grid.h"
#include "platform/headless/headless.h"
#include "state/program_state.h"
#include "tests/unit/test_support.h"
#include "texts/texts.h"

namespace {

void AnswerYes() {
    headless::SetBoxAnswerer([](const char*, const char*, uint32_t type) {
        return (type & 0xF) == platform::MB_YESNO ? platform::IDYES : platform::IDOK;
    });
}

void Press(int key) {
    headless::Deliver(platform::WM_KEYDOWN, uintptr_t(key), 0);
}

class EditorCommands : public ::testing::Test {
protected:
    void SetUp() override {
        StartGame(4);
        AnswerYes();
        Press(platform::VK_F1);
        ASSERT_EQ(GameMode, Editing);
        Ticks(1);
        Boxes.clear();
    }
    void TearDown() override {
        // Leave the editor, so the next test enters it afresh, letting the
        // edits go (a saved map would reach the next test).
        if (TryingLevel())
            Press(platform::VK_ESCAPE);
        headless::SetBoxAnswerer([](const char* text, const char*, uint32_t type) {
            if ((type & 0xF) != platform::MB_YESNO)
                return platform::IDOK;
            return std::string_view(text) == Text(AskSaveMap) ? platform::IDNO : platform::IDYES;
        });
        Press(platform::VK_F1);
        Ticks(1);
    }
};

}  // namespace

// At least 200 steps can be undone on a level, and not every step ever made:
// the oldest are forgotten, their results kept; the other levels' histories
// are their own.
TEST_F(EditorCommands, EachLevelKeepsItsLastStepsUpToTheDepth) {
    const std::vector<int32_t> before = LevelSet;
    const int32_t steps = 1200;
    for (int32_t i = 1; i <= steps; ++i) {
        LevelSet[i % LevelCellCount] = i;
        CommitEditorChanges();
    }
    const size_t kept = UndoStepCount(0);
    EXPECT_GE(kept, 200u);
    EXPECT_LT(kept, size_t(steps));
    for (size_t i = 0; i < kept; ++i)
        ASSERT_TRUE(UndoLevelEdit(0));
    EXPECT_FALSE(UndoLevelEdit(0));
    // Back to the level as it was after the last forgotten step.
    std::vector<int32_t> expected = before;
    for (int32_t i = 1; i <= steps - int32_t(kept); ++i)
        expected[i % LevelCellCount] = i;
    EXPECT_EQ(LevelSet, expected);
    EXPECT_EQ(RedoStepCount(0), kept);
    EXPECT_EQ(UndoStepCount(1), 0u);
}

TEST_F(EditorCommands, AGameOverInATryOutGoesBackToTheEditor) {
    BattleState.LevelIndex = 4;
    LevelSet[4 * LevelCellCount] = Stone;
    CommitEditorChanges();
    Press(platform::VK_F5);
    ASSERT_EQ(GameMode, Playing);
    EXPECT_EQ(BattleState.LevelIndex, 4);
    Ticks(5);
    BattleState.GameOverDelay = 1;
    Boxes.clear();
    Ticks(2);
    EXPECT_EQ(GameMode, Editing);
    EXPECT_EQ(BattleState.LevelIndex, 4);
    ASSERT_EQ(Boxes.size(), 2u);
    EXPECT_EQ(Boxes[0].text, "游戏结束！再接再厉！");
    EXPECT_EQ(Boxes[1].text, "第5关地图编辑");
    EXPECT_EQ(UndoStepCount(4), 1u);
    EXPECT_TRUE(UndoLevelEdit(4));
    EXPECT_NE(WorkingGrid[0], Stone);
}

TEST_F(EditorCommands, AClearedLevelInATryOutGoesBackToTheEditor) {
    BattleState.LevelIndex = 34;
    Press(platform::VK_F5);
    BattleState.LevelClearDelay = 1;
    Boxes.clear();
    Ticks(2);
    EXPECT_EQ(GameMode, Editing);
    EXPECT_EQ(BattleState.LevelIndex, 34);
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(Boxes[0].text, "第35关地图编辑");
}

TEST_F(EditorCommands, ClosingDuringATryOutAsksToSaveTheEdits) {
    Press(platform::VK_F5);
    ASSERT_TRUE(TryingLevel());
    // No, do not save: the test writes no map file.
    headless::SetBoxAnswerer(nullptr);
    Boxes.clear();
    headless::Deliver(platform::WM_CLOSE, 0, 0);
    ASSERT_GE(Boxes.size(), 2u);
    EXPECT_EQ(Boxes[0].text, "是否保存自制地图？");
    EXPECT_EQ(Boxes[1].text, "感谢使用！再见！");
    EXPECT_FALSE(TryingLevel());
    EXPECT_EQ(GameMode, Editing);
}
