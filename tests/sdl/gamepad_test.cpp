// A gamepad through the real SDL2 backend and the real game, on SDL's dummy
// video driver with SDL's virtual joystick as the pad: A answers the boxes,
// the stick and the D-pad drive the tank, the right shoulder fires, Start
// pauses, and in an online game Start is the player's P.
#include "state/battle_state.h"
#include "state/program_state.h"
#include "tests/sdl/virtual_pads.h"

namespace {

using virtual_pads::RunTicks;

SDL_Joystick* Pad = nullptr;
bool SawPauseRequest = false;

void Button(SDL_GameControllerButton button, bool down) {
    virtual_pads::Button(Pad, button, down);
}

void Axis(SDL_GameControllerAxis axis, int value) {
    virtual_pads::Axis(Pad, axis, value);
}

// Before each tick: A for the pause box that the tick after Start shows.
void AnswerThePause() {
    if (GameMode == PauseRequested) {
        SawPauseRequest = true;
        Button(SDL_CONTROLLER_BUTTON_START, false);
        Button(SDL_CONTROLLER_BUTTON_A, true);
    }
}

class Gamepad : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_NO_FATAL_FAILURE(virtual_pads::StartWithPads({"Virtual pad"}, &Pad));
    }
};

// A press of A once a box takes answers (a press held from before is let go
// first): it answers the start-up boxes, the about box, the help, the sound
// question (A takes the default, Yes) and level 1's announcement, and the
// pause. The game then plays, watched, with its timer running.
void PressA() {
    Button(SDL_CONTROLLER_BUTTON_A, false);
    Button(SDL_CONTROLLER_BUTTON_A, true);
    Button(SDL_CONTROLLER_BUTTON_A, false);
}

void StartWithThePadAnsweringTheBoxes() {
    virtual_pads::OnBoxReady = PressA;
    virtual_pads::BeforeTick = AnswerThePause;
    virtual_pads::StartTheGame();
    EXPECT_TRUE(SoundEnabled);
    EXPECT_EQ(GameMode, Playing);
    // The tank drives in from below the field by itself.
    RunTicks(20);
    ASSERT_EQ(Players[0].tank.y, 640);
}

// The left stick, pushed mostly up, drives up; within the dead zone it rests;
// the D-pad drives back down.
void DriveWithTheStickAndTheDpad() {
    TankRecord& player = Players[0].tank;
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
    TankRecord& player = Players[0].tank;
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
    // Start, let go, pauses (pressed with Back it opens the menu instead):
    // the next tick shows the pause box, which A answers.
    Button(SDL_CONTROLLER_BUTTON_START, true);
    Button(SDL_CONTROLLER_BUTTON_START, false);
    RunTicks(3);
    Button(SDL_CONTROLLER_BUTTON_A, false);
    EXPECT_TRUE(SawPauseRequest);
    EXPECT_EQ(GameMode, Playing);
}

namespace {

int Polls = 0;
int PollsSeeingP = 0;

// An online game's tick as its driver reads the player's own keys.
bool PollLikeAnOnlineGame() {
    ++Polls;
    if (host::PlayerKeyDown('P'))
        ++PollsSeeingP;
    return Polls < 40;
}

}  // namespace

// In an online game no key-down reaches the game: Start, let go, is read as
// the player's P by the next poll of their keys, once per press.
TEST_F(Gamepad, StartInAnOnlineGameIsThePlayersPReadOncePerPress) {
    host::SetReplayDriver(
        {.playTick = PollLikeAnOnlineGame, .tickMs = int(BattleTimerPeriodMs), .live = true});
    Button(SDL_CONTROLLER_BUTTON_START, true);
    Button(SDL_CONTROLLER_BUTTON_START, false);
    platform::RunMessageLoop();
    EXPECT_EQ(Polls, 40);
    EXPECT_EQ(PollsSeeingP, 1);
}
