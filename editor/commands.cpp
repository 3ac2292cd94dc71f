// Undo and redo, copy, paste and clear of a whole level, and the try-out of
// the level being edited, on top of the editor's painting.
#include "editor/commands.h"

#include <vector>

#include "battle/level_start.h"
#include "editor/history.h"
#include "editor/map_versions.h"
#include "editor/share_keys.h"
#include "levels/level_grid.h"
#include "levels/map_file.h"
#include "levels/shared_levels.h"
#include "state/battle_state.h"
#include "state/key_poll.h"
#include "state/program_state.h"
#include "texts/texts.h"

namespace {

bool EditorSession = false;
std::vector<int32_t> Clipboard;

// The try-out: the editor's level and level set to go back to.
bool Trying = false;
int32_t TriedLevel = 0;
std::vector<int32_t> EditedLevels;

std::vector<int32_t> CurrentLevelCells() {
    auto first = LevelSet.begin() + BattleState.LevelIndex * LevelCellCount;
    return std::vector<int32_t>(first, first + LevelCellCount);
}

// Entering the editor starts fresh histories; leaving it drops them. A
// try-out is still the editor's.
void FollowEditorSession() {
    bool editing = GameMode == Editing || Trying;
    if (editing && !EditorSession)
        ResetEditorHistory();
    else if (!editing && EditorSession)
        DropEditorHistory();
    EditorSession = editing;
}

void StartTry() {
    CommitEditorChanges();
    Trying = true;
    TriedLevel = BattleState.LevelIndex;
    EditedLevels = LevelSet;
    // A fresh game on this level, as a new game starts on the first.
    ResetPlayers();
    GameMode = Playing;
    StartLevel();
}

// Back to the editor on the level tried, with the level set as it was.
void EndTry(bool announce) {
    Trying = false;
    LevelSet = EditedLevels;
    EditedLevels.clear();
    GameMode = Editing;
    BattleState.LevelIndex = TriedLevel;
    if (announce)
        StartLevel();
}

}  // namespace

bool TryingLevel() {
    return Trying;
}

void ResetEditorCommands() {
    EditorSession = false;
    Clipboard.clear();
    Trying = false;
    TriedLevel = 0;
    EditedLevels.clear();
}

bool EditorCommandKey(int key) {
    FollowEditorSession();
    if (key == platform::VK_DROP) {
        if (!Trying)
            TakeDroppedText();
        return true;
    }
    if (Trying) {
        // The game's own F1 would enter the editor on a map file and F2 load
        // one: during a try-out, F1 goes back instead and F2 does nothing.
        if (key == platform::VK_ESCAPE || key == platform::VK_F1) {
            EndTry(true);
            return true;
        }
        return key == platform::VK_F2;
    }
    if (GameMode != Editing)
        return false;
    const int32_t level = BattleState.LevelIndex;
    if (key == platform::VK_F5) {
        StartTry();
        return true;
    }
    if (key == platform::VK_F4) {
        BringBackMapVersion();
        return true;
    }
    if (!KeyIsDown(platform::VK_CONTROL))
        return false;
    const bool shift = KeyIsDown(platform::VK_SHIFT);
    if (shift && EditorShareKey(key))
        return true;
    if (key == 'Z' && !shift) {
        UndoLevelEdit(level);
    } else if (key == 'Y' || (key == 'Z' && shift)) {
        RedoLevelEdit(level);
    } else if (key == 'C') {
        Clipboard = CurrentLevelCells();
    } else if (key == 'V') {
        if (!Clipboard.empty())
            ReplaceLevelCells(level, Clipboard);
    } else if (key == platform::VK_DELETE) {
        std::vector<int32_t> cells = CurrentLevelCells();
        for (int32_t& cell : cells)
            if (CellTerrain(cell) != Base)
                cell = Empty;
        ReplaceLevelCells(level, cells);
    } else {
        return false;
    }
    return true;
}

void EditorCommandTick() {
    FollowEditorSession();
    if (Trying) {
        if (GameMode == GameOver) {
            platform::MessageBox(MainWindow, Text(GameOverText), "", platform::MB_OK);
            EndTry(true);
        } else if (GameMode == LevelCleared || GameMode == AllCleared) {
            EndTry(true);
        }
        return;
    }
    if (GameMode == Editing && !KeyIsDown(platform::VK_LBUTTON) && !KeyIsDown(platform::VK_RBUTTON))
        CommitEditorChanges();
}

void EditorCommandClosing() {
    if (Trying)
        EndTry(false);
    if (GameMode == Editing && platform::MessageBox(MainWindow, SaveQuestionText().c_str(), "",
                                                    platform::MB_YESNO) == platform::IDYES)
        SaveLevelsInForce();
}
