// Entering and leaving the editor, the map file's load and save, and the
// level chosen in the editor, with the level set as last loaded or saved.
#include "editor/mode_keys.h"

#include <vector>

#include "battle/level_start.h"
#include "levels/builtin_levels.h"
#include "levels/level_grid.h"
#include "levels/map_file.h"
#include "levels/shared_levels.h"
#include "state/battle_state.h"
#include "state/program_state.h"
#include "texts/texts.h"

namespace {

// The level set as the editor last loaded or saved it (or found it on
// entering): leaving the editor with anything else would lose edits.
std::vector<int32_t> LevelsAsSaved;

bool Ask(const char* question) {
    return platform::MessageBox(MainWindow, question, "", platform::MB_YESNO) == platform::IDYES;
}

// Leaving the editor with edits not saved asks, as closing the window does,
// whether to save them first; false (stay in the editor) when the save failed.
bool EditsKeptOrLetGo() {
    if (LevelSetAsSaved() || !Ask(SaveQuestionText().c_str()))
        return true;
    return SaveLevelsInForce();
}

// F1: from play into the editor on the map file's levels, or back to play
// on the built-in ones.
void SwitchModeCommand() {
    if (GameMode == Playing) {
        if (Ask(Text(AskEditorMode))) {
            GameMode = Editing;
            BattleState.LevelIndex = 0;
            LoadCustomMap();
            LevelsAsSaved = LevelSet;
            StartLevel();
        }
    } else if (GameMode == Editing) {
        // The edits, saved or let go, and a loaded map give way to the
        // built-in levels.
        if (Ask(Text(AskPlayMode)) && EditsKeptOrLetGo()) {
            RestoreBuiltInLevels();
            StartNewGame();
        }
    }
}

// F2: the map file, for a new game or into the editor.
void LoadMapCommand() {
    if ((GameMode != Playing && GameMode != Editing) || !Ask(Text(AskLoadMap)))
        return;
    const bool loaded = LoadCustomMap();
    if (GameMode == Playing) {
        StartNewGame();
        return;
    }
    if (loaded)
        LevelsAsSaved = LevelSet;
    BattleState.LevelIndex = 0;
    StartLevel();
}

// F3: the editor's levels into the map file.
void SaveMapCommand() {
    if (GameMode == Editing && Ask(SaveQuestionText().c_str()) && SaveLevelsInForce())
        LevelsAsSaved = LevelSet;
}

// Up and Down in the editor: the level before or after, within the set.
void ChooseLevelCommand(int32_t step) {
    const int32_t level = BattleState.LevelIndex + step;
    if (GameMode == Editing && level >= 0 && level < LevelCount) {
        BattleState.LevelIndex = level;
        StartLevel();
    }
}

}  // namespace

bool EditorModeKey(int key) {
    switch (key) {
        case platform::VK_UP:
            ChooseLevelCommand(-1);
            return true;
        case platform::VK_DOWN:
            ChooseLevelCommand(1);
            return true;
        case platform::VK_F1:
            SwitchModeCommand();
            return true;
        case platform::VK_F2:
            LoadMapCommand();
            return true;
        case platform::VK_F3:
            SaveMapCommand();
            return true;
        default:
            return false;
    }
}

bool LevelSetAsSaved() {
    return LevelSet == LevelsAsSaved;
}

void ResetEditorModeKeys() {
    LevelsAsSaved.clear();
}
