// The composition of one frame of play, with the passes of the actors at
// their places: who is drawn later acts later.
#include "battle/compose.h"

#include "actors/bullets.h"
#include "actors/effects.h"
#include "actors/enemies.h"
#include "actors/items.h"
#include "levels/cell_animation.h"
#include "render/draw.h"
#include "state/battle_state.h"

void ComposeFrame() {
    BattleStateRecord& battle = BattleState;
    // The background and the cells under the tanks come first.
    AnimateTerrain();
    DrawGround();
    UpdateItem();
    UpdateEnemyTanks();
    // The second player's steps each follow the first player's.
    const bool two = TwoPlayers();
    if (!battle.PlayerDestroyed) {
        DrawTank(battle.Player, false);
        if (two)
            DrawPlayerMark(battle.Player, 0);
    }
    if (two && !battle.Player2Destroyed) {
        DrawTank(battle.Player2, false);
        DrawPlayerMark(battle.Player2, 1);
    }
    DrawGrassCells();
    UpdateEnemyBullets();
    UpdatePlayerBullets();
    if (two)
        UpdatePlayer2Bullets();
    // The upper layer runs also for a destroyed tank: a flash under way ends
    // where it was, and the reload keeps counting.
    DrawTank(battle.Player, true);
    TankTimers(battle.Player);
    if (two) {
        DrawTank(battle.Player2, true);
        TankTimers(battle.Player2);
    }
    UpdateEffects();
    PresentFrame();
}
