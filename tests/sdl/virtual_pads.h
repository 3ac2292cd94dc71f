// What the gamepad tests share: SDL's virtual joysticks as pads, the backend
// started with them, and the game's own message loop run for a number of
// ticks of its timer.
#pragma once

#include <gtest/gtest.h>

// SDL itself comes with the backend's own headers below.

#include "platform/host.h"
#include "platform/platform.h"
#include "platform/sdl/sdl_desktop.h"
#include "shell/main_window.h"
#include "state/program_state.h"

namespace virtual_pads {

inline int TicksLeft = 0;
// Called before the game sees each tick, when a test sets it.
inline void (*BeforeTick)() = nullptr;
// Called each time a box starts to take answers (after its reading pause).
inline void (*OnBoxReady)() = nullptr;

// A virtual pad laid out as a game controller, opened; null when SDL has none.
inline SDL_Joystick* Attach(const char* name) {
    SDL_VirtualJoystickDesc pad{};
    pad.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    pad.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
    pad.naxes = SDL_CONTROLLER_AXIS_MAX;
    pad.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
    pad.name = name;
    const int index = SDL_JoystickAttachVirtualEx(&pad);
    if (index < 0 || !SDL_IsGameController(index))
        return nullptr;
    return SDL_JoystickOpen(index);
}

// Sets a button or an axis of a pad; SDL reports the change (as a real
// pad's) when it next reads its events.
inline void Button(SDL_Joystick* pad, SDL_GameControllerButton button, bool down) {
    SDL_JoystickSetVirtualButton(pad, button, down ? 1 : 0);
    SDL_PumpEvents();
}

inline void Axis(SDL_Joystick* pad, SDL_GameControllerAxis axis, int value) {
    SDL_JoystickSetVirtualAxis(pad, axis, Sint16(value));
    SDL_PumpEvents();
}

// The backend on SDL's dummy drivers (the display only when none is given),
// silent, with one pad for each name, attached in order into `pads`.
inline void StartWithPads(std::initializer_list<const char*> names, SDL_Joystick** pads) {
    SDL_setenv("SDL_VIDEODRIVER", "dummy", 0);
    SDL_setenv("SDL_AUDIODRIVER", "dummy", 1);
    // The dummy window never has the focus; pads count all the same.
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    ASSERT_TRUE(sdl::StartVideo());
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER), 0);
    for (const char* name : names) {
        *pads = Attach(name);
        ASSERT_NE(*pads++, nullptr) << name << ": " << SDL_GetError();
    }
    ASSERT_TRUE(sdl::OpenPads());
    host::SetVolume(0);
    sdl::Desktop.dialogReady = [] {
        if (OnBoxReady)
            OnBoxReady();
    };
}

// The game's own procedure, counted: ends the message loop after the ticks
// asked for.
inline intptr_t Counting(platform::Window window, uint32_t message, uintptr_t wParam,
                         intptr_t lParam) {
    if (message == platform::WM_TIMER && BeforeTick)
        BeforeTick();
    intptr_t result = MainWindowProcedure(window, message, wParam, lParam);
    if (message == platform::WM_TIMER && --TicksLeft == 0)
        platform::PostQuitMessage(0);
    return result;
}

// Runs the real message loop for that many ticks of the game's timer.
inline void RunTicks(int ticks) {
    TicksLeft = ticks;
    sdl::Desktop.quitPosted = false;
    platform::RunMessageLoop();
}

// The game started, its boxes answered by presses made before, watched by
// Counting with its timer running (it runs only while the window is active).
inline void StartTheGame() {
    // A fixed seed, so that the game is the same on every run.
    platform::FixCalendarTime(1);
    StartUp(platform::SW_SHOWNORMAL);
    sdl::Desktop.window.procedure = Counting;
    platform::SetTimer(MainWindow, BattleTimer, BattleTimerPeriodMs);
}

}  // namespace virtual_pads
