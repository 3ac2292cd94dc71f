// The order of one tick of play.
#include "battle/frame_step.h"

#include <cstdio>
#include <cstdlib>

#include "actors/enemies.h"
#include "battle/compose.h"
#include "battle/player_control.h"
#include "levels/level_grid.h"
#include "state/battle_state.h"
#include "state/program_state.h"
#include "texts/extra_texts.h"

namespace {

// Out once this tick's countdowns have run: already out, or its wreck's last
// tick of delay is this one. Taken for both sides before either counts, so
// two players going out in one tick end the game without a box between.
bool OutAfterThisTick(const PlayerSide& player) {
    return player.destroyed && player.lives == 0 && player.respawnDelay <= 1;
}

// A fresh tank starts below the field and drives up into the bottom row
// through whatever stands there, and tanks that overlap never block each
// other: the wreck waits while its partner stands anywhere on that way.
bool PartnerOnStart(int32_t side) {
    const TankRecord* partner = PartnerInPlay(side);
    const TankRecord fresh = FreshPlayerTank(side);
    return partner != nullptr && std::abs(partner->x - fresh.x) < CellSize &&
           partner->y > fresh.y - 2 * CellSize;
}

// With two players a wreck's delay counts down as with one; at its end the
// tank comes back fresh, or, with no tanks left, its player is out: the game
// is over when the other player is out too, else a box says who is out.
void CountDownRespawn(int32_t side, bool otherOut) {
    PlayerSide& wreck = Players[side];
    if (!wreck.destroyed || wreck.respawnDelay == 0 || --wreck.respawnDelay != 0)
        return;
    if (wreck.lives == 0) {
        if (otherOut) {
            GameMode = GameOver;
            return;
        }
        char text[160];
        std::snprintf(text, sizeof text, ExtraText(PlayerOutText), int(side + 1));
        platform::MessageBox(MainWindow, text, "", platform::MB_OK);
        return;
    }
    if (PartnerOnStart(side)) {
        wreck.respawnDelay = 1;
        return;
    }
    wreck.tank = FreshPlayerTank(side);
    wreck.tank.bulletsInFlight = int32_t(wreck.bullets.size());
    wreck.destroyed = false;
}

}  // namespace

void FrameStep() {
    BattleStateRecord& battle = BattleState;
    PlayerSide& first = Players[0];
    // The second player's control follows the first's.
    for (int32_t side = 0; side < SidesInGame(); ++side)
        if (SideInPlay(side))
            PlayerControlStep(side);
    ComposeFrame();

    // Every step runs, also after an earlier one changed the mode: the last
    // write of the tick wins.
    if (battle.GameOverDelay > 0 && --battle.GameOverDelay == 0)
        GameMode = GameOver;
    if (battle.LevelClearDelay > 0 && --battle.LevelClearDelay == 0)
        GameMode = LevelCleared;
    if (TwoPlayers()) {
        const bool firstOut = OutAfterThisTick(Players[0]);
        const bool secondOut = OutAfterThisTick(Players[1]);
        CountDownRespawn(0, secondOut);
        CountDownRespawn(1, firstOut);
    } else if (first.destroyed && --first.respawnDelay == 0) {
        if (first.lives == 0) {
            GameMode = GameOver;
        } else {
            first.tank = FreshPlayerTank(0);
            // Bullets of the lost tank may still fly; the fresh tank counts
            // them, so each later removal keeps the count right.
            first.tank.bulletsInFlight = int32_t(first.bullets.size());
            first.destroyed = false;
        }
    }
    SpawnEnemyStep();
}
