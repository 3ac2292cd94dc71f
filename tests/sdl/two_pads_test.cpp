// Two gamepads through the real SDL2 backend and the real game, with two of
// SDL's virtual joysticks: in a game of two players the first pad drives and
// fires the first tank and the second pad the second tank, at the same time,
// through the game's own message loop and window (SDL's dummy display, or a
// real X window under tests/e2e/two_pads_check.sh).
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

// Sets a button of a virtual pad; SDL reports it when it next reads events.
void Button(int pad, SDL_GameControllerButton button, bool down) {
    SDL_JoystickSetVirtualButton(Pads[pad], button, down ? 1 : 0);
    SDL_PumpEvents();
}

// The game's own procedure, ending the message loop after the ticks asked for.
intptr_t Counting(platform::Window window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    intptr_t result = MainWindowProcedure(window, message, wParam, lParam);
    if (message == platform::WM_TIMER && --TicksLeft == 0)
        platform::PostQuitMessage(0);
    return result;
}

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

}  // namespace

TEST_F(TwoPads, EachPadDrivesAndFiresItsOwnTankAtOnce) {
    // The first pad answers the start-up boxes (about, help, the sound
    // question, level 1's announcement); the game is one of two players.
    for (int k = 0; k < 4; ++k) {
        Button(0, SDL_CONTROLLER_BUTTON_A, true);
        Button(0, SDL_CONTROLLER_BUTTON_A, false);
    }
    PlayersChosen = 2;
    platform::FixCalendarTime(1);
    StartUp(platform::SW_SHOWNORMAL);
    ASSERT_EQ(GameMode, Playing);
    sdl::Desktop.window.procedure = Counting;
    platform::SetTimer(MainWindow, BattleTimer, BattleTimerPeriodMs);
    // Both tanks drive in from below the field by themselves.
    RunTicks(20);
    const TankRecord& first = BattleState.Player;
    const TankRecord& second = BattleState.Player2;
    ASSERT_EQ(first.y, 640);
    ASSERT_EQ(second.y, 640);
    ASSERT_EQ(first.x, 320);
    ASSERT_EQ(second.x, 576);

    // Both D-pads up and both right shoulders held: both tanks drive up and
    // fire, each from its own pad.
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
    EXPECT_LT(first.y, 640);
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
}
