// The reset between tests: what one test leaves in any module (the editor's
// session, history, clipboard and brush, a recording or playback, the frame
// layers, the battle) does not reach the next.
#include <gtest/gtest.h>

#include "editor/commands.h"
#include "editor/history.h"
#include "editor/painting.h"
#include "levels/level_grid.h"
#include "platform/headless/headless.h"
#include "render/frame_layers.h"
#include "replay/player.h"
#include "replay/recorder.h"
#include "tests/unit/test_support.h"

namespace {

void EnterEditor() {
    headless::SetBoxAnswerer([](const char*, const char*, uint32_t type) {
        return (type & 0xF) == platform::MB_YESNO ? platform::IDYES : platform::IDOK;
    });
    headless::Deliver(platform::WM_KEYDOWN, platform::VK_F1, 0);
    Ticks(1);
}

void PressWithControl(int key) {
    headless::SetKeyDown(platform::VK_CONTROL, true);
    headless::Deliver(platform::WM_KEYDOWN, uintptr_t(key), 0);
    headless::SetKeyDown(platform::VK_CONTROL, false);
}

}  // namespace

TEST(ProgramReset, NothingATestLeavesReachesTheNext) {
    ResetEverything();
    const std::map<std::string, int64_t> fresh = FlatBattleState();
    StartGame(4);
    const int32_t builtIn = LevelSet[0];
    EnterEditor();
    LevelSet[0] = builtIn == Water ? Ice : Water;
    PressWithControl('C');
    headless::Deliver(platform::WM_KEYDOWN, platform::VK_F5, 0);
    ASSERT_TRUE(TryingLevel());
    ASSERT_EQ(UndoStepCount(0), 1u);
    Brush = Water;
    DrawFramesWhole = true;
    BeginRecording(1);
    BeginPlayback(ReplayRecord{}, {.setKeys = [](const std::bitset<256>&) {},
                                   .deliver = [](uint32_t, uintptr_t, intptr_t) { return true; }});
    ScrambleBattleState();

    ResetEverything();
    EXPECT_EQ(FlatBattleState(), fresh);
    EXPECT_FALSE(TryingLevel());
    EXPECT_EQ(UndoStepCount(0), 0u);
    EXPECT_EQ(Brush, Brick);
    EXPECT_FALSE(DrawFramesWhole);
    std::string error;
    EXPECT_FALSE(FinishRecording(::testing::TempDir() + "program_reset.mvr", error));
    EXPECT_EQ(PlaybackState(), PlaybackSame);
    // A new editor session: nothing to paste, and a history of its own.
    StartGame(4);
    EnterEditor();
    PressWithControl('V');
    EXPECT_EQ(LevelSet[0], builtIn);
    LevelSet[0] = builtIn == Stone ? Ice : Stone;
    CommitEditorChanges();
    EXPECT_EQ(UndoStepCount(0), 1u);
}
