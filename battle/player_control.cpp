// Driving, aiming and firing the players' tanks. Keys are polled each tick, so
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

// The move under way keeps its step; the next one uses the new speed.
void TopUpgrade(TankRecord& player) {
    player.hitPoints = MaxPlayerHitPoints;
    player.band = 3;
    player.speed = MaxPlayerSpeed;
    player.reloadRate = MaxPlayerReloadRate;
    player.maxBullets = MaxPlayerBullets;
    player.bulletSpeed = MaxPlayerBulletSpeed;
}

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
        TopUpgrade(Players[0].tank);
        // With two players the second tank, when in play, is upgraded too.
        if (SideInPlay(1))
            TopUpgrade(Players[1].tank);
    }
}

// The keys one player's tank is polled for.
struct TankKeys {
    int drive[4];  // down, left, up, right: checked in this order
    int gun[4];    // down, left, up, right
    int lock;
    int fire;
};
// The first player's keys, then the second's.
constexpr TankKeys SideKeys[2] = {
    {.drive = {platform::VK_DOWN, platform::VK_LEFT, platform::VK_UP, platform::VK_RIGHT},
     .gun = {'S', 'A', 'W', 'D'},
     .lock = 'L',
     .fire = platform::VK_SPACE},
    {.drive = {platform::VK_P2_DOWN, platform::VK_P2_LEFT, platform::VK_P2_UP,
               platform::VK_P2_RIGHT},
     .gun = {platform::VK_P2_GUN_DOWN, platform::VK_P2_GUN_LEFT, platform::VK_P2_GUN_UP,
             platform::VK_P2_GUN_RIGHT},
     .lock = platform::VK_P2_LOCK,
     .fire = platform::VK_P2_FIRE}};

// A move refused by the ground, an enemy, or the partner's tank, which blocks
// as an enemy does.
bool MoveRefused(TankRecord& player, const TankRecord* partner) {
    if (TerrainRefusesMove(player))
        return true;
    for (const TankRecord& enemy : BattleState.EnemyList)
        if (TankBlocks(player, enemy))
            return true;
    return partner != nullptr && TankBlocks(player, *partner);
}

void StartMove(TankRecord& player, const TankKeys& keys, const TankRecord* partner) {
    int32_t direction = 0;
    while (direction < 4 && !KeyIsDown(keys.drive[direction]))
        ++direction;
    if (direction == 4)
        return;

    TurnTank(player, direction);
    player.moveTicks = CellSize / player.speed;
    bool refused = MoveRefused(player, partner);
    player.moveTicks = CellSize / player.stepPixels;
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

// Aiming, the lock and firing, after the move.
void GunAndFire(PlayerSide& side, const TankKeys& keys) {
    TankRecord& player = side.tank;
    for (int32_t direction = 0; direction < 4; ++direction) {
        if (KeyIsDown(keys.gun[direction])) {
            PlayCue(TurretCue);
            player.turretDir = direction;
            break;
        }
    }

    // Each press of the lock key toggles the lock once, however long it is held.
    if (side.turretLockLatch && KeyIsDown(keys.lock)) {
        player.turretLocked = !player.turretLocked;
        side.turretLockLatch = false;
    } else if (!KeyIsDown(keys.lock)) {
        side.turretLockLatch = true;
    }

    if (KeyIsDown(keys.fire) && player.reloadTimer == 0 &&
        player.bulletsInFlight < player.maxBullets)
        FireBullet(player, side.bullets);
}

}  // namespace

void PlayerControlStep(int32_t side) {
    TankRecord& player = Players[side].tank;
    const TankKeys& keys = SideKeys[side];
    if (side == 0 && KeyIsDown('Z'))
        LevelKeysAndUpgrade();
    else if (player.moveTicks == 0)
        StartMove(player, keys, PartnerInPlay(side));
    if (player.moveTicks > 0)
        ContinueMove(player);
    GunAndFire(Players[side], keys);
}
