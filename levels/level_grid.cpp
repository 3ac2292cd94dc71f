// The one writer of a level's cells: LevelSet and WorkingGrid together.
#include "levels/level_grid.h"

void WriteLevelCell(int32_t level, int32_t index, int32_t code) {
    if (level < 0 || index < 0 || index >= LevelCellCount)
        return;
    size_t at = size_t(level) * LevelCellCount + size_t(index);
    if (at >= LevelSet.size())
        return;
    LevelSet[at] = code;
    if (WorkingGrid.size() == size_t(LevelCellCount))
        WorkingGrid[index] = code;
}
