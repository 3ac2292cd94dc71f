// The gamepad's meaning, without a gamepad: plain rules over its state.
#include "platform/input/pad_map.h"

#include <cstdlib>
#include <utility>

#include "platform/input/key_map.h"
#include "platform/platform.h"

namespace padmap {

namespace {

// The key a stick stands for along its stronger axis, or 0 within the dead
// zone; a tie goes to the vertical axis.
int StickKey(int x, int y, int deadZonePercent, int up, int down, int left, int right) {
    const int limit = 32767 * deadZonePercent / 100;
    if (std::abs(x) > std::abs(y))
        return std::abs(x) > limit ? (x < 0 ? left : right) : 0;
    return std::abs(y) > limit ? (y < 0 ? up : down) : 0;
}

}  // namespace

std::vector<int> HeldKeys(const PadState& pad, int deadZonePercent) {
    std::vector<int> keys;
    const bool* b = pad.buttons;
    if (b[DpadUp] || b[DpadDown] || b[DpadLeft] || b[DpadRight]) {
        if (b[DpadUp])
            keys.push_back(platform::VK_UP);
        if (b[DpadDown])
            keys.push_back(platform::VK_DOWN);
        if (b[DpadLeft])
            keys.push_back(platform::VK_LEFT);
        if (b[DpadRight])
            keys.push_back(platform::VK_RIGHT);
    } else if (int key =
                   StickKey(pad.axes[LeftX], pad.axes[LeftY], deadZonePercent, platform::VK_UP,
                            platform::VK_DOWN, platform::VK_LEFT, platform::VK_RIGHT)) {
        keys.push_back(key);
    }

    if (b[North] || b[South] || b[West] || b[East]) {
        if (b[North])
            keys.push_back('W');
        if (b[South])
            keys.push_back('S');
        if (b[West])
            keys.push_back('A');
        if (b[East])
            keys.push_back('D');
    } else if (int key = StickKey(pad.axes[RightX], pad.axes[RightY], deadZonePercent, 'W', 'S',
                                  'A', 'D')) {
        keys.push_back(key);
    }

    if (b[RightShoulder] || pad.axes[RightTrigger] > 16383)
        keys.push_back(platform::VK_SPACE);
    if (b[LeftShoulder])
        keys.push_back('L');
    return keys;
}

int CommandKey(PadButton button) {
    if (button == Start)
        return 'P';
    if (button == Back)
        return 'H';
    return 0;
}

int CommandKeyDown(PadButton button, CommandButtons& buttons) {
    if (button != Start && button != Back)
        return 0;
    bool& down = button == Start ? buttons.startDown : buttons.backDown;
    const bool other = button == Start ? buttons.backDown : buttons.startDown;
    down = true;
    if (!other || buttons.together)
        return 0;
    buttons.together = true;
    return platform::VK_ESCAPE;
}

int CommandKeyUp(PadButton button, CommandButtons& buttons) {
    if (button != Start && button != Back)
        return 0;
    bool& down = button == Start ? buttons.startDown : buttons.backDown;
    if (!down)
        return 0;
    down = false;
    const bool together = buttons.together;
    if (!buttons.startDown && !buttons.backDown)
        buttons.together = false;
    return together ? 0 : CommandKey(button);
}

int SecondPlayerKey(int key) {
    struct KeyPair {
        int first, second;
    };
    static constexpr KeyPair Pairs[] = {
        {platform::VK_UP, platform::VK_P2_UP},
        {platform::VK_DOWN, platform::VK_P2_DOWN},
        {platform::VK_LEFT, platform::VK_P2_LEFT},
        {platform::VK_RIGHT, platform::VK_P2_RIGHT},
        {'W', platform::VK_P2_GUN_UP},
        {'S', platform::VK_P2_GUN_DOWN},
        {'A', platform::VK_P2_GUN_LEFT},
        {'D', platform::VK_P2_GUN_RIGHT},
        {'L', platform::VK_P2_LOCK},
        {platform::VK_SPACE, platform::VK_P2_FIRE},
    };
    for (const KeyPair& pair : Pairs)
        if (pair.first == key)
            return pair.second;
    return 0;
}

void HoldKeysOfTwoPads(std::vector<int> first, const std::vector<int>& second,
                       std::vector<int>& held) {
    for (int key : second)
        if (int secondPlayers = SecondPlayerKey(key))
            first.push_back(secondPlayers);
    for (int key : held)
        keymap::SetPadKey(key, false);
    for (int key : first)
        keymap::SetPadKey(key, true);
    held = std::move(first);
}

}  // namespace padmap
