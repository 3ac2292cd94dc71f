// The one battle state of the program; it lives from start-up to exit.
#include "battle/battle_state.h"

BattleStateRecord BattleState{};

void ResetPlayer() {
    BattleState.Player = FreshPlayerRecord;
}
