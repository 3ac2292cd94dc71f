// morvask-sim's commands for the player's settings that the desktop reads
// from settings.ini before the window opens.
#pragma once

#include <string>
#include <vector>

// players 1|2        the players of every new game of the run (1 by default)
// sound ask|on|off   the setting `sound`: the start-up's sound question asked
//                    (the default), or answered beforehand without showing it.
//                    On and off let Esc open the menu, as in the desktop's game
//                    (a recording of them is a version 5 replay, which plays so).
// One word after the command's (the caller checks); only before start; false,
// with what is wrong in `error`, otherwise.
bool RunSettingCommand(const std::vector<std::string>& words, bool started, std::string& error);
