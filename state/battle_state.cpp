// The one battle state of the program and its two player sides; they live
// from start-up to exit.
#include "state/battle_state.h"

BattleStateRecord BattleState{};
PlayerSide Players[2]{};
std::vector<int32_t> WorkingGrid;

TankRecord FreshPlayerTank(int32_t side) {
    TankRecord tank = FreshPlayerRecord;
    tank.x = PlayerStartX[side];
    return tank;
}

void ResetBattleState() {
    BattleState = BattleStateRecord{};
    for (PlayerSide& side : Players) {
        const bool latch = side.turretLockLatch;
        side = PlayerSide{};
        side.turretLockLatch = latch;
    }
    WorkingGrid.clear();
}
