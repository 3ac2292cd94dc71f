// The player's choice of keys, shared by the backends that offer it.
#include "platform/input/key_map.h"

#include <algorithm>
#include <bitset>
#include <map>
#include <vector>

#include "platform/platform.h"

namespace {

struct KeyChoices {
    std::map<int, std::vector<int>> polled;
    std::map<int, std::vector<int>> messages;
    std::bitset<256> padKeys;
    // Command keys a pad gave during an online game, not yet polled.
    std::bitset<256> padCommands;
};

KeyChoices Choices;

bool Contains(const std::vector<int>& keys, int key) {
    return std::find(keys.begin(), keys.end(), key) != keys.end();
}

}  // namespace

namespace keymap {

void Reset() {
    Choices = KeyChoices{};
}

bool GameKeyDown(int virtualKey, bool (*keyDown)(int virtualKey)) {
    if (PadKeyDown(virtualKey))
        return true;
    auto chosen = Choices.polled.find(virtualKey);
    if (chosen == Choices.polled.end())
        return keyDown(virtualKey);
    for (int key : chosen->second)
        if (keyDown(key))
            return true;
    return false;
}

int KeyDownMessages(int virtualKey, int messages[2]) {
    int count = 0;
    bool ownKeyMoved = false;
    for (const auto& [gameKey, keys] : Choices.messages) {
        if (Contains(keys, virtualKey) && count < 2)
            messages[count++] = gameKey;
        if (gameKey == virtualKey && !Contains(keys, virtualKey))
            ownKeyMoved = true;
    }
    // A key whose command moved to other keys no longer gives it; any other
    // key still arrives as itself (the editor's keys, the function keys).
    bool given = std::find(messages, messages + count, virtualKey) != messages + count;
    if (!ownKeyMoved && !given && count < 2)
        messages[count++] = virtualKey;
    return count;
}

void SetPadKey(int virtualKey, bool down) {
    if (virtualKey >= 0 && virtualKey < 256)
        Choices.padKeys[virtualKey] = down;
}

bool PadKeyDown(int virtualKey) {
    return virtualKey >= 0 && virtualKey < 256 && Choices.padKeys[virtualKey];
}

void NotePadCommand(int virtualKey) {
    if (virtualKey > 0 && virtualKey < 256)
        Choices.padCommands[virtualKey] = true;
}

bool PlayerKeyDown(int virtualKey, bool (*keyDown)(int virtualKey)) {
    if (GameKeyDown(virtualKey, keyDown))
        return true;
    if (virtualKey < 0 || virtualKey >= 256 || !Choices.padCommands[virtualKey])
        return false;
    Choices.padCommands[virtualKey] = false;
    return true;
}

}  // namespace keymap

namespace platform {

void BindKey(int virtualKey, const int* keys, int count) {
    Choices.polled[virtualKey].assign(keys, keys + count);
}

void BindKeyMessage(int virtualKey, const int* keys, int count) {
    Choices.messages[virtualKey].assign(keys, keys + count);
}

}  // namespace platform
