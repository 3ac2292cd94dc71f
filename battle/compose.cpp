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
    // The background and the cells under the tanks come first.
    AnimateTerrain();
    DrawGround();
    UpdateItem();
    UpdateEnemyTanks();
    // The second player's steps each follow the first player's.
    const int32_t sides = SidesInGame();
    for (int32_t side = 0; side < sides; ++side) {
        if (Players[side].destroyed)
            continue;
        DrawTank(Players[side].tank, false);
        // The marks tell two tanks apart; one tank needs none.
        if (sides == 2)
            DrawPlayerMark(Players[side].tank, side);
    }
    DrawGrassCells();
    UpdateEnemyBullets();
    for (int32_t side = 0; side < sides; ++side)
        UpdatePlayerBullets(side);
    // The upper layer runs also for a destroyed tank: a flash under way ends
    // where it was, and the reload keeps counting.
    for (int32_t side = 0; side < sides; ++side) {
        DrawTank(Players[side].tank, true);
        TankTimers(Players[side].tank);
    }
    UpdateEffects();
    PresentFrame();
}
