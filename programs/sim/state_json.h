// The state and level-set lines of morvask-sim, as JSON.
#pragma once

#include <cstdint>
#include <string>

// A JSON string literal of UTF-8 text, quotes included.
std::string JsonString(const char* text);

// Every member of the battle and shell state, under the game's names.
std::string StateLine(int64_t tick);
// The whole level set.
std::string LevelsLine(int64_t tick);
