// Enemy tanks wander the grid one cell at a time, turning at random, waiting
// when blocked and firing at random along their guns. They never aim.
#include "actors/enemies.h"

#include "actors/bullets.h"
#include "battle/movement.h"
#include "battle/random.h"
#include "render/draw.h"

namespace {

// Every kind starts one cell above the field facing down, with 4 of reload
// per tick and 10 of damage; the entry move is one full cell.
constexpr TankRecord EnemyKinds[] = {
    {.kind = 4, .hitPoints = 30, .armour = 0, .moveDir = Down, .x = 0, .y = -64,  // BasicTank
     .turretDir = Down, .turretLocked = false, .reloadTimer = 0, .moveTicks = 32,
     .trackFrame = 0, .speed = 2, .stepPixels = 2, .flashTicks = 0, .reloadRate = 4,
     .bulletKind = 1, .bulletsInFlight = 0, .maxBullets = 1, .bulletDamage = 10,
     .bulletSpeed = 6, .waitTicks = 0},
    {.kind = 5, .hitPoints = 20, .armour = 0, .moveDir = Down, .x = 0, .y = -64,  // FastTank
     .turretDir = Down, .turretLocked = false, .reloadTimer = 0, .moveTicks = 8,
     .trackFrame = 0, .speed = 8, .stepPixels = 8, .flashTicks = 0, .reloadRate = 4,
     .bulletKind = 2, .bulletsInFlight = 0, .maxBullets = 1, .bulletDamage = 10,
     .bulletSpeed = 12, .waitTicks = 0},
    {.kind = 6, .hitPoints = 50, .armour = 0, .moveDir = Down, .x = 0, .y = -64,  // TurretTank
     .turretDir = Down, .turretLocked = true, .reloadTimer = 0, .moveTicks = 32,
     .trackFrame = 0, .speed = 2, .stepPixels = 2, .flashTicks = 0, .reloadRate = 4,
     .bulletKind = 3, .bulletsInFlight = 0, .maxBullets = 2, .bulletDamage = 10,
     .bulletSpeed = 6, .waitTicks = 0},
    {.kind = 7, .hitPoints = 70, .armour = 0, .moveDir = Down, .x = 0, .y = -64,  // HeavyTank
     .turretDir = Down, .turretLocked = false, .reloadTimer = 0, .moveTicks = 16,
     .trackFrame = 0, .speed = 4, .stepPixels = 4, .flashTicks = 0, .reloadRate = 4,
     .bulletKind = 0, .bulletsInFlight = 0, .maxBullets = 2, .bulletDamage = 10,
     .bulletSpeed = 8, .waitTicks = 0},
};
constexpr int BasicTank = 0, FastTank = 1, TurretTank = 2, HeavyTank = 3;

// Roll 10 for the kind: 0 fast, 1 turret, 2 heavy, 3 to 9 basic.
const TankRecord& KindOfRoll(int32_t roll) {
    switch (roll) {
        case 0: return EnemyKinds[FastTank];
        case 1: return EnemyKinds[TurretTank];
        case 2: return EnemyKinds[HeavyTank];
        default: return EnemyKinds[BasicTank];
    }
}

void SpawnEnemy() {
    BattleStateRecord& battle = BattleState;
    battle.EnemiesOnField += 1;
    battle.EnemiesToSpawn -= 1;
    // The kind is rolled before the column.
    TankRecord enemy = KindOfRoll(Roll(10));
    enemy.x = Roll(3) * 448;  // columns 0, 7 and 14
    battle.EnemyList.push_back(enemy);
    battle.EnemyBulletLists.emplace_back();
}

// The decision of a standing tank: maybe turn, then try the cell ahead.
void Decide(TankRecord& tank, size_t self) {
    BattleStateRecord& battle = BattleState;
    // While its flash shows a tank keeps its heading and makes no roll.
    if (tank.flashTicks == 0 && (Roll(4) == 0 || FacesOwnEdge(tank, tank.moveDir))) {
        do {
            TurnTank(tank, Roll(4));
        } while (FacesOwnEdge(tank, tank.moveDir));
    }
    tank.moveTicks = 64 / tank.speed;
    if (CheckTerrain(tank) || (!battle.PlayerDestroyed && TankBlocks(tank, battle.Player))) {
        tank.waitTicks = 5;
        tank.moveTicks = 0;
    } else {
        for (size_t other = 0; other < battle.EnemyList.size(); ++other) {
            // Blocked only by another enemy: no wait, decide again next tick.
            if (other != self && TankBlocks(tank, battle.EnemyList[other])) {
                tank.moveTicks = 0;
                break;
            }
        }
    }
    if (tank.moveTicks > 0) tank.moveTicks = 64 / tank.stepPixels;
}

void Move(TankRecord& tank) {
    AdvanceTrack(tank);
    tank.moveTicks -= 1;
    switch (tank.moveDir) {
        case Down: tank.y += tank.stepPixels; break;
        case Left: tank.x -= tank.stepPixels; break;
        case Up: tank.y -= tank.stepPixels; break;
        case Right: tank.x += tank.stepPixels; break;
        default: break;
    }
    AdvanceTrack(tank);
}

}  // namespace

bool FacesOwnEdge(const TankRecord& tank, int32_t d) {
    return (d == Down && tank.y == 640) || (d == Left && tank.x == 0) ||
           (d == Up && tank.y == 0) || (d == Right && tank.x == 896);
}

void SpawnEnemyStep() {
    BattleStateRecord& battle = BattleState;
    if (battle.EnemiesOnField < 4 && battle.SpawnDelay == 0) {
        if (battle.EnemiesToSpawn <= 0) return;
        battle.SpawnDelay = 100;
    } else if (battle.SpawnDelay <= 0) {
        return;
    }
    // A delay that has started runs to its end.
    battle.SpawnDelay -= 1;
    if (battle.SpawnDelay != 0) return;
    SpawnEnemy();
}

void UpdateEnemyTanks() {
    BattleStateRecord& battle = BattleState;
    for (size_t e = 0; e < battle.EnemyList.size(); ++e) {
        TankRecord& tank = battle.EnemyList[e];
        // A locked gun is re-aimed at random; any gun that points out of the
        // field from its edge is re-aimed at once. Not while the flash shows.
        if (tank.flashTicks == 0 &&
            ((tank.turretLocked && Roll(50) == 0) || FacesOwnEdge(tank, tank.turretDir))) {
            do {
                tank.turretDir = Roll(4);
            } while (FacesOwnEdge(tank, tank.turretDir));
        }
        if (tank.reloadTimer == 0 && tank.bulletsInFlight < tank.maxBullets && Roll(20) == 0)
            FireBullet(tank, battle.EnemyBulletLists[e]);
        if (tank.waitTicks > 0) {
            AdvanceTrack(tank);
            tank.waitTicks -= 1;
        }
        if (tank.moveTicks == 0 && tank.waitTicks == 0) Decide(tank, e);
        if (tank.moveTicks > 0) Move(tank);
        DrawTank(tank, false);
    }
}
