// The level data of the run.
#include "levels/level_grid.h"

#include "levels/builtin_levels.h"

std::vector<int32_t> LevelSet;
std::vector<int32_t> WorkingGrid;

void RestoreBuiltInLevels() {
    const std::vector<int32_t>& builtIn = BuiltInLevels();
    LevelSet.assign(builtIn.begin(), builtIn.end());
}
