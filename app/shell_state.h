// The shell's globals, which live for the whole run: the mode the timer
// dispatches on, the sound setting, the window and the mouse.
#pragma once

#include <cstdint>

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

extern int32_t GameMode;
// The answer to the sound question at start-up; never changed afterwards.
extern bool SoundEnabled;
// The last mouse position over the window, each half of the message's
// position word taken as unsigned 16 bits.
extern int32_t MouseX;
extern int32_t MouseY;
extern platform::Window MainWindow;
