// Leaving the editor never loses edits silently: F1 with edits not saved asks
// whether to save them, and a save that fails keeps the player in the editor.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "levels/level_grid.h"
#include "platform/headless/headless.h"
#include "state/program_state.h"
#include "tests/unit/fresh_directory.h"
#include "tests/unit/test_support.h"

namespace {

namespace fs = std::filesystem;

void Press(int key) {
    headless::Deliver(platform::WM_KEYDOWN, uintptr_t(key), 0);
}

// Answers every question yes; OK boxes OK.
int Yes(const char*, const char*, uint32_t type) {
    return (type & 0xF) == platform::MB_YESNO ? platform::IDYES : platform::IDOK;
}

class EditorLeave : public InFreshDirectory {
protected:
    void SetUp() override {
        InFreshDirectory::SetUp();
        StartGame(6);
        headless::SetBoxAnswerer(Yes);
        Press(platform::VK_F1);
        ASSERT_EQ(GameMode, Editing);
        Ticks(1);
        Boxes.clear();
    }
    void TearDown() override {
        headless::SetBoxAnswerer(nullptr);
        InFreshDirectory::TearDown();
    }
};

}  // namespace

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
