// Helpers for the unit tests: a fresh game on the headless backend, with its
// boxes and sound requests recorded.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "state/battle_state.h"

struct RecordedBox {
    int64_t tick;
    std::string text;
    std::string caption;
    uint32_t type;
    int answer;
};

struct RecordedSound {
    int64_t tick;
    int id;
    bool interrupting;
    bool played;
};

extern std::vector<RecordedBox> Boxes;
extern std::vector<RecordedSound> Sounds;

// Forgets every global of the game and of the headless backend, then records
// boxes and sounds from here on. Boxes get their default answers.
void ResetEverything();

// ResetEverything, then the whole start-up with the given seed and sound
// answer, up to the first tick of level 1.
void StartGame(uint32_t seed = 1, bool sound = false);

// A level of nothing but empty ground, with the base and its bricks, as the
// working grid (for tests that place tanks and walls by hand).
void ClearWorkingGrid();
void SetCell(int32_t column, int32_t row, int32_t code);

// Steps n ticks of the virtual timer.
void Ticks(int n);

// A tank record for tests: an enemy of the given band standing at (x, y).
TankRecord TankAt(int32_t x, int32_t y, int32_t moveDir = Up);
