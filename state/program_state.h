// What lives for the whole run: the mode the timer dispatches on, the sound
// setting, the window, the mouse and the level set. The lock keys' latches
// live for the run too, each in its player's side (state/battle_state.h).
#pragma once

#include <cstdint>
#include <vector>

#include "platform/platform.h"

enum GameModeValue : int32_t {
    Playing = 0,
    PauseRequested = 1,
    GameOver = 2,
    AllCleared = 3,
    LevelCleared = 4,
    Editing = 5,
};

// The window timer that drives every tick: id 1, every 10 ms.
inline constexpr uintptr_t BattleTimer = 1;
inline constexpr uint32_t BattleTimerPeriodMs = 10;

extern GameModeValue GameMode;
// The answer to the sound question at start-up; never changed afterwards.
extern bool SoundEnabled;
// The last mouse position over the window, each half of the message's
// position word taken as unsigned 16 bits.
extern int32_t MouseX;
extern int32_t MouseY;
extern platform::Window MainWindow;

// True from the start of a tick to its end, boxes included.
extern bool TickUnderWay;
// True while a tick already run is run again after a rollback (online play):
// what lives outside the game's state (sound, the player's records) takes no
// note of it a second time.
extern bool TickRunAgain;

// Players of the next new game: 1, or 2 for a game of two players.
extern int32_t PlayersChosen;
// Whether N in play asks the players question: not while a replay of a
// format before two players plays, in which N did nothing.
extern bool PlayersQuestionOffered;
// How often the players question (N in play) was asked since program start:
// no rule reads it; a recording that holds one needs a reader that knows it.
extern int32_t PlayersQuestionsAsked;
// Whether Esc in play and in the editor opens the menu (shell/menu.h): the
// programs with a window, a replay of a run in which it did, morvask-sim once
// a script asks for the menu. How often the menu opened since program start:
// a recording in which it did needs a reader that knows it.
extern bool EscapeOpensMenu;
extern int32_t MenusOpened;
// The menu's rows that only some programs offer: Quit where the program can
// quit, Play online where it can play over the network. A replay's run is
// played with the rows it offered when its file says (version 6 on), so the
// recorded keys choose the same rows.
enum MenuHostRow : int32_t { MenuRowQuit = 1, MenuRowOnline = 2 };
extern int32_t MenuHostRows;
// True while a replay plays the input: what the player chose in the run is
// the recording's, never saved to the player's settings, and the keys the
// polls see are the recorded game keys, which no choice of keys may remap.
extern bool InputReplayed;

// All 35 levels back to back (level L, row j, column i at L*165 + j*15 + i).
// Its length is 5775 from start-up on; edits and a loaded map live here until
// the built-in levels are restored.
extern std::vector<int32_t> LevelSet;

// Every record above and the sides' lock latches back to their values at
// program start (LevelSet empty, as before start-up fills it).
void ResetRunState();
