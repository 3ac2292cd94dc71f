// The order of one tick of play.
#include "battle/frame_step.h"

#include "actors/enemies.h"
#include "battle/compose.h"
#include "battle/player_control.h"
#include "state/battle_state.h"
#include "state/program_state.h"

void FrameStep() {
    BattleStateRecord& battle = BattleState;
    if (!battle.PlayerDestroyed)
        PlayerControlStep();
    ComposeFrame();

    // Every step runs, also after an earlier one changed the mode: the last
    // write of the tick wins.
    if (battle.GameOverDelay > 0 && --battle.GameOverDelay == 0)
        GameMode = GameOver;
    if (battle.LevelClearDelay > 0 && --battle.LevelClearDelay == 0)
        GameMode = LevelCleared;
    if (battle.PlayerDestroyed && --battle.RespawnDelay == 0) {
        if (battle.Lives == 0) {
            GameMode = GameOver;
        } else {
            ResetPlayer();
            // Bullets of the lost tank may still fly; the fresh tank counts
            // them, so each later removal keeps the count right.
            battle.Player.bulletsInFlight = int32_t(battle.PlayerBullets.size());
            battle.PlayerDestroyed = false;
        }
    }
    SpawnEnemyStep();
}
