// Taking in a whole level set as F2 takes in the map file.
#include "shell/open_levels.h"

#include "battle/level_start.h"
#include "editor/commands.h"
#include "levels/level_grid.h"
#include "levels/level_origin.h"
#include "state/battle_state.h"
#include "state/program_state.h"

bool OpenLevelSet(const std::vector<int32_t>& cells, const std::string& title,
                  const std::string& author) {
    if (cells.size() != size_t(LevelSetSize) || TryingLevel() ||
        (GameMode != Playing && GameMode != Editing))
        return false;
    LevelSet = cells;
    MarkLevelsShared();
    NameSharedSet(title, author);
    if (GameMode == Playing) {
        StartNewGame();
    } else {
        BattleState.LevelIndex = 0;
        StartLevel();
    }
    return true;
}
