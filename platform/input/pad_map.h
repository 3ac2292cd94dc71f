// What a gamepad means to the game: the keys its buttons and sticks hold,
// and the commands its Start and Back buttons give. Buttons are named by
// their place (south, east, west, north), as every common pad has them.
#pragma once

#include <cstdint>
#include <vector>

namespace padmap {

enum PadButton : int32_t {
    South,
    East,
    West,
    North,
    Back,
    Start,
    LeftShoulder,
    RightShoulder,
    DpadUp,
    DpadDown,
    DpadLeft,
    DpadRight,
    ButtonCount,
};

enum PadAxis : int32_t {
    LeftX,
    LeftY,
    RightX,
    RightY,
    LeftTrigger,
    RightTrigger,
    AxisCount,
};

struct PadState {
    bool buttons[ButtonCount] = {};
    // -32768 to 32767; down and right are positive, triggers 0 to 32767.
    int16_t axes[AxisCount] = {};
};

// The keys the pad holds: the D-pad, or else the left stick past the dead
// zone along its stronger axis, as the arrows; the face buttons by their
// place as W, D, A, S (north, east, west, south), or else the right stick as
// they; the right shoulder or a right trigger pulled halfway as Space; the
// left shoulder as L. `deadZonePercent` is of the stick's full travel.
std::vector<int> HeldKeys(const PadState& pad, int deadZonePercent);

// The key-down a button press gives as a command: P for Start, H for Back,
// 0 for the others.
int CommandKey(PadButton button);

// Start and Back as the desktop pads give them: each gives its command when
// it is let go, unless the other went down while it was held; the two
// together give Esc (the game's menu) as the second goes down, and neither
// its own command then.
struct CommandButtons {
    bool startDown = false;
    bool backDown = false;
    bool together = false;
};
// The key-down a press or a release gives (0 for none).
int CommandKeyDown(PadButton button, CommandButtons& buttons);
int CommandKeyUp(PadButton button, CommandButtons& buttons);

// The second player's key for a key a pad holds (the second pad attached
// plays the second player): the arrows, W A S D, L and Space become the
// second player's drive, gun, lock and fire keys; 0 for any other key.
int SecondPlayerKey(int key);

// Holds the keys of the driving pad and, as the second player's, those of
// the second pad (either list may be empty), letting go of the pad keys in
// `held` that are no longer held; `held` becomes what is held now.
void HoldKeysOfTwoPads(std::vector<int> first, const std::vector<int>& second,
                       std::vector<int>& held);

}  // namespace padmap
