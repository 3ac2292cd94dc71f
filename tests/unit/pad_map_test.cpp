// The gamepad's meaning: the dead zone, the stronger axis, the D-pad before
// the stick, the face buttons by their place, and the fire and lock buttons.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "platform/input/pad_map.h"
#include "platform/platform.h"

using namespace padmap;

namespace {

std::vector<int> Held(std::initializer_list<PadButton> buttons,
                      std::initializer_list<std::pair<PadAxis, int>> axes = {}, int deadZone = 25) {
    PadState pad;
    for (PadButton b : buttons)
        pad.buttons[b] = true;
    for (auto [axis, value] : axes)
        pad.axes[axis] = int16_t(value);
    return HeldKeys(pad, deadZone);
}

const int Up = platform::VK_UP, Down = platform::VK_DOWN, Left = platform::VK_LEFT,
          Right = platform::VK_RIGHT;

}  // namespace

TEST(PadMap, TheLeftStickDrivesAlongItsStrongerAxisPastTheDeadZone) {
    EXPECT_EQ(Held({}), std::vector<int>{});
    // 25% of 32767 is 8191: that much is still rest.
    EXPECT_EQ(Held({}, {{LeftX, 8191}}), std::vector<int>{});
    EXPECT_EQ(Held({}, {{LeftX, 8192}}), std::vector<int>{Right});
    EXPECT_EQ(Held({}, {{LeftX, -8192}}), std::vector<int>{Left});
    EXPECT_EQ(Held({}, {{LeftY, -32768}}), std::vector<int>{Up});
    EXPECT_EQ(Held({}, {{LeftY, 20000}, {LeftX, -19999}}), std::vector<int>{Down});
    EXPECT_EQ(Held({}, {{LeftY, 20000}, {LeftX, -20001}}), std::vector<int>{Left});
    EXPECT_EQ(Held({}, {{LeftY, -9000}, {LeftX, 9000}}), std::vector<int>{Up});
    // The dead zone is the player's choice.
    EXPECT_EQ(Held({}, {{LeftX, 8192}}, 50), std::vector<int>{});
    EXPECT_EQ(Held({}, {{LeftX, 1}}, 0), std::vector<int>{Right});
    // The D-pad wins over the stick and may hold two arrows, as keys can.
    EXPECT_EQ(Held({DpadUp}, {{LeftX, 32767}}), std::vector<int>{Up});
    EXPECT_EQ(Held({DpadDown, DpadRight}), (std::vector<int>{Down, Right}));
}

TEST(PadMap, FaceButtonsTurnTheGunTowardTheirPlace) {
    EXPECT_EQ(Held({North}), std::vector<int>{'W'});
    EXPECT_EQ(Held({South}), std::vector<int>{'S'});
    EXPECT_EQ(Held({West}), std::vector<int>{'A'});
    EXPECT_EQ(Held({East}), std::vector<int>{'D'});
    EXPECT_EQ(Held({}, {{RightX, -30000}}), std::vector<int>{'A'});
    EXPECT_EQ(Held({East}, {{RightY, 30000}}), std::vector<int>{'D'});
    EXPECT_EQ(Held({}, {{RightY, 30000}, {LeftX, 30000}}), (std::vector<int>{Right, 'S'}));
}

TEST(PadMap, ShouldersAndTriggersFireAndLock) {
    EXPECT_EQ(Held({RightShoulder}), std::vector<int>{platform::VK_SPACE});
    EXPECT_EQ(Held({}, {{RightTrigger, 16383}}), std::vector<int>{});
    EXPECT_EQ(Held({}, {{RightTrigger, 16384}}), std::vector<int>{platform::VK_SPACE});
    EXPECT_EQ(Held({}, {{LeftTrigger, 32767}}), std::vector<int>{});
    EXPECT_EQ(Held({LeftShoulder}), std::vector<int>{'L'});
    // Start and Back are commands, not held keys.
    EXPECT_EQ(Held({Start, Back}), std::vector<int>{});
    EXPECT_EQ(CommandKey(Start), 'P');
    EXPECT_EQ(CommandKey(Back), 'H');
    EXPECT_EQ(CommandKey(South), 0);
}

// Start and Back alone give P and H as they are let go; pressed together
// they give Esc once (the menu), and neither its own command.
TEST(PadMap, StartAndBackTogetherOpenTheMenu) {
    padmap::CommandButtons buttons;
    EXPECT_EQ(CommandKeyDown(Start, buttons), 0);
    EXPECT_EQ(CommandKeyUp(Start, buttons), 'P');
    EXPECT_EQ(CommandKeyDown(Back, buttons), 0);
    EXPECT_EQ(CommandKeyUp(Back, buttons), 'H');
    // Together, in either order, and let go in any order.
    EXPECT_EQ(CommandKeyDown(Back, buttons), 0);
    EXPECT_EQ(CommandKeyDown(Start, buttons), platform::VK_ESCAPE);
    EXPECT_EQ(CommandKeyUp(Back, buttons), 0);
    // Back again while Start is still held: no second menu.
    EXPECT_EQ(CommandKeyDown(Back, buttons), 0);
    EXPECT_EQ(CommandKeyUp(Start, buttons), 0);
    EXPECT_EQ(CommandKeyUp(Back, buttons), 0);
    // All let go: each alone again.
    EXPECT_EQ(CommandKeyDown(Start, buttons), 0);
    EXPECT_EQ(CommandKeyUp(Start, buttons), 'P');
    // Other buttons and a release never pressed give nothing.
    EXPECT_EQ(CommandKeyDown(South, buttons), 0);
    EXPECT_EQ(CommandKeyUp(Back, buttons), 0);
}

// The second pad plays the second player: each key the first pad would hold
// becomes the second player's key of the same action, and no other key
// reaches the game from it.
TEST(PadMap, TheSecondPadHoldsTheSecondPlayersKeys) {
    padmap::PadState pad;
    pad.buttons[padmap::DpadUp] = true;
    pad.buttons[padmap::West] = true;
    pad.buttons[padmap::RightShoulder] = true;
    pad.buttons[padmap::LeftShoulder] = true;
    std::vector<int> second;
    for (int key : padmap::HeldKeys(pad, 25))
        second.push_back(padmap::SecondPlayerKey(key));
    std::sort(second.begin(), second.end());
    EXPECT_EQ(second, (std::vector<int>{platform::VK_P2_UP, platform::VK_P2_GUN_LEFT,
                                        platform::VK_P2_LOCK, platform::VK_P2_FIRE}));
    EXPECT_EQ(padmap::SecondPlayerKey('P'), 0);
    EXPECT_EQ(padmap::SecondPlayerKey('H'), 0);
}
