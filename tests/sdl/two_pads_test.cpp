// Two gamepads (SDL's virtual joysticks) through the real SDL2 backend and the
// real game's message loop and window, in a game of two players: the first pad
// answers the boxes, drives with its stick (a dead zone) and D-pad, turns the
// gun, fires and pauses; each pad drives and fires its own tank at the same
// time. On SDL's dummy display, or a real X window under
// tests/e2e/two_pads_check.sh.
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

SDL_Joystick* Pads[2] = {nullptr, nullptr};
int TicksLeft = 0;
bool SawPauseRequest = false;

// Sets a button or an axis of a virtual pad; SDL reports the change (as a
// real pad's) when it next reads its events.
void Button(int pad, SDL_GameControllerButton button, bool down) {
    SDL_JoystickSetVirtualButton(Pads[pad], button, down ? 1 : 0);
    SDL_PumpEvents();
}

void Stick(int up, int right) {
    SDL_JoystickSetVirtualAxis(Pads[0], SDL_CONTROLLER_AXIS_LEFTY, Sint16(-up));
    SDL_JoystickSetVirtualAxis(Pads[0], SDL_CONTROLLER_AXIS_LEFTX, Sint16(right));
    SDL_PumpEvents();
}

// The game's own procedure, watched: ends the message loop after the ticks
// asked for, and presses A for the pause box that the next tick shows.
intptr_t Watching(platform::Window window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (message == platform::WM_TIMER && GameMode == PauseRequested) {
        SawPauseRequest = true;
        Button(0, SDL_CONTROLLER_BUTTON_START, false);
        Button(0, SDL_CONTROLLER_BUTTON_A, true);
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

SDL_Joystick* AttachPad(const char* name) {
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

class TwoPads : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // SDL's dummy display unless one is given: two_pads_check.sh gives
        // x11 on a virtual X server, where the window is a real one.
        SDL_setenv("SDL_VIDEODRIVER", "dummy", 0);
        SDL_setenv("SDL_AUDIODRIVER", "dummy", 1);
        // The dummy window never has the focus; pads count all the same.
        SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
        ASSERT_TRUE(sdl::StartVideo());
        ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER), 0);
        Pads[0] = AttachPad("First pad");
        Pads[1] = AttachPad("Second pad");
        ASSERT_NE(Pads[0], nullptr) << SDL_GetError();
        ASSERT_NE(Pads[1], nullptr) << SDL_GetError();
        ASSERT_TRUE(sdl::StartPads());
        sdl::SetVolume(0);
    }
};

// Four presses of A on the first pad answer the start-up boxes: the about
// box, the help, the sound question (A takes the default, Yes) and level 1's
// announcement. Both tanks then drive in from below the field by themselves.
void StartWithThePadAnsweringTheBoxes() {
    for (int k = 0; k < 4; ++k) {
        Button(0, SDL_CONTROLLER_BUTTON_A, true);
        Button(0, SDL_CONTROLLER_BUTTON_A, false);
    }
    PlayersChosen = 2;
    // A fixed seed, so that the game is the same on every run.
    platform::FixCalendarTime(1);
    StartUp(platform::SW_SHOWNORMAL);
    EXPECT_TRUE(SoundEnabled);
    ASSERT_EQ(GameMode, Playing);
    sdl::Desktop.window.procedure = Watching;
    // The game's timer runs only while the window is active.
    platform::SetTimer(MainWindow, BattleTimer, BattleTimerPeriodMs);
    RunTicks(20);
    ASSERT_EQ(BattleState.Player.y, 640);
    ASSERT_EQ(BattleState.Player2.y, 640);
    ASSERT_EQ(BattleState.Player.x, 320);
    ASSERT_EQ(BattleState.Player2.x, 576);
}

// The first pad's left stick, pushed mostly up, drives the first tank up;
// within the dead zone it rests; the D-pad drives back down; the north face
// button turns the gun up. The second tank stays where it is.
void DriveTheFirstTankAlone() {
    const TankRecord& first = BattleState.Player;
    Stick(30000, 12000);
    RunTicks(40);
    EXPECT_LT(first.y, 640);
    EXPECT_EQ(first.moveDir, Up);
    Stick(0, 0);
    RunTicks(20);
    const int32_t stoppedY = first.y;
    Stick(-5000, 0);
    RunTicks(20);
    EXPECT_EQ(first.y, stoppedY);
    Stick(0, 0);

    Button(0, SDL_CONTROLLER_BUTTON_DPAD_DOWN, true);
    RunTicks(20);
    Button(0, SDL_CONTROLLER_BUTTON_DPAD_DOWN, false);
    EXPECT_GT(first.y, stoppedY);
    EXPECT_EQ(first.moveDir, Down);
    RunTicks(20);
    Button(0, SDL_CONTROLLER_BUTTON_Y, true);
    RunTicks(2);
    Button(0, SDL_CONTROLLER_BUTTON_Y, false);
    EXPECT_EQ(first.turretDir, Up);
    EXPECT_EQ(BattleState.Player2.y, 640);
    EXPECT_TRUE(BattleState.PlayerBullets.empty());
}

}  // namespace

TEST_F(TwoPads, EachPadDrivesAndFiresItsOwnTankAtOnce) {
    ASSERT_NO_FATAL_FAILURE(StartWithThePadAnsweringTheBoxes());
    DriveTheFirstTankAlone();
    const TankRecord& first = BattleState.Player;
    const TankRecord& second = BattleState.Player2;

    // Both D-pads up and both right shoulders held: both tanks drive up and
    // fire, each from its own pad.
    const int32_t firstDown = first.y;
    for (int pad = 0; pad < 2; ++pad) {
        Button(pad, SDL_CONTROLLER_BUTTON_DPAD_UP, true);
        Button(pad, SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, true);
    }
    RunTicks(2);
    EXPECT_FALSE(BattleState.PlayerBullets.empty());
    EXPECT_FALSE(BattleState.Player2Bullets.empty());
    EXPECT_GT(first.reloadTimer, 0);
    EXPECT_GT(second.reloadTimer, 0);
    RunTicks(30);
    EXPECT_LT(first.y, firstDown);
    EXPECT_LT(second.y, 640);
    EXPECT_EQ(first.x, 320);
    EXPECT_EQ(second.x, 576);
    for (int pad = 0; pad < 2; ++pad) {
        Button(pad, SDL_CONTROLLER_BUTTON_DPAD_UP, false);
        Button(pad, SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, false);
    }

    // The second pad alone: only the second tank moves, back down the way
    // it came.
    RunTicks(5);
    const int32_t firstY = first.y, secondY = second.y;
    Button(1, SDL_CONTROLLER_BUTTON_DPAD_DOWN, true);
    RunTicks(10);
    Button(1, SDL_CONTROLLER_BUTTON_DPAD_DOWN, false);
    EXPECT_EQ(first.y, firstY);
    EXPECT_GT(second.y, secondY);
    EXPECT_EQ(second.moveDir, Down);

    // Start pauses: the next tick shows the pause box, which A answers.
    Button(0, SDL_CONTROLLER_BUTTON_START, true);
    RunTicks(3);
    Button(0, SDL_CONTROLLER_BUTTON_A, false);
    EXPECT_TRUE(SawPauseRequest);
    EXPECT_EQ(GameMode, Playing);
}
