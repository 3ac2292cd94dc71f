// The keys of a tick of play and the shared commands, each side's own.
#include "netplay/tick_input.h"

#include "state/key_poll.h"
#include "state/program_state.h"

namespace {

constexpr int SideKeyCodes[2][TickKeyCount] = {
    {platform::VK_DOWN, platform::VK_LEFT, platform::VK_UP, platform::VK_RIGHT, 'S', 'A', 'W', 'D',
     'L', platform::VK_SPACE, 'Z', 'F'},
    {platform::VK_P2_DOWN, platform::VK_P2_LEFT, platform::VK_P2_UP, platform::VK_P2_RIGHT,
     platform::VK_P2_GUN_DOWN, platform::VK_P2_GUN_LEFT, platform::VK_P2_GUN_UP,
     platform::VK_P2_GUN_RIGHT, platform::VK_P2_LOCK, platform::VK_P2_FIRE, 0, 0},
};

}  // namespace

int TickKeyCode(int32_t side, int32_t bit) {
    if (side < 0 || side > 1 || bit < 0 || bit >= TickKeyCount)
        return 0;
    return SideKeyCodes[side][bit];
}

TickInput PollTickInput(int32_t side) {
    TickInput input;
    for (int32_t bit = 0; bit < TickKeyCount; ++bit) {
        const int code = TickKeyCode(side, bit);
        if (code != 0 && KeyIsDown(code))
            input.keys = uint16_t(input.keys | (1u << bit));
    }
    return input;
}

void ApplyTickCommands(const TickInput inputs[2]) {
    const bool pause = ((inputs[0].commands | inputs[1].commands) & PauseCommand) != 0;
    if (pause && GameMode == Playing)
        GameMode = PauseRequested;
}
