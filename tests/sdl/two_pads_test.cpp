// Two gamepads through the real SDL2 backend and the real game, with two of
// SDL's virtual joysticks: in a game of two players the first pad drives and
// fires the first tank and the second pad the second tank, at the same time,
// through the game's own message loop and window (SDL's dummy display, or a
// real X window under tests/e2e/two_pads_check.sh).
#include "state/battle_state.h"
#include "state/program_state.h"
#include "tests/sdl/virtual_pads.h"

namespace {

using virtual_pads::RunTicks;

SDL_Joystick* Pads[2] = {nullptr, nullptr};

void Button(int pad, SDL_GameControllerButton button, bool down) {
    virtual_pads::Button(Pads[pad], button, down);
}

class TwoPads : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // SDL's dummy display unless one is given: two_pads_check.sh gives
        // x11 on a virtual X server, where the window is a real one.
        ASSERT_NO_FATAL_FAILURE(virtual_pads::StartWithPads({"First pad", "Second pad"}, Pads));
    }
};

}  // namespace

TEST_F(TwoPads, EachPadDrivesAndFiresItsOwnTankAtOnce) {
    // The first pad answers the start-up boxes (about, help, the sound
    // question, level 1's announcement); the game is one of two players.
    // Each once it takes answers: a press before then is not taken.
    virtual_pads::OnBoxReady = [] {
        Button(0, SDL_CONTROLLER_BUTTON_A, true);
        Button(0, SDL_CONTROLLER_BUTTON_A, false);
    };
    PlayersChosen = 2;
    virtual_pads::StartTheGame();
    ASSERT_EQ(GameMode, Playing);
    // Both tanks drive in from below the field by themselves.
    RunTicks(20);
    const TankRecord& first = Players[0].tank;
    const TankRecord& second = Players[1].tank;
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
    EXPECT_FALSE(Players[0].bullets.empty());
    EXPECT_FALSE(Players[1].bullets.empty());
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
