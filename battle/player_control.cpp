// Driving, aiming and firing the player's tank. Keys are polled each tick, so
// a held key repeats its action on every tick in which it is allowed.
#include "battle/player_control.h"

#include "actors/bullets.h"
#include "actors/movement.h"
#include "battle/level_start.h"
#include "levels/level_grid.h"
#include "render/sound_cues.h"
#include "state/battle_state.h"
#include "state/key_poll.h"

bool ZKeysUsed = false;

namespace {

// Z with Up or Down selects the level (restarting it at either end); Z with F
// gives the tank every upgrade at once.
void LevelKeysAndUpgrade() {
    BattleStateRecord& battle = BattleState;
    ZKeysUsed =
        ZKeysUsed || KeyIsDown(platform::VK_UP) || KeyIsDown(platform::VK_DOWN) || KeyIsDown('F');
    if (KeyIsDown(platform::VK_UP)) {
        if (battle.LevelIndex > 0)
            battle.LevelIndex -= 1;
        StartLevel();
    } else if (KeyIsDown(platform::VK_DOWN)) {
        if (battle.LevelIndex < LevelCount - 1)
            battle.LevelIndex += 1;
        StartLevel();
    } else if (KeyIsDown('F')) {
        // The move under way keeps its step; the next one uses the new speed.
        TankRecord& player = battle.Player;
        player.hitPoints = MaxPlayerHitPoints;
        player.band = 3;
        player.speed = MaxPlayerSpeed;
        player.reloadRate = MaxPlayerReloadRate;
        player.maxBullets = MaxPlayerBullets;
        player.bulletSpeed = MaxPlayerBulletSpeed;
    }
}

void StartMove(TankRecord& player) {
    int32_t direction;
    if (KeyIsDown(platform::VK_DOWN))
        direction = Down;
    else if (KeyIsDown(platform::VK_LEFT))
        direction = Left;
    else if (KeyIsDown(platform::VK_UP))
        direction = Up;
    else if (KeyIsDown(platform::VK_RIGHT))
        direction = Right;
    else
        return;

    TurnTank(player, direction);
    player.moveTicks = CellSize / player.speed;
    bool refused = TerrainRefusesMove(player);
    player.moveTicks = CellSize / player.stepPixels;
    if (!refused) {
        for (const TankRecord& enemy : BattleState.EnemyList) {
            if (TankBlocks(player, enemy)) {
                refused = true;
                break;
            }
        }
    }
    if (refused) {
        // The tank has turned; only the move is lost.
        AdvanceTrack(player);
        player.moveTicks = 0;
    }
    PlayCue(EngineCue);
}

void ContinueMove(TankRecord& player) {
    player.moveTicks -= 1;
    AdvanceTrack(player);
    AdvanceTrack(player);
    MoveAlong(player.moveDir, player.stepPixels, player.x, player.y);
    if (player.moveTicks == 0) {
        // Steps that do not divide 64 leave a gap; the snap closes it.
        player.x = (player.x + CellSize / 2) / CellSize * CellSize;
        player.y = (player.y + CellSize / 2) / CellSize * CellSize;
    }
}

}  // namespace

void PlayerControlStep() {
    BattleStateRecord& battle = BattleState;
    TankRecord& player = battle.Player;

    if (KeyIsDown('Z'))
        LevelKeysAndUpgrade();
    else if (player.moveTicks == 0)
        StartMove(player);
    if (player.moveTicks > 0)
        ContinueMove(player);

    static constexpr int GunKeys[4] = {'S', 'A', 'W', 'D'};  // down, left, up, right
    for (int32_t direction = 0; direction < 4; ++direction) {
        if (KeyIsDown(GunKeys[direction])) {
            PlayCue(TurretCue);
            player.turretDir = direction;
            break;
        }
    }

    // Each press of L toggles the lock once, however long it is held.
    if (TurretLockLatch && KeyIsDown('L')) {
        player.turretLocked = !player.turretLocked;
        TurretLockLatch = false;
    } else if (!KeyIsDown('L')) {
        TurretLockLatch = true;
    }

    if (KeyIsDown(platform::VK_SPACE) && player.reloadTimer == 0 &&
        player.bulletsInFlight < player.maxBullets)
        FireBullet(player, battle.PlayerBullets);
}
