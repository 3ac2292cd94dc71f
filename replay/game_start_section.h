// The start of one game as a game's replay (format version 7) holds it: what
// the state at the game's start is made of beyond what the game's own start
// sets, and its bytes (docs/replay-format.md, "Game start").
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "formats/byte_reader.h"

struct ReplayGameStart {
    // The session's ticks before the game began: the checksums stay where the
    // session had them, every 100th tick of the session.
    uint32_t tick = 0;
    // Esc opened the menu, and N asked the players question, in the session.
    bool escapeOpensMenu = false;
    bool questionOffered = false;
    // The levels in memory: the built-in ones, or these 5775 values.
    bool builtInLevels = true;
    std::vector<int32_t> levels;
    int32_t levelIndex = 0;  // the level the game began at, 0 to 34
    uint8_t players = 1;     // 1, or 2 for a game of two players
    uint32_t generator = 0;  // the generator's state
    bool sound = false;
    int32_t mouseX = 0;  // 0 to 65535 each, as the messages give them
    int32_t mouseY = 0;
    bool lockLatches[2] = {true, true};
    int32_t brush = 1;  // one of the brushes the editor's digit keys choose
    // The games and levels started in the session so far (1 or more each).
    int32_t gamesStarted = 1;
    int32_t levelsStarted = 1;
};

// The highest session tick a game's start may name: far beyond any session
// (about 248 days), low enough that no count of its ticks wraps.
inline constexpr uint32_t MaxGameStartTick = 1u << 31;

// The most games or levels started a game's start may name.
inline constexpr uint32_t MaxStartCount = 1u << 30;

void PutGameStart(std::string& out, const ReplayGameStart& start);
// Reads the section strictly: a value out of its range refuses it (in.fault).
bool ReadGameStart(ByteReader& in, ReplayGameStart& start);
