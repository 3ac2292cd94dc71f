// Bullets in flight and everything they hit.
#include "actors/bullets.h"

#include <cstdlib>

#include "actors/effects.h"
#include "actors/items.h"
#include "levels/level_grid.h"
#include "render/draw.h"
#include "render/sound_cues.h"

namespace {

// How bullets fly and what a shot does to the tank that fires it.
struct BulletRules {
    // A bullet whose corner leaves these bounds is gone.
    int32_t lowestX, highestX, lowestY, highestY;
    int32_t reloadAfterShot;  // the tank fires again when its reload falls to 0
    int32_t flashTicks;       // muzzle flash of a shot
    int32_t muzzleReach;      // the bullet's centre starts this far along the gun
    int32_t cellProbe;        // the cell hit is the one under the box's corner plus this
    // Two bullets meet when their corners are nearer than these: along their
    // line and across it when both fly the same way (vertical or horizontal),
    // and on both axes when their lines cross.
    int32_t meetAlong, meetAcross, meetCrossing;
};
constexpr BulletRules Bullets = {.lowestX = -75,
                                 .highestX = 995,
                                 .lowestY = -75,
                                 .highestY = 739,
                                 .reloadAfterShot = 100,
                                 .flashTicks = 3,
                                 .muzzleReach = 47,
                                 .cellProbe = 20,
                                 .meetAlong = 40,
                                 .meetAcross = 20,
                                 .meetCrossing = 30};

// Moves the bullet one step; false when it has left the field's margins.
bool MoveBullet(Bullet& bullet) {
    MoveAlong(bullet.direction, bullet.speed, bullet.x, bullet.y);
    bullet.frame += 1;
    if (bullet.frame > 6)
        bullet.frame = 0;
    return bullet.x >= Bullets.lowestX && bullet.x <= Bullets.highestX &&
           bullet.y >= Bullets.lowestY && bullet.y <= Bullets.highestY;
}

// Removes the i-th bullet of a list; the shooter gets the bullet back.
void RemoveBullet(std::vector<Bullet>& list, size_t i, TankRecord& shooter) {
    list.erase(list.begin() + i);
    shooter.bulletsInFlight -= 1;
}

// The centres of a bullet and a tank are less than 32 pixels apart on both axes.
bool BulletOverTank(const Bullet& bullet, const TankRecord& tank) {
    return std::abs(bullet.x - (tank.x + 12)) < 32 && std::abs(bullet.y - (tank.y + 12)) < 32;
}

void HitPlayer(const Bullet& bullet, PlayerSide& side) {
    TankRecord& player = side.tank;
    SpawnEffect(bullet.x - 13, bullet.y - 13);
    player.hitPoints = player.hitPoints + player.armour - bullet.damage;
    if (player.hitPoints > 0) {
        player.band = player.hitPoints / 10 - 1;
        return;
    }
    // The wreck keeps its place and fields until the respawn; its bullets
    // fly on.
    PlayCue(ExplosionCue);
    SpawnEffect(player.x - 1, player.y - 1);
    side.lives -= 1;
    side.destroyed = true;
    side.respawnDelay = Delays.respawn;
}

// An enemy bullet against the players' tanks in play, the first player's
// before the second's; true when it hit one.
bool HitsAPlayer(const Bullet& bullet) {
    for (int32_t side = 0; side < SidesInGame(); ++side) {
        if (SideInPlay(side) && BulletOverTank(bullet, Players[side].tank)) {
            HitPlayer(bullet, Players[side]);
            return true;
        }
    }
    return false;
}

// A player bullet hits enemy e; returns true when the enemy was destroyed
// (and removed with its bullets).
bool HitEnemy(const Bullet& bullet, size_t e) {
    BattleStateRecord& battle = BattleState;
    TankRecord& enemy = battle.EnemyList[e];
    SpawnEffect(bullet.x - 13, bullet.y - 13);
    enemy.hitPoints = enemy.hitPoints + enemy.armour - bullet.damage;
    if (enemy.hitPoints > 0) {
        PlayCue(HitCue);
        return false;
    }
    PlayCue(ExplosionCue);
    SpawnEffect(enemy.x - 1, enemy.y - 1);
    RollItemDrop(enemy);
    // Its bullets vanish with it, without explosions.
    battle.EnemyList.erase(battle.EnemyList.begin() + e);
    battle.EnemyBulletLists.erase(battle.EnemyBulletLists.begin() + e);
    battle.EnemiesOnField -= 1;
    if (battle.EnemiesOnField == 0 && battle.EnemiesToSpawn == 0)
        battle.LevelClearDelay = Delays.levelClear;
    return true;
}

}  // namespace

void FireBullet(TankRecord& tank, std::vector<Bullet>& list) {
    if (&tank == &Players[0].tank || &tank == &Players[1].tank)
        PlayCue(CannonCue);
    Bullet bullet{.band = tank.bulletBand,
                  .spare = 100,
                  .direction = tank.turretDir,
                  .x = tank.x + 12,
                  .y = tank.y + 12,
                  .speed = tank.bulletSpeed,
                  .damage = tank.bulletDamage,
                  .frame = 0};
    // The centre starts 47 pixels out along the gun, 15 beyond the hull.
    MoveAlong(tank.turretDir, Bullets.muzzleReach, bullet.x, bullet.y);
    list.push_back(bullet);
    tank.bulletsInFlight += 1;
    if (tank.reloadTimer == 0) {
        tank.reloadTimer = Bullets.reloadAfterShot;
        tank.flashTicks = Bullets.flashTicks;
    }
}

void TankTimers(TankRecord& tank) {
    if (tank.flashTicks > 0)
        tank.flashTicks -= 1;
    if (tank.reloadTimer > 0) {
        tank.reloadTimer -= tank.reloadRate;
        if (tank.reloadTimer < 0)
            tank.reloadTimer = 0;
    }
}

bool ApplyBulletToCell(const Bullet& bullet) {
    int32_t column = (bullet.x + Bullets.cellProbe) / CellSize;
    int32_t row = (bullet.y + Bullets.cellProbe) / CellSize;
    if (!InsideGrid(column, row))
        return false;
    int32_t& cell = WorkingGrid[CellIndex(column, row)];
    switch (CellTerrain(cell)) {
        case Stone:
            return true;
        case Base:
            PlayCue(ExplosionCue);
            SpawnEffect(column * CellSize, row * CellSize);
            cell = Empty;
            BattleState.GameOverDelay = Delays.baseLoss;
            return true;
        case BurningBrick:
        case BurningBrick + 1:
        case BurningBrick + 2:
            cell = Empty;
            return true;
        case Brick:
        case CrackedBrick:
        case BrokenBrick: {
            int32_t weakened = cell + bullet.damage / 10;
            cell = weakened <= BurningBrick ? weakened : Empty;
            return true;
        }
        default:
            return false;
    }
}

bool BulletsCollide(const Bullet& enemyBullet, const Bullet& playerBullet) {
    int32_t dx = std::abs(enemyBullet.x - playerBullet.x);
    int32_t dy = std::abs(enemyBullet.y - playerBullet.y);
    bool firstVertical = enemyBullet.direction == Down || enemyBullet.direction == Up;
    bool secondVertical = playerBullet.direction == Down || playerBullet.direction == Up;
    if (firstVertical && secondVertical)
        return dx < Bullets.meetAcross && dy < Bullets.meetAlong;
    if (!firstVertical && !secondVertical)
        return dx < Bullets.meetAlong && dy < Bullets.meetAcross;
    return dx < Bullets.meetCrossing && dy < Bullets.meetCrossing;
}

void UpdateEnemyBullets() {
    BattleStateRecord& battle = BattleState;
    for (size_t e = 0; e < battle.EnemyList.size(); ++e) {
        TankRecord& enemy = battle.EnemyList[e];
        std::vector<Bullet>& list = battle.EnemyBulletLists[e];
        for (size_t i = 0; i < list.size();) {
            Bullet& bullet = list[i];
            if (!MoveBullet(bullet)) {
                RemoveBullet(list, i, enemy);
                continue;
            }
            if (ApplyBulletToCell(bullet)) {
                SpawnEffect(bullet.x - 13, bullet.y - 13);
                RemoveBullet(list, i, enemy);
                continue;
            }
            if (HitsAPlayer(bullet)) {
                RemoveBullet(list, i, enemy);
                continue;
            }
            DrawBullet(bullet);
            ++i;
        }
        DrawTank(enemy, true);
        TankTimers(enemy);
    }
}

namespace {

// A player's bullet that reaches the partner's tank stops there and does no
// harm: an explosion at the bullet and the hit's sound.
bool StoppedByPartner(std::vector<Bullet>& bullets, size_t i, TankRecord& player,
                      const TankRecord* partner) {
    if (partner == nullptr || !BulletOverTank(bullets[i], *partner))
        return false;
    PlayCue(HitCue);
    SpawnEffect(bullets[i].x - 13, bullets[i].y - 13);
    RemoveBullet(bullets, i, player);
    return true;
}

// The enemy tanks and their bullets against bullet i: true when it was spent.
bool SpentOnEnemies(std::vector<Bullet>& bullets, size_t i, TankRecord& player) {
    BattleStateRecord& battle = BattleState;
    for (size_t e = 0; e < battle.EnemyList.size(); ++e) {
        if (BulletOverTank(bullets[i], battle.EnemyList[e])) {
            HitEnemy(bullets[i], e);
            RemoveBullet(bullets, i, player);
            return true;
        }
        std::vector<Bullet>& enemyBullets = battle.EnemyBulletLists[e];
        for (size_t j = 0; j < enemyBullets.size(); ++j) {
            if (!BulletsCollide(enemyBullets[j], bullets[i]))
                continue;
            PlayCue(HitCue);
            SpawnEffect(bullets[i].x - 13, bullets[i].y - 13);
            RemoveBullet(bullets, i, player);
            SpawnEffect(enemyBullets[j].x - 13, enemyBullets[j].y - 13);
            RemoveBullet(enemyBullets, j, battle.EnemyList[e]);
            return true;
        }
    }
    return false;
}

// One player's bullets; `partner` is the other player's tank while it is in
// play, else null. The two players' bullets never meet.
void UpdateBulletsOf(std::vector<Bullet>& bullets, TankRecord& player, const TankRecord* partner) {
    for (size_t i = 0; i < bullets.size();) {
        if (!MoveBullet(bullets[i])) {
            RemoveBullet(bullets, i, player);
            continue;
        }
        if (ApplyBulletToCell(bullets[i])) {
            // After a destroyed base this cuts its explosion sound off at once.
            PlayCue(HitCue);
            SpawnEffect(bullets[i].x - 13, bullets[i].y - 13);
            RemoveBullet(bullets, i, player);
            continue;
        }
        if (StoppedByPartner(bullets, i, player, partner) || SpentOnEnemies(bullets, i, player))
            continue;
        DrawBullet(bullets[i]);
        ++i;
    }
}

}  // namespace

void UpdatePlayerBullets(int32_t side) {
    UpdateBulletsOf(Players[side].bullets, Players[side].tank, PartnerInPlay(side));
}
