// The order of one tick of play.
#include "battle/frame_step.h"

#include <cstdio>

#include "actors/enemies.h"
#include "battle/compose.h"
#include "battle/player_control.h"
#include "state/battle_state.h"
#include "state/program_state.h"
#include "texts/extra_texts.h"

namespace {

// One player's wreck and its return, for a game of two players.
struct PlayerRespawn {
    bool& destroyed;
    int32_t& delay;
    int32_t lives;
    int32_t number;  // 1 or 2, as the box names the player
};

// A player is out when its last tank is destroyed and the wreck's delay ran
// out: it watches while the other plays on.
bool PlayerOut(bool destroyed, int32_t lives, int32_t delay) {
    return destroyed && lives == 0 && delay == 0;
}

// With two players a wreck's delay counts down as with one; at its end the
// tank comes back fresh, or, with no tanks left, its player is out: the game
// is over when the other player is out too, else a box says who is out.
void CountDownRespawn(const PlayerRespawn& wreck, TankRecord& tank,
                      const std::vector<Bullet>& bullets, bool otherOut) {
    if (!wreck.destroyed || wreck.delay == 0 || --wreck.delay != 0)
        return;
    if (wreck.lives == 0) {
        if (otherOut) {
            GameMode = GameOver;
            return;
        }
        char text[160];
        std::snprintf(text, sizeof text, ExtraText(PlayerOutText), int(wreck.number));
        platform::MessageBox(MainWindow, text, "", platform::MB_OK);
        return;
    }
    tank = FreshPlayerRecord;
    if (wreck.number == 2)
        tank.x = SecondPlayerStartX;
    tank.bulletsInFlight = int32_t(bullets.size());
    wreck.destroyed = false;
}

void TwoPlayerRespawns() {
    BattleStateRecord& battle = BattleState;
    CountDownRespawn({.destroyed = battle.PlayerDestroyed,
                      .delay = battle.RespawnDelay,
                      .lives = battle.Lives,
                      .number = 1},
                     battle.Player, battle.PlayerBullets,
                     PlayerOut(battle.Player2Destroyed, battle.Lives2, battle.Player2RespawnDelay));
    CountDownRespawn({.destroyed = battle.Player2Destroyed,
                      .delay = battle.Player2RespawnDelay,
                      .lives = battle.Lives2,
                      .number = 2},
                     battle.Player2, battle.Player2Bullets,
                     PlayerOut(battle.PlayerDestroyed, battle.Lives, battle.RespawnDelay));
}

}  // namespace

void FrameStep() {
    BattleStateRecord& battle = BattleState;
    if (!battle.PlayerDestroyed)
        PlayerControlStep();
    // The second player's control follows the first's.
    if (TwoPlayers() && !battle.Player2Destroyed)
        Player2ControlStep();
    ComposeFrame();

    // Every step runs, also after an earlier one changed the mode: the last
    // write of the tick wins.
    if (battle.GameOverDelay > 0 && --battle.GameOverDelay == 0)
        GameMode = GameOver;
    if (battle.LevelClearDelay > 0 && --battle.LevelClearDelay == 0)
        GameMode = LevelCleared;
    if (TwoPlayers()) {
        TwoPlayerRespawns();
    } else if (battle.PlayerDestroyed && --battle.RespawnDelay == 0) {
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
