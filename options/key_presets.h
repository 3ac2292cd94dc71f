// Setting the play keys from inside the game: one key chosen for one action
// (refused when another action or the game's own commands have it), and the
// presets that set every action at once.
#pragma once

#include <string>

#include "options/key_bindings.h"

enum KeyPreset : int32_t {
    DefaultKeysPreset,
    // One keyboard shared by two players, no keypad: the first player keeps
    // the arrows, the second drives with W, A, S and D.
    LaptopKeysPreset,
    KeyPresetCount,
};

KeyBindings PresetKeyBindings(KeyPreset preset);

// What choosing `key` for `action` meets.
struct KeyChoice {
    enum Outcome : int32_t { Free, Reserved, Taken, Unnamed } outcome = Free;
    // The action that has the key already (Taken).
    PlayAction holder = MoveUp;
};

// Whether `key` may become the key of `action`: not one the game keeps for
// its own commands (KeyIsReserved, and Esc, which opens the menu), nor one
// another action already has, nor one the settings file has no name for.
// Choosing the key the action has is Free.
KeyChoice CheckKeyChoice(const KeyBindings& bindings, PlayAction action, int key);

// The action's keys as the settings file writes them: "Keypad8, W".
std::string KeyListSetting(const std::vector<int>& keys);
