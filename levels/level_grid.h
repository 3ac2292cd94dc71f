// The battlefield's grid of cells, the cell codes and the two copies of level
// data that the game works on: all 35 levels, and the level now in play.
#pragma once

#include <cstdint>
#include <vector>

#include "state/battle_state.h"
#include "state/program_state.h"

inline constexpr int32_t GridColumns = 15;
inline constexpr int32_t GridRows = 11;
inline constexpr int32_t LevelCellCount = GridColumns * GridRows;  // 165
inline constexpr int32_t LevelCount = 35;
inline constexpr int32_t LevelSetSize = LevelCount * LevelCellCount;  // 5775
inline constexpr int32_t CellSize = 64;
inline constexpr int32_t FieldWidth = GridColumns * CellSize;  // 960
inline constexpr int32_t FieldHeight = GridRows * CellSize;    // 704

// Cell terrains: a cell's terrain is its code modulo 100 (the hundreds are free for the map file's
// own use).
enum CellTerrainValue : int32_t {
    Empty = 0,
    Brick = 1,
    CrackedBrick = 2,
    BrokenBrick = 3,
    BurningBrick = 4,  // 4, 5 and 6: the three burning frames
    Stone = 7,
    Grass = 8,
    Ice = 9,
    Base = 10,
    Sand = 11,
    Water = 12,  // 12 to 23: the water frames
};

// The remainder takes the sign of the code, so a negative code has a
// negative terrain, which no rule admits.
inline int32_t CellTerrain(int32_t code) {
    return code % 100;
}

inline int32_t CellIndex(int32_t column, int32_t row) {
    return row * GridColumns + column;
}

inline bool InsideGrid(int32_t column, int32_t row) {
    return column >= 0 && column < GridColumns && row >= 0 && row < GridRows;
}

// Writes a code into cell `index` of `level`, in LevelSet and, when it holds
// a level, in WorkingGrid, which must then be that level: the two copies of
// an edited level never part. A cell or level outside the set is not written.
void WriteLevelCell(int32_t level, int32_t index, int32_t code);
