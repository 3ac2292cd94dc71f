// The one battle state of the program; it lives from start-up to exit.
#include "state/battle_state.h"

BattleStateRecord BattleState{};
std::vector<int32_t> WorkingGrid;

void ResetPlayer() {
    BattleState.Player = FreshPlayerRecord;
}

void ResetPlayer2() {
    BattleState.Player2 = FreshPlayerRecord;
    BattleState.Player2.x = SecondPlayerStartX;
}

void ResetBattleState() {
    BattleState = BattleStateRecord{};
    WorkingGrid.clear();
}
