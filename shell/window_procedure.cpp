// The window procedure: the one place where the window's messages become the
// game's actions. Ticks run the current mode; keys give the shell's commands.
#include <algorithm>
#include <cstdio>
#include <initializer_list>
#include <string>
#include <vector>

#include "battle/frame_step.h"
#include "battle/level_start.h"
#include "editor/commands.h"
#include "editor/painting.h"
#include "levels/builtin_levels.h"
#include "levels/level_grid.h"
#include "levels/map_file.h"
#include "levels/shared_levels.h"
#include "options/key_bindings.h"
#include "shell/help_text.h"
#include "shell/main_window.h"
#include "shell/records.h"
#include "shell/unsaved_edits.h"
#include "state/battle_state.h"
#include "state/program_state.h"
#include "texts/extra_texts.h"
#include "texts/texts.h"

namespace {

// The level set as the editor last loaded or saved it (or found it on
// entering): leaving the editor with anything else would lose edits.
std::vector<int32_t> LevelsAsSaved;

void Tell(const char* text) {
    platform::MessageBox(MainWindow, text, "", platform::MB_OK);
}

bool Ask(const char* question) {
    return platform::MessageBox(MainWindow, question, "", platform::MB_YESNO) == platform::IDYES;
}

// Leaving the editor with edits not saved asks, as closing the window does,
// whether to save them first; false (stay in the editor) when the save failed.
bool EditsKeptOrLetGo() {
    if (LevelSet == LevelsAsSaved || !Ask(SaveQuestionText().c_str()))
        return true;
    return SaveLevelsInForce();
}

// The letters of the commands around the game (R, K, N) give way to a play
// action the player put on them.
bool KeyGivenToPlay(int key) {
    for (const std::vector<int>& keys : PlayerKeys.keys)
        if (std::find(keys.begin(), keys.end(), key) != keys.end())
            return true;
    return false;
}

void ModeTick() {
    switch (GameMode) {
        case Playing:
            FrameStep();
            break;
        case PauseRequested:
            Tell(Text(PausedText));
            GameMode = Playing;
            break;
        case GameOver:
            Tell(Text(GameOverText));
            StartNewGame();
            break;
        case AllCleared:
            Tell(Text(AllClearedText));
            StartNewGame();
            break;
        case LevelCleared:
            BattleState.LevelIndex += 1;
            // The victory box waits for the next tick.
            if (BattleState.LevelIndex == LevelCount) {
                GameMode = AllCleared;
            } else {
                GameMode = Playing;
                StartLevel();
            }
            break;
        case Editing:
            EditorStep();
            break;
        default:
            break;
    }
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

// The first key of each action, as "Keypad8, Keypad5, Keypad4, Keypad6".
std::string FirstKeys(std::initializer_list<PlayAction> actions) {
    std::string text;
    for (PlayAction action : actions) {
        if (!text.empty())
            text += ", ";
        text += KeyName(PlayerKeys.keys[action][0]);
    }
    return text;
}

// N in play: a new game for two players, or back to one; the choice holds
// for every new game after it.
void PlayersCommand() {
    PlayersQuestionsAsked += 1;
    const bool toTwo = PlayersChosen != 2;
    std::string question = ExtraText(OnePlayerQuestion);
    if (toTwo) {
        char text[512];
        std::snprintf(
            text, sizeof text, ExtraText(TwoPlayersQuestion),
            FirstKeys({Player2Up, Player2Down, Player2Left, Player2Right}).c_str(),
            FirstKeys({Player2GunUp, Player2GunDown, Player2GunLeft, Player2GunRight}).c_str(),
            KeyListText(PlayerKeys.keys[Player2Lock]).c_str(),
            KeyListText(PlayerKeys.keys[Player2Fire]).c_str());
        question = text;
    }
    if (!Ask(question.c_str()))
        return;
    PlayersChosen = toTwo ? 2 : 1;
    StartNewGame();
}

void KeyCommand(int key) {
    BattleStateRecord& battle = BattleState;
    switch (key) {
        case platform::VK_UP:
            if (GameMode == Editing && battle.LevelIndex > 0) {
                battle.LevelIndex -= 1;
                StartLevel();
            }
            break;
        case platform::VK_DOWN:
            if (GameMode == Editing && battle.LevelIndex < LevelCount - 1) {
                battle.LevelIndex += 1;
                StartLevel();
            }
            break;
        case 'H':
            platform::MessageBox(MainWindow, CurrentHelpText(), Text(HelpCaption), platform::MB_OK);
            break;
        case 'P':
            if (GameMode == Playing)
                GameMode = PauseRequested;
            break;
        case 'R':
            if (!KeyGivenToPlay('R'))
                ShowRecordsBox();
            break;
        case 'K':
            if ((GameMode == Playing || GameMode == Editing) && !KeyGivenToPlay('K'))
                platform::MessageBox(MainWindow, MoreKeysHelpText(), ExtraText(MoreKeysCaption),
                                     platform::MB_OK);
            break;
        case 'N':
            if (GameMode == Playing && PlayersQuestionOffered && !TryingLevel() &&
                !KeyGivenToPlay('N'))
                PlayersCommand();
            break;
        case platform::VK_F1:
            SwitchModeCommand();
            break;
        case platform::VK_F2:
            LoadMapCommand();
            break;
        case platform::VK_F3:
            if (GameMode == Editing && Ask(SaveQuestionText().c_str()) && SaveLevelsInForce())
                LevelsAsSaved = LevelSet;
            break;
        default:
            break;
    }
}

}  // namespace

bool EditsUnsaved() {
    return (GameMode == Editing || TryingLevel()) && LevelSet != LevelsAsSaved;
}

intptr_t MainWindowProcedure(platform::Window window, uint32_t message, uintptr_t wParam,
                             intptr_t lParam) {
    switch (message) {
        case platform::WM_TIMER:
            // A box opened by a tick runs its own message loop, in which a
            // restore (WM_SIZE) can set the timer again: a tick that arrives
            // while another is still under way is dropped, never nested.
            if (wParam == BattleTimer && !TickUnderWay) {
                TickUnderWay = true;
                WatchRecordsBeforeTick();
                EditorCommandTick();
                ModeTick();
                WatchRecords();
                TickUnderWay = false;
            }
            break;
        case platform::WM_KEYDOWN:
            if (!EditorCommandKey(int(wParam)))
                KeyCommand(int(wParam));
            WatchRecords();
            break;
        case platform::WM_MOUSEMOVE:
            MouseX = int32_t(lParam & 0xFFFF);
            MouseY = int32_t((lParam >> 16) & 0xFFFF);
            break;
        case platform::WM_SIZE:
            // No tick runs while the window is minimised.
            if (wParam == platform::SIZE_RESTORED)
                platform::SetTimer(window, BattleTimer, BattleTimerPeriodMs);
            else if (wParam == platform::SIZE_MINIMIZED)
                platform::KillTimer(window, BattleTimer);
            break;
        case platform::WM_ACTIVATE:
            // Every message box deactivates the window, so the game stands
            // still while one is open and no tick is ever re-entered.
            if ((wParam & 0xFFFF) != platform::WA_INACTIVE)
                platform::SetTimer(window, BattleTimer, BattleTimerPeriodMs);
            else
                platform::KillTimer(window, BattleTimer);
            break;
        case platform::WM_CLOSE:
            EditorCommandClosing();
            if (GameMode == Editing && Ask(SaveQuestionText().c_str()))
                SaveLevelsInForce();
            Tell(Text(FarewellText));
            break;
        case platform::WM_DESTROY:
            platform::PostQuitMessage(0);
            break;
        default:
            break;
    }
    return platform::DefWindowProc(window, message, wParam, lParam);
}
