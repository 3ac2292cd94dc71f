// morvask-sim's `menu` command and its output line.
#include "programs/sim/sim_menu.h"

#include <algorithm>
#include <cctype>

#include "platform/headless/headless.h"
#include "programs/sim/script_text.h"
#include "programs/sim/state_json.h"
#include "shell/menu.h"
#include "state/program_state.h"

namespace {

constexpr const char* ScreenNames[] = {"closed", "main",    "newgame", "levels",
                                       "share",  "options", "online"};

struct MenuWord {
    const char* word;
    int key;
};
constexpr MenuWord MenuWords[] = {
    {"up", platform::VK_UP},
    {"down", platform::VK_DOWN},
    {"left", platform::VK_LEFT},
    {"right", platform::VK_RIGHT},
    {"enter", 0x0D},
    {"esc", platform::VK_ESCAPE},
};

}  // namespace

std::string MenuLine(int64_t tick) {
    std::string line = "{\"type\":\"menu\",\"tick\":" + std::to_string(tick) + ",\"screen\":\"" +
                       ScreenNames[Menu.screen] + "\"";
    if (!MenuOpen())
        return line + "}";
    line += ",\"caption\":" + JsonString(MenuCaptionText().c_str()) + ",\"rows\":[";
    const std::vector<MenuEntry> rows = MenuEntries();
    for (size_t i = 0; i < rows.size(); ++i)
        line += std::string(i ? "," : "") + "{\"label\":" + JsonString(rows[i].label.c_str()) +
                ",\"value\":" + JsonString(rows[i].value.c_str()) + "}";
    line += "],\"focus\":" + std::to_string(Menu.focus) +
            ",\"waiting\":" + (Menu.capturing >= 0 ? "true" : "false") +
            ",\"note\":" + JsonString(Menu.note.c_str()) + "}";
    return line;
}

void RunMenuCommand(const std::vector<std::string>& words, const SimMenuTools& tools) {
    // `menu online`: as a desktop program offers it, with Play online.
    const bool online = words.size() == 2 && Lower(words[1]) == "online";
    if (words.size() == 1 || online) {
        EscapeOpensMenu = true;
        MenuHostRows |= MenuRowQuit | (online ? MenuRowOnline : 0);
        if (!MenuOpen() && !MenuMayOpen())
            tools.error("the menu opens in play or in the editor, not in a try-out");
        if (!MenuOpen())
            tools.send(platform::WM_KEYDOWN, platform::VK_ESCAPE, 0);
    } else if (Lower(words[1]) == "key") {
        if (words.size() != 3)
            tools.error("'menu key' takes one key name");
        tools.send(platform::WM_KEYDOWN, uintptr_t(tools.keyCode(words[2])), 0);
    } else {
        if (words.size() != 2)
            tools.error("too many arguments to 'menu'");
        const std::string word = Lower(words[1]);
        const MenuWord* found =
            std::find_if(std::begin(MenuWords), std::end(MenuWords),
                         [&](const MenuWord& entry) { return word == entry.word; });
        if (found == std::end(MenuWords))
            tools.error("bad menu key '" + words[1] +
                        "' (up, down, left, right, enter, esc, key K)");
        if (!MenuOpen())
            tools.error("'menu " + word + "' while the menu is closed");
        tools.send(platform::WM_KEYDOWN, uintptr_t(found->key), 0);
    }
}
