// The state, level-set and status lines of morvask-sim, as JSON.
#pragma once

#include <cstdint>
#include <string>

// A JSON string literal of UTF-8 text, quotes included.
std::string JsonString(const char* text);

// Every member of the battle and shell state, under the game's names.
std::string StateLine(int64_t tick);
// The whole level set.
std::string LevelsLine(int64_t tick);
// What the status display shows (shell/status.h): the level, the tanks, the
// enemies, the upgrades (each player's in a game of two) and the title's form.
std::string StatusLine(int64_t tick);
