// The play keys the player may choose: their names in the settings file,
// the keys they start on, and how a set of choices is checked and applied.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

enum PlayAction : int32_t {
    MoveUp,
    MoveDown,
    MoveLeft,
    MoveRight,
    GunUp,
    GunDown,
    GunLeft,
    GunRight,
    LockGun,
    Fire,
    PauseGame,
    ShowHelp,
    // The second player's, in a game of two players.
    Player2Up,
    Player2Down,
    Player2Left,
    Player2Right,
    Player2GunUp,
    Player2GunDown,
    Player2GunLeft,
    Player2GunRight,
    Player2Lock,
    Player2Fire,
    PlayActionCount,
};

struct PlayActionInfo {
    PlayAction action;
    // The name in the settings file and in the help's placeholders.
    const char* name;
    // The key the game's rules poll or receive for it.
    int gameKey;
    // Commands arrive as key-down messages; the rest are polled every tick.
    bool command;
    // The key the action starts on; 0 for gameKey itself. The second
    // player's game keys are no keyboard's, so they start on keys of their own.
    int defaultKey = 0;
};

extern const PlayActionInfo PlayActions[PlayActionCount];

// The keys of each action; each action has at least one.
struct KeyBindings {
    std::vector<int> keys[PlayActionCount];
};

KeyBindings DefaultKeyBindings();

// The keys in force, for the help to list; defaults until ApplyKeyBindings.
extern KeyBindings PlayerKeys;
// The defaults in PlayerKeys again, as at program start. The host's own
// bindings (BindKey) are its backend's to reset.
void ResetKeyBindings();

// The action a settings name stands for; false for any other name.
bool PlayActionFromName(std::string_view name, PlayAction& action);

// A key by its name (case does not matter: "Space", "up", "F5", "J",
// "Keypad4"); 0 for a name no key has.
int KeyFromName(std::string_view name);
// The name of a key as the settings file and the help write it.
const char* KeyName(int virtualKey);
// The keys no action may take: the editor's mode keys, Z, and the window's F11.
bool KeyIsReserved(int virtualKey);

// One `action = keys` line of the settings file, as written.
struct BindingLine {
    PlayAction action;
    std::string keys;
    int line;
};

// Starts from the default keys and applies each line that names only known,
// free keys. A line with an unknown or reserved name, a key listed twice, or
// a key another action also has, is reported ("FILE:LINE: what") in
// `problems`, and its action keeps its default keys.
KeyBindings ResolveKeyBindings(const std::vector<BindingLine>& lines, const std::string& fileName,
                               std::vector<std::string>& problems);

// Hands the bindings to the platform layer, which makes each action's keys
// read (and, for commands, arrive) as the key the game expects.
void ApplyKeyBindings(const KeyBindings& bindings);

// The keys of an action as the help lists them: "Space or J".
std::string KeyListText(const std::vector<int>& keys);
