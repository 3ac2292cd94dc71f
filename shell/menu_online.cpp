// The menu's Play online screen: host a game, or join one by the code its
// host was shown, typed in place (letters, digits and the marks of an
// address from the keys, anything else pasted with Ctrl+V). The program
// meets the other player; the menu only asks.
#include <cstdio>

#include "options/settings_file.h"
#include "shell/menu.h"
#include "state/key_poll.h"
#include "texts/menu_texts.h"

namespace {

constexpr int VkEnter = 0x0D;
constexpr int VkBackspace = 0x08;
// The keys of the marks in an address or a room code (US layout).
constexpr int VkColonKey = 0xBA, VkMinus = 0xBD, VkPeriod = 0xBE, VkSlash = 0xBF;
// A room code is 11 characters, an address with its port and code fewer
// than 64; more is no code.
constexpr size_t MaxJoinCodeBytes = 64;

void Host(int32_t) {
    CloseMenu();
    if (MenuHost.playOnline)
        MenuHost.playOnline(true, "");
}

void StartTypingCode(int32_t) {
    Menu.typing = MenuTypingJoinCode;
    Menu.note.clear();
}

}  // namespace

std::string OnlineScreenNote() {
    if (PlayerSettings.lobby.empty())
        return MenuText(MenuOnlineDirect);
    char text[256];
    std::snprintf(text, sizeof text, MenuText(MenuOnlineThroughLobby),
                  PlayerSettings.lobby.c_str());
    return text;
}

namespace {

bool Printable(char c) {
    return c > ' ' && c < 0x7F;
}

void Append(const std::string& text) {
    for (char c : text)
        if (Printable(c) && Menu.joinCode.size() < MaxJoinCodeBytes)
            Menu.joinCode += c;
}

// The character a key types into a code, 0 for none.
char Typed(int key) {
    if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9'))
        return char(key);
    switch (key) {
        case VkMinus:
            return '-';
        case VkPeriod:
            return '.';
        case VkSlash:
            return '/';
        case VkColonKey:
            return KeyIsDown(platform::VK_SHIFT) ? ':' : 0;
        default:
            return 0;
    }
}

void Join() {
    const std::string code = Menu.joinCode;
    Menu.typing = -1;
    Menu.note = OnlineScreenNote();
    if (code.empty()) {
        Menu.note = MenuText(MenuJoinNeedsCode);
        return;
    }
    CloseMenu();
    if (MenuHost.playOnline)
        MenuHost.playOnline(false, code);
}

}  // namespace

std::vector<MenuEntry> OnlineEntries() {
    return {{.label = MenuText(MenuHostGame), .choose = Host},
            {.label = MenuText(MenuJoinGame),
             .value = Menu.typing == MenuTypingJoinCode ? Menu.joinCode + "_" : Menu.joinCode,
             .choose = StartTypingCode}};
}

void MenuJoinCodeKey(int key) {
    if (key == platform::VK_ESCAPE) {
        Menu.typing = -1;
        Menu.note = OnlineScreenNote();
    } else if (key == VkEnter) {
        Join();
    } else if (key == VkBackspace) {
        if (!Menu.joinCode.empty())
            Menu.joinCode.pop_back();
    } else if (key == 'V' && KeyIsDown(platform::VK_CONTROL)) {
        const std::string text = platform::ClipboardText();
        Append(text.substr(0, text.find_first_of("\r\n")));
    } else if (const char c = Typed(key)) {
        Append(std::string(1, c));
    }
}
