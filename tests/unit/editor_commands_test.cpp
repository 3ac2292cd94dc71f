// The editor: painting stops at the field's edges, its history keeps at
// least 200 steps per level, a try-out ends back in the editor whichever way
// its game ends, also when the window closes, and leaving never loses edits
// silently: F1 with edits not saved asks whether to save them, and a save
// that fails keeps the player there.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "editor/commands.h"
#include "editor/history.h"
#include "editor/painting.h"
#include "levels/level_grid.h"
#include "platform/headless/headless.h"
#include "state/program_state.h"
#include "tests/unit/fresh_directory.h"
#include "tests/unit/test_support.h"
#include "texts/texts.h"

namespace {

namespace fs = std::filesystem;

// Answers every question yes; OK boxes OK.
int Yes(const char*, const char*, uint32_t type) {
    return (type & 0xF) == platform::MB_YESNO ? platform::IDYES : platform::IDOK;
}

void Press(int key) {
    headless::Deliver(platform::WM_KEYDOWN, uintptr_t(key), 0);
}

// A game of the seed, then F1 into the editor, every question answered yes.
void IntoTheEditor(uint32_t seed) {
    StartGame(seed);
    headless::SetBoxAnswerer(Yes);
    Press(platform::VK_F1);
    ASSERT_EQ(GameMode, Editing);
    Ticks(1);
    Boxes.clear();
}

class EditorCommands : public ::testing::Test {
protected:
    void SetUp() override { IntoTheEditor(4); }
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

class EditorLeave : public InFreshDirectory {
protected:
    void SetUp() override {
        InFreshDirectory::SetUp();
        IntoTheEditor(6);
    }
    void TearDown() override {
        headless::SetBoxAnswerer(nullptr);
        InFreshDirectory::TearDown();
    }
};

}  // namespace

// A point just past the field's right or bottom edge paints nothing: the
// row below the last would be the next level's first.
TEST_F(EditorCommands, PaintingStopsAtTheFieldsEdges) {
    const std::vector<int32_t> before = LevelSet;
    PaintCellAt(100, FieldHeight, Water);
    PaintCellAt(FieldWidth, 100, Water);
    PaintCellAt(-1, 100, Water);
    EXPECT_EQ(LevelSet, before);
    PaintCellAt(FieldWidth - 1, FieldHeight - 1, Water);
    EXPECT_EQ(LevelSet[size_t(BattleState.LevelIndex * LevelCellCount + LevelCellCount - 1)],
              Water);
}

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

TEST_F(EditorLeave, AFailedSaveKeepsTheEditsAndTheEditor) {
    WriteLevelCell(0, 0, Stone);
    const std::vector<int32_t> edited = LevelSet;
    // A folder where the map file belongs: no save can replace it.
    fs::create_directory("map.txt");
    Press(platform::VK_F1);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>(
                              {"是否切换到游戏模式？", "是否保存自制地图？", "地图保存失败！"}));
    EXPECT_EQ(GameMode, Editing);
    EXPECT_EQ(LevelSet, edited);
    // Once the save can be made, leaving saves and plays.
    fs::remove("map.txt");
    Boxes.clear();
    Press(platform::VK_F1);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>({"是否切换到游戏模式？", "是否保存自制地图？",
                                                    "地图保存成功！", "准备进入第1关"}));
    EXPECT_EQ(GameMode, Playing);
    EXPECT_TRUE(fs::is_regular_file("map.txt"));
}

TEST_F(EditorLeave, AChangeOnAnyLevelCounts) {
    WriteLevelCell(0, 0, LevelSet[0]);  // the same value: no edit
    Press(platform::VK_F1);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>({"是否切换到游戏模式？", "准备进入第1关"}));
    headless::SetBoxAnswerer(Yes);
    Press(platform::VK_F1);
    ASSERT_EQ(GameMode, Editing);
    Boxes.clear();
    // The last cell of the last level, not the level in the editor.
    LevelSet[LevelSetSize - 1] += 1;
    headless::SetBoxAnswerer([](const char* text, const char* caption, uint32_t type) {
        return std::string(text) == "是否保存自制地图？" ? platform::IDNO
                                                         : Yes(text, caption, type);
    });
    Press(platform::VK_F1);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>(
                              {"是否切换到游戏模式？", "是否保存自制地图？", "准备进入第1关"}));
    EXPECT_FALSE(fs::exists("map.txt"));
}
