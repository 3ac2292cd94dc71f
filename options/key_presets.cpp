// The key presets and the check of a key chosen in the game.
#include "options/key_presets.h"

#include <algorithm>

#include "platform/platform.h"

namespace {

constexpr int VkEnter = 0x0D;
constexpr int VkHome = 0x24;
constexpr int VkEnd = 0x23;
constexpr int VkPageDown = 0x22;

struct PresetKey {
    PlayAction action;
    int key;
};

// Two players at one keyboard without a keypad: the first on the right
// (arrows, the block of Home and End above them, Enter to fire), the second
// on the left (W, A, S, D to drive, the keys around W to aim, Space to
// fire). No key here is one of the game's commands (R, K, N, F, Z, the
// function keys) or the other player's.
constexpr PresetKey LaptopKeys[] = {
    {MoveUp, platform::VK_UP},
    {MoveDown, platform::VK_DOWN},
    {MoveLeft, platform::VK_LEFT},
    {MoveRight, platform::VK_RIGHT},
    {GunUp, VkHome},
    {GunDown, VkEnd},
    {GunLeft, platform::VK_DELETE},
    {GunRight, VkPageDown},
    {LockGun, 'L'},
    {Fire, VkEnter},
    {PauseGame, 'P'},
    {ShowHelp, 'H'},
    {Player2Up, 'W'},
    {Player2Down, 'S'},
    {Player2Left, 'A'},
    {Player2Right, 'D'},
    {Player2GunUp, '2'},
    {Player2GunDown, 'X'},
    {Player2GunLeft, 'Q'},
    {Player2GunRight, 'E'},
    {Player2Lock, 'C'},
    {Player2Fire, platform::VK_SPACE},
};
static_assert(std::size(LaptopKeys) == PlayActionCount, "a key for every action");

}  // namespace

KeyBindings PresetKeyBindings(KeyPreset preset) {
    KeyBindings bindings = DefaultKeyBindings();
    if (preset == LaptopKeysPreset)
        for (const PresetKey& entry : LaptopKeys)
            bindings.keys[entry.action] = {entry.key};
    return bindings;
}

KeyChoice CheckKeyChoice(const KeyBindings& bindings, PlayAction action, int key) {
    if (KeyFromName(KeyName(key)) != key)
        return {.outcome = KeyChoice::Unnamed};
    if (KeyIsReserved(key) || key == platform::VK_ESCAPE)
        return {.outcome = KeyChoice::Reserved};
    for (int other = 0; other < PlayActionCount; ++other) {
        if (other == action)
            continue;
        const std::vector<int>& keys = bindings.keys[other];
        if (std::find(keys.begin(), keys.end(), key) != keys.end())
            return {.outcome = KeyChoice::Taken, .holder = PlayAction(other)};
    }
    return {};
}

std::string KeyListSetting(const std::vector<int>& keys) {
    std::string text;
    for (int key : keys)
        text += (text.empty() ? "" : ", ") + std::string(KeyName(key));
    return text;
}
