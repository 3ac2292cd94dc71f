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

PlayerStatusRecord PlayerStatus(int32_t player) {
    const BattleStateRecord& s = BattleState;
    if (player == 2)
        return {.playing = TwoPlayers(), .lives = TwoPlayers() ? s.Lives2 : 0, .tank = &s.Player2};
    return {.playing = true, .lives = s.Lives, .tank = &s.Player};
}

void ResetBattleState() {
    BattleState = BattleStateRecord{};
    WorkingGrid.clear();
}
