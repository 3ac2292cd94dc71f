// A gamepad through the real SDL2 backend and the real game, on SDL's dummy
// video driver with SDL's virtual joystick as the pad: A answers the boxes,
// the stick and the D-pad drive the tank, the right shoulder fires, Start
// pauses.
#include <gtest/gtest.h>

// SDL itself comes with the backend's own headers below.

#include "platform/platform.h"
#include "platform/sdl/sdl_backend.h"
#include "platform/sdl/sdl_controls.h"
#include "platform/sdl/sdl_desktop.h"
#include "shell/main_window.h"
#include "state/battle_state.h"
#include "state/program_state.h"

namespace {

SDL_Joystick* Pad = nullptr;
int TicksLeft = 0;
bool SawPauseRequest = false;

// Sets a button or an axis of the virtual pad; SDL reports the change (as
// a real pad's) when it next reads its events.
void Button(SDL_GameControllerButton button, bool down) {
    SDL_JoystickSetVirtualButton(Pad, button, down ? 1 : 0);
    SDL_PumpEvents();
}

void Axis(SDL_GameControllerAxis axis, int value) {
    SDL_JoystickSetVirtualAxis(Pad, axis, Sint16(value));
    SDL_PumpEvents();
}

// The game's own procedure, watched: ends the message loop after the ticks
// asked for, and presses A for the pause box that the next tick shows.
intptr_t Watching(platform::Window window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (message == platform::WM_TIMER && GameMode == PauseRequested) {
        SawPauseRequest = true;
        Button(SDL_CONTROLLER_BUTTON_START, false);
        Button(SDL_CONTROLLER_BUTTON_A, true);
    }
    intptr_t result = MainWindowProcedure(window, message, wParam, lParam);
    if (message == platform::WM_TIMER && --TicksLeft == 0)
        platform::PostQuitMessage(0);
    return result;
}

// Runs the real message loop for that many ticks of the game's timer.
void RunTicks(int ticks) {
    TicksLeft = ticks;
    sdl::Desktop.quitPosted = false;
    platform::RunMessageLoop();
}

class Gamepad : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        SDL_setenv("SDL_VIDEODRIVER", "dummy", 1);
        SDL_setenv("SDL_AUDIODRIVER", "dummy", 1);
        // The dummy window never has the focus; pads count all the same.
        SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
        ASSERT_TRUE(sdl::StartVideo());
        ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER), 0);
        SDL_VirtualJoystickDesc pad{};
        pad.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
        pad.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
        pad.naxes = SDL_CONTROLLER_AXIS_MAX;
        pad.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
        pad.name = "Virtual pad";
        int index = SDL_JoystickAttachVirtualEx(&pad);
        ASSERT_GE(index, 0) << SDL_GetError();
        ASSERT_TRUE(SDL_IsGameController(index));
        Pad = SDL_JoystickOpen(index);
        ASSERT_NE(Pad, nullptr);
        ASSERT_TRUE(sdl::StartPads());
        sdl::SetVolume(0);
    }
};

// Four presses of A for the start-up boxes: the about box, the help, the
// sound question (A takes the default, Yes) and level 1's announcement. The
// game then plays, watched, with its timer running.
void StartWithThePadAnsweringTheBoxes() {
    for (int k = 0; k < 4; ++k) {
        Button(SDL_CONTROLLER_BUTTON_A, true);
        Button(SDL_CONTROLLER_BUTTON_A, false);
    }
    // A fixed seed, so that the game is the same on every run.
    platform::FixCalendarTime(1);
    StartUp(platform::SW_SHOWNORMAL);
    EXPECT_TRUE(SoundEnabled);
    EXPECT_EQ(GameMode, Playing);
    sdl::Desktop.window.procedure = Watching;
    // The game's timer runs only while the window is active.
    platform::SetTimer(MainWindow, BattleTimer, BattleTimerPeriodMs);
    // The tank drives in from below the field by itself.
    RunTicks(20);
    ASSERT_EQ(BattleState.Player.y, 640);
}

// The left stick, pushed mostly up, drives up; within the dead zone it rests;
// the D-pad drives back down.
void DriveWithTheStickAndTheDpad() {
    TankRecord& player = BattleState.Player;
    Axis(SDL_CONTROLLER_AXIS_LEFTY, -30000);
    Axis(SDL_CONTROLLER_AXIS_LEFTX, 12000);
    RunTicks(40);
    EXPECT_LT(player.y, 640);
    EXPECT_EQ(player.moveDir, Up);
    Axis(SDL_CONTROLLER_AXIS_LEFTY, 0);
    Axis(SDL_CONTROLLER_AXIS_LEFTX, 0);
    RunTicks(20);
    const int32_t stoppedY = player.y;
    Axis(SDL_CONTROLLER_AXIS_LEFTY, 5000);
    RunTicks(20);
    EXPECT_EQ(player.y, stoppedY);
    Axis(SDL_CONTROLLER_AXIS_LEFTY, 0);

    Button(SDL_CONTROLLER_BUTTON_DPAD_DOWN, true);
    RunTicks(20);
    Button(SDL_CONTROLLER_BUTTON_DPAD_DOWN, false);
    EXPECT_GT(player.y, stoppedY);
    EXPECT_EQ(player.moveDir, Down);
    RunTicks(20);
}

// The north face button turns the gun up, the right shoulder fires.
void TurnTheGunAndFire() {
    TankRecord& player = BattleState.Player;
    Button(SDL_CONTROLLER_BUTTON_Y, true);
    RunTicks(2);
    Button(SDL_CONTROLLER_BUTTON_Y, false);
    EXPECT_EQ(player.turretDir, Up);
    EXPECT_EQ(player.reloadTimer, 0);
    Button(SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, true);
    RunTicks(2);
    Button(SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, false);
    EXPECT_GT(player.reloadTimer, 0);
}

}  // namespace

TEST_F(Gamepad, DrivesFiresPausesAndAnswersBoxes) {
    ASSERT_NO_FATAL_FAILURE(StartWithThePadAnsweringTheBoxes());
    DriveWithTheStickAndTheDpad();
    TurnTheGunAndFire();
    // Start pauses: the next tick shows the pause box, which A answers.
    Button(SDL_CONTROLLER_BUTTON_START, true);
    RunTicks(3);
    Button(SDL_CONTROLLER_BUTTON_A, false);
    EXPECT_TRUE(SawPauseRequest);
    EXPECT_EQ(GameMode, Playing);
}
