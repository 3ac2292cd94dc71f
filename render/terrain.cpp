// Drawing the cells, with the animation that runs once per pass.
#include "render/terrain.h"

#include "levels/cell_animation.h"
#include "levels/level_grid.h"
#include "render/draw.h"
#include "state/battle_state.h"

void DrawTerrain() {
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
    DrawGround();
    battle.TerrainPhaseA = (phaseA + 1) % 6;
    battle.TerrainPhaseB = (phaseB + 1) % 4;
}

void DrawGrass() {
    DrawGrassCells();
}
