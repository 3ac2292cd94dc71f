// Cell animation rules.
#include "levels/cell_animation.h"

#include "levels/level_grid.h"

int32_t AnimateCell(int32_t code, int32_t phaseA, int32_t phaseB) {
    if (phaseA == 5) {
        if (code >= 4 && code <= 6) {
            code += 1;
            if (code == 7)
                code = 4;
        } else if (code >= 104 && code <= 106) {
            // Only hand-edited maps hold these; they fall back into the cycle.
            code -= 1;
            if (code == 104)
                code = 4;
        }
    }
    if (phaseB == 3) {
        if (code >= 12 && code <= 23) {
            code += 1;
            if (code >= 23)
                code = 123;
        } else if (code >= 112 && code <= 123) {
            code -= 1;
            if (code == 112)
                code = 12;
        }
    }
    return code;
}

void AnimateTerrain() {
    BattleStateRecord& battle = BattleState;
    const int32_t phaseA = battle.TerrainPhaseA;
    const int32_t phaseB = battle.TerrainPhaseB;
    for (int32_t i = 0; i < LevelCellCount; ++i) {
        int32_t code = WorkingGrid[i];
        // Grass is drawn over the tanks later; only a code of exactly 8 is.
        if (code == Empty || code == Grass)
            continue;
        WorkingGrid[i] = AnimateCell(code, phaseA, phaseB);
    }
    battle.TerrainPhaseA = (phaseA + 1) % 6;
    battle.TerrainPhaseB = (phaseB + 1) % 4;
}
