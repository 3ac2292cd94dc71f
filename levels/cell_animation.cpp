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

namespace {

// The codes that can step, and the next code of each under the phases that
// step them: [burning bricks step][water steps][code]. Made from AnimateCell,
// so the rule lives in one place; codes past the table (only hand-edited maps
// hold them) are looked at one by one.
constexpr int32_t TabledCodes = 128;
using NextCodeTable = int32_t[2][2][TabledCodes];

const NextCodeTable& NextCodes() {
    static NextCodeTable table;
    static bool made = false;
    if (!made) {
        for (int a = 0; a < 2; ++a)
            for (int b = 0; b < 2; ++b)
                for (int32_t code = 0; code < TabledCodes; ++code)
                    table[a][b][code] = AnimateCell(code, a ? 5 : 0, b ? 3 : 0);
        made = true;
    }
    return table;
}

}  // namespace

void AnimateTerrain() {
    BattleStateRecord& battle = BattleState;
    const int32_t phaseA = battle.TerrainPhaseA;
    const int32_t phaseB = battle.TerrainPhaseB;
    battle.TerrainPhaseA = (phaseA + 1) % 6;
    battle.TerrainPhaseB = (phaseB + 1) % 4;
    // On most passes neither phase steps a cell: nothing changes.
    if (phaseA != 5 && phaseB != 3)
        return;
    const int32_t* next = NextCodes()[phaseA == 5][phaseB == 3];
    int32_t* cells = WorkingGrid.data();
    for (int32_t i = 0; i < LevelCellCount; ++i) {
        const int32_t code = cells[i];
        // Empty and Grass never step (grass is drawn over the tanks later;
        // only a code of exactly 8 is).
        cells[i] =
            uint32_t(code) < uint32_t(TabledCodes) ? next[code] : AnimateCell(code, phaseA, phaseB);
    }
}
