// morvask-sim's `menu` command: the menu that Esc opens in the window, opened,
// moved in and answered from a script, and written as a `menu` line.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// What the command needs of the script's runner.
struct SimMenuTools {
    void (*send)(uint32_t message, uintptr_t wParam, intptr_t lParam);
    void (*error)(const std::string& what);  // does not return
    int (*keyCode)(const std::string& name);
    void (*write)(const std::string& line);
};

// menu                  opens the menu as Esc does in the window (and lets Esc
//                       open it from now on)
// menu up|down|left|right|enter|esc
//                       that key on the open menu
// menu key K            key K pressed (a new key on the options screen)
// Each writes a `menu` line with what the menu shows afterwards.
void RunMenuCommand(const std::vector<std::string>& words, const SimMenuTools& tools);

// The menu line: the screen, its caption, rows, focus and note, or the
// screen "closed".
std::string MenuLine(int64_t tick);
