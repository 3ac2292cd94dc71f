// The window procedure: the one place where the window's messages become the
// game's actions. Ticks run the current mode; a key goes to the editor's commands
// and keys (editor/) first, then to the shell's own.
#include <algorithm>
#include <cstdio>
#include <initializer_list>
#include <string>
#include <vector>

#include "battle/frame_step.h"
#include "battle/level_start.h"
#include "editor/commands.h"
#include "editor/mode_keys.h"
#include "editor/painting.h"
#include "levels/level_grid.h"
#include "options/key_bindings.h"
#include "shell/help_text.h"
#include "shell/main_window.h"
#include "shell/menu.h"
#include "shell/records.h"
#include "shell/unsaved_edits.h"
#include "state/battle_state.h"
#include "state/program_state.h"
#include "texts/extra_texts.h"
#include "texts/texts.h"

namespace {

void Tell(const char* text) {
    platform::MessageBox(MainWindow, text, "", platform::MB_OK);
}

bool Ask(const char* question) {
    return platform::MessageBox(MainWindow, question, "", platform::MB_YESNO) == platform::IDYES;
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
    switch (key) {
        case 'H':
            platform::MessageBox(MainWindow, CurrentHelpText(), Text(HelpCaption), platform::MB_OK);
            ShowHelpSecondPage();
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
        default:
            break;
    }
}

}  // namespace

bool EditsUnsaved() {
    return (GameMode == Editing || TryingLevel()) && !LevelSetAsSaved();
}

intptr_t MainWindowProcedure(platform::Window window, uint32_t message, uintptr_t wParam,
                             intptr_t lParam) {
    switch (message) {
        case platform::WM_TIMER:
            // A box opened by a tick runs its own message loop, in which a
            // restore (WM_SIZE) can set the timer again: a tick that arrives
            // while another is still under way is dropped, never nested.
            if (wParam == BattleTimer && !TickUnderWay && MenuOpen()) {
                // The game stands still under the menu.
                TickUnderWay = true;
                MenuTick();
                TickUnderWay = false;
            } else if (wParam == BattleTimer && !TickUnderWay) {
                TickUnderWay = true;
                if (!TickRunAgain)
                    WatchRecordsBeforeTick();
                EditorCommandTick();
                ModeTick();
                if (!TickRunAgain)
                    WatchRecords();
                TickUnderWay = false;
            }
            break;
        case platform::WM_KEYDOWN:
            if (MenuOpen()) {
                MenuKey(int(wParam));
            } else if (wParam == platform::VK_ESCAPE && EscapeOpensMenu && MenuMayOpen()) {
                OpenMenu();
            } else if (!EditorCommandKey(int(wParam)) && !EditorModeKey(int(wParam))) {
                KeyCommand(int(wParam));
            }
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
            CloseMenu();
            EditorCommandClosing();
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
