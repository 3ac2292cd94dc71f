// The play keys the player may choose, and the checks a choice must pass.
#include "options/key_bindings.h"

#include <algorithm>
#include <cctype>

#include "platform/platform.h"

namespace {
constexpr int Keypad0 = 0x60;
constexpr int VkHome = 0x24;
constexpr int VkEnd = 0x23;
constexpr int VkPageDown = 0x22;
}  // namespace

const PlayActionInfo PlayActions[PlayActionCount] = {
    {.action = MoveUp, .name = "up", .gameKey = platform::VK_UP, .command = false},
    {.action = MoveDown, .name = "down", .gameKey = platform::VK_DOWN, .command = false},
    {.action = MoveLeft, .name = "left", .gameKey = platform::VK_LEFT, .command = false},
    {.action = MoveRight, .name = "right", .gameKey = platform::VK_RIGHT, .command = false},
    {.action = GunUp, .name = "gun_up", .gameKey = 'W', .command = false},
    {.action = GunDown, .name = "gun_down", .gameKey = 'S', .command = false},
    {.action = GunLeft, .name = "gun_left", .gameKey = 'A', .command = false},
    {.action = GunRight, .name = "gun_right", .gameKey = 'D', .command = false},
    {.action = LockGun, .name = "lock", .gameKey = 'L', .command = false},
    {.action = Fire, .name = "fire", .gameKey = platform::VK_SPACE, .command = false},
    {.action = PauseGame, .name = "pause", .gameKey = 'P', .command = true},
    {.action = ShowHelp, .name = "help", .gameKey = 'H', .command = true},
    // The second player: the keypad drives and fires, the block of Home, End,
    // Delete and PageDown turns the gun, as the arrows' block does.
    {.action = Player2Up,
     .name = "p2_up",
     .gameKey = platform::VK_P2_UP,
     .command = false,
     .defaultKey = Keypad0 + 8},
    {.action = Player2Down,
     .name = "p2_down",
     .gameKey = platform::VK_P2_DOWN,
     .command = false,
     .defaultKey = Keypad0 + 5},
    {.action = Player2Left,
     .name = "p2_left",
     .gameKey = platform::VK_P2_LEFT,
     .command = false,
     .defaultKey = Keypad0 + 4},
    {.action = Player2Right,
     .name = "p2_right",
     .gameKey = platform::VK_P2_RIGHT,
     .command = false,
     .defaultKey = Keypad0 + 6},
    {.action = Player2GunUp,
     .name = "p2_gun_up",
     .gameKey = platform::VK_P2_GUN_UP,
     .command = false,
     .defaultKey = VkHome},
    {.action = Player2GunDown,
     .name = "p2_gun_down",
     .gameKey = platform::VK_P2_GUN_DOWN,
     .command = false,
     .defaultKey = VkEnd},
    {.action = Player2GunLeft,
     .name = "p2_gun_left",
     .gameKey = platform::VK_P2_GUN_LEFT,
     .command = false,
     .defaultKey = platform::VK_DELETE},
    {.action = Player2GunRight,
     .name = "p2_gun_right",
     .gameKey = platform::VK_P2_GUN_RIGHT,
     .command = false,
     .defaultKey = VkPageDown},
    {.action = Player2Lock,
     .name = "p2_lock",
     .gameKey = platform::VK_P2_LOCK,
     .command = false,
     .defaultKey = Keypad0 + 7},
    {.action = Player2Fire,
     .name = "p2_fire",
     .gameKey = platform::VK_P2_FIRE,
     .command = false,
     .defaultKey = Keypad0},
};

KeyBindings PlayerKeys = DefaultKeyBindings();

namespace {

struct NamedKey {
    const char* name;
    int virtualKey;
};

// The first name of a key is the one it is written with.
constexpr NamedKey SpecialKeys[] = {
    {"Up", 0x26},     {"Down", 0x28},     {"Left", 0x25},   {"Right", 0x27},     {"Space", 0x20},
    {"Enter", 0x0D},  {"Return", 0x0D},   {"Tab", 0x09},    {"Backspace", 0x08}, {"Escape", 0x1B},
    {"Esc", 0x1B},    {"Shift", 0x10},    {"Ctrl", 0x11},   {"Control", 0x11},   {"Alt", 0x12},
    {"Break", 0x13},  {"Insert", 0x2D},   {"Delete", 0x2E}, {"Home", 0x24},      {"End", 0x23},
    {"PageUp", 0x21}, {"PageDown", 0x22},
};

bool SameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

bool StartsWithName(std::string_view text, std::string_view prefix) {
    return text.size() > prefix.size() && SameName(text.substr(0, prefix.size()), prefix);
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
        text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.remove_suffix(1);
    return text;
}

// A list of key names separated by commas; false with the offending name
// when one is unknown.
bool ParseKeyList(std::string_view text, std::vector<int>& keys, std::string& badName) {
    keys.clear();
    while (true) {
        size_t comma = text.find(',');
        std::string_view name = Trimmed(text.substr(0, comma));
        int key = KeyFromName(name);
        if (key == 0) {
            badName = std::string(name);
            return false;
        }
        keys.push_back(key);
        if (comma == std::string_view::npos)
            return true;
        text.remove_prefix(comma + 1);
    }
}

std::string Where(const std::string& fileName, int line) {
    return fileName + ":" + std::to_string(line) + ": ";
}

// Takes the keys of one line of the settings file for its action, unless the
// action was set before, a name is unknown, or a key is reserved or listed
// twice: then the action keeps its keys and the problem is told.
void TakeBindingLine(const BindingLine& line, const std::string& fileName, KeyBindings& bindings,
                     int sourceLine[], std::vector<std::string>& problems) {
    const char* actionName = PlayActions[line.action].name;
    const std::string where = Where(fileName, line.line);
    if (sourceLine[line.action] != 0) {
        problems.push_back(where + actionName + " is set again (first on line " +
                           std::to_string(sourceLine[line.action]) + "); this line is ignored");
        return;
    }
    const std::string keeps = KeyListText(bindings.keys[line.action]);
    std::vector<int> keys;
    std::string badName;
    if (!ParseKeyList(line.keys, keys, badName)) {
        problems.push_back(where + "unknown key name '" + badName + "' for " + actionName +
                           "; it keeps " + keeps);
        return;
    }
    for (size_t k = 0; k < keys.size(); ++k) {
        if (KeyIsReserved(keys[k])) {
            problems.push_back(where + KeyName(keys[k]) + " is kept for its own command; " +
                               actionName + " keeps " + keeps);
            return;
        }
        if (std::find(keys.begin(), keys.begin() + k, keys[k]) != keys.begin() + k) {
            problems.push_back(where + KeyName(keys[k]) + " is listed twice for " + actionName +
                               "; it keeps " + keeps);
            return;
        }
    }
    bindings.keys[line.action] = keys;
    sourceLine[line.action] = line.line;
}

// Finds the key shared by two actions whose later line is the latest of all
// such pairs, and returns that line's action to its default; false when no
// line's keys clash any more.
bool GiveWayOnClash(const std::string& fileName, KeyBindings& bindings, int sourceLine[],
                    std::vector<std::string>& problems) {
    int loser = -1;
    int other = -1;
    int sharedKey = 0;
    for (int a = 0; a < PlayActionCount; ++a) {
        for (int b = a + 1; b < PlayActionCount; ++b) {
            for (int key : bindings.keys[a]) {
                if (std::find(bindings.keys[b].begin(), bindings.keys[b].end(), key) ==
                    bindings.keys[b].end())
                    continue;
                int later = sourceLine[a] > sourceLine[b] ? a : b;
                if (loser < 0 || sourceLine[later] > sourceLine[loser]) {
                    loser = later;
                    other = later == a ? b : a;
                    sharedKey = key;
                }
            }
        }
    }
    if (loser < 0 || sourceLine[loser] == 0)
        return false;
    KeyBindings defaults = DefaultKeyBindings();
    problems.push_back(Where(fileName, sourceLine[loser]) + KeyName(sharedKey) + " is also " +
                       PlayActions[other].name + "'s key; " + PlayActions[loser].name + " keeps " +
                       KeyListText(defaults.keys[loser]));
    bindings.keys[loser] = defaults.keys[loser];
    sourceLine[loser] = 0;
    return true;
}

}  // namespace

KeyBindings DefaultKeyBindings() {
    KeyBindings bindings;
    for (const PlayActionInfo& info : PlayActions)
        bindings.keys[info.action] = {info.defaultKey != 0 ? info.defaultKey : info.gameKey};
    return bindings;
}

bool PlayActionFromName(std::string_view name, PlayAction& action) {
    for (const PlayActionInfo& info : PlayActions) {
        if (SameName(name, info.name)) {
            action = info.action;
            return true;
        }
    }
    return false;
}

int KeyFromName(std::string_view name) {
    if (name.size() == 1) {
        unsigned char c =
            static_cast<unsigned char>(std::toupper(static_cast<unsigned char>(name[0])));
        if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))
            return c;
        return 0;
    }
    for (const NamedKey& key : SpecialKeys)
        if (SameName(name, key.name))
            return key.virtualKey;
    if (StartsWithName(name, "Keypad") && name.size() == 7 && name[6] >= '0' && name[6] <= '9')
        return Keypad0 + (name[6] - '0');
    if ((name[0] == 'F' || name[0] == 'f') && name.size() <= 3) {
        int number = 0;
        for (char c : name.substr(1)) {
            if (c < '0' || c > '9')
                return 0;
            number = number * 10 + (c - '0');
        }
        if (name[1] != '0' && number >= 1 && number <= 12)
            return platform::VK_F1 + number - 1;
    }
    return 0;
}

const char* KeyName(int virtualKey) {
    static char single[2];
    static const char* const Keypad[] = {"Keypad0", "Keypad1", "Keypad2", "Keypad3", "Keypad4",
                                         "Keypad5", "Keypad6", "Keypad7", "Keypad8", "Keypad9"};
    static const char* const Function[] = {"F1", "F2", "F3", "F4",  "F5",  "F6",
                                           "F7", "F8", "F9", "F10", "F11", "F12"};
    if ((virtualKey >= 'A' && virtualKey <= 'Z') || (virtualKey >= '0' && virtualKey <= '9')) {
        single[0] = char(virtualKey);
        return single;
    }
    if (virtualKey >= Keypad0 && virtualKey < Keypad0 + 10)
        return Keypad[virtualKey - Keypad0];
    if (virtualKey >= platform::VK_F1 && virtualKey <= platform::VK_F12)
        return Function[virtualKey - platform::VK_F1];
    for (const NamedKey& key : SpecialKeys)
        if (key.virtualKey == virtualKey)
            return key.name;
    return "?";
}

bool KeyIsReserved(int virtualKey) {
    constexpr int F11 = platform::VK_F1 + 10;
    return virtualKey == 'Z' || virtualKey == platform::VK_F1 || virtualKey == platform::VK_F2 ||
           virtualKey == platform::VK_F3 || virtualKey == F11;
}

KeyBindings ResolveKeyBindings(const std::vector<BindingLine>& lines, const std::string& fileName,
                               std::vector<std::string>& problems) {
    KeyBindings bindings = DefaultKeyBindings();
    // The line each action's keys came from; 0 for its default.
    int sourceLine[PlayActionCount] = {};
    for (const BindingLine& line : lines)
        TakeBindingLine(line, fileName, bindings, sourceLine, problems);
    // A key on two actions: the later line gives way and its action returns to
    // its default, which may clash in turn, so look again until nothing does.
    while (GiveWayOnClash(fileName, bindings, sourceLine, problems)) {
    }
    return bindings;
}

void ApplyKeyBindings(const KeyBindings& bindings) {
    PlayerKeys = bindings;
    for (const PlayActionInfo& info : PlayActions) {
        const std::vector<int>& keys = bindings.keys[info.action];
        if (info.command)
            platform::BindKeyMessage(info.gameKey, keys.data(), int(keys.size()));
        else
            platform::BindKey(info.gameKey, keys.data(), int(keys.size()));
    }
}

std::string KeyListText(const std::vector<int>& keys) {
    std::string text;
    for (size_t k = 0; k < keys.size(); ++k) {
        if (k > 0)
            text += k + 1 == keys.size() ? " or " : ", ";
        text += KeyName(keys[k]);
    }
    return text;
}

void ResetKeyBindings() {
    PlayerKeys = DefaultKeyBindings();
}
