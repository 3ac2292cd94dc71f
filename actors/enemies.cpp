// Enemy tanks wander the grid one cell at a time, turning at random, waiting
// when blocked and firing at random along their guns. They never aim.
#include "actors/enemies.h"

#include "actors/bullets.h"
#include "actors/movement.h"
#include "levels/level_grid.h"
#include "render/draw.h"
#include "state/random.h"

namespace {

// The four enemy classes. Every class starts one cell above the field facing
// down, with 4 of reload per tick and 10 of damage, and drives one whole cell
// in before anything tests it.
struct EnemyClass {
    int32_t band;  // the tank sheet's band of this class
    int32_t hitPoints;
    int32_t speed;
    bool turretLocked;  // the gun keeps its own direction and is re-aimed at random
    int32_t bulletBand;
    int32_t maxBullets;
    int32_t bulletSpeed;
};

// clang-format off
constexpr EnemyClass BasicTank  = {.band = 4, .hitPoints = 30, .speed = 2, .turretLocked = false, .bulletBand = 1, .maxBullets = 1, .bulletSpeed = 6};
constexpr EnemyClass FastTank   = {.band = 5, .hitPoints = 20, .speed = 8, .turretLocked = false, .bulletBand = 2, .maxBullets = 1, .bulletSpeed = 12};
constexpr EnemyClass TurretTank = {.band = 6, .hitPoints = 50, .speed = 2, .turretLocked = true,  .bulletBand = 3, .maxBullets = 2, .bulletSpeed = 6};
constexpr EnemyClass HeavyTank  = {.band = 7, .hitPoints = 70, .speed = 4, .turretLocked = false, .bulletBand = 0, .maxBullets = 2, .bulletSpeed = 8};
// clang-format on

// The enemies' rolls, arrivals and waits.
struct EnemyRules {
    int32_t classRoll;       // roll for the class (see ClassOfRoll)
    int32_t turnRoll;        // a standing tank turns at random when this roll gives 0
    int32_t directionRoll;   // the roll of a new direction, body or gun
    int32_t reaimRoll;       // a locked gun is re-aimed when this roll gives 0
    int32_t fireRoll;        // a loaded gun fires when this roll gives 0
    int32_t arrivalColumns;  // roll for the column: 0, 7 or 14
    int32_t columnStep;      // pixels between two arrival columns
    int32_t maxOnField;
    int32_t waitAfterRefusal;  // ticks a tank stands after its move was refused
    int32_t reloadRate;
    int32_t bulletDamage;
    int32_t lowestRowY;        // the y of the field's bottom row
    int32_t rightmostColumnX;  // the x of the field's right column
};
constexpr EnemyRules Enemies = {.classRoll = 10,
                                .turnRoll = 4,
                                .directionRoll = 4,
                                .reaimRoll = 50,
                                .fireRoll = 20,
                                .arrivalColumns = 3,
                                .columnStep = 7 * CellSize,
                                .maxOnField = 4,
                                .waitAfterRefusal = 5,
                                .reloadRate = 4,
                                .bulletDamage = 10,
                                .lowestRowY = FieldHeight - CellSize,
                                .rightmostColumnX = FieldWidth - CellSize};

// Roll 10 for the class: 0 fast, 1 turret, 2 heavy, 3 to 9 basic.
const EnemyClass& ClassOfRoll(int32_t roll) {
    switch (roll) {
        case 0:
            return FastTank;
        case 1:
            return TurretTank;
        case 2:
            return HeavyTank;
        default:
            return BasicTank;
    }
}

TankRecord NewEnemy(const EnemyClass& k, int32_t x) {
    return TankRecord{.band = k.band,
                      .hitPoints = k.hitPoints,
                      .armour = 0,
                      .moveDir = Down,
                      .x = x,
                      .y = -CellSize,
                      .turretDir = Down,
                      .turretLocked = k.turretLocked,
                      .reloadTimer = 0,
                      .moveTicks = CellSize / k.speed,
                      .trackFrame = 0,
                      .speed = k.speed,
                      .stepPixels = k.speed,
                      .flashTicks = 0,
                      .reloadRate = Enemies.reloadRate,
                      .bulletBand = k.bulletBand,
                      .bulletsInFlight = 0,
                      .maxBullets = k.maxBullets,
                      .bulletDamage = Enemies.bulletDamage,
                      .bulletSpeed = k.bulletSpeed,
                      .waitTicks = 0};
}

void SpawnEnemy() {
    BattleStateRecord& battle = BattleState;
    battle.EnemiesOnField += 1;
    battle.EnemiesToSpawn -= 1;
    // The class is rolled before the column.
    const EnemyClass& tankClass = ClassOfRoll(Roll(Enemies.classRoll));
    battle.EnemyList.push_back(
        NewEnemy(tankClass, Roll(Enemies.arrivalColumns) * Enemies.columnStep));
    battle.EnemyBulletLists.emplace_back();
}

// A player's tank in play blocks the move, the first player's tested first.
bool PlayerInTheWay(const TankRecord& tank) {
    for (int32_t side = 0; side < SidesInGame(); ++side)
        if (SideInPlay(side) && TankBlocks(tank, Players[side].tank))
            return true;
    return false;
}

// The decision of a standing tank: maybe turn, then try the cell ahead. A
// player's tank in the way makes it wait, as a wall does.
void Decide(TankRecord& tank, size_t self) {
    BattleStateRecord& battle = BattleState;
    // While its flash shows a tank keeps its heading and makes no roll.
    if (tank.flashTicks == 0 && (Roll(Enemies.turnRoll) == 0 || FacesOwnEdge(tank, tank.moveDir))) {
        do {
            TurnTank(tank, Roll(Enemies.directionRoll));
        } while (FacesOwnEdge(tank, tank.moveDir));
    }
    tank.moveTicks = CellSize / tank.speed;
    if (TerrainRefusesMove(tank) || PlayerInTheWay(tank)) {
        tank.waitTicks = Enemies.waitAfterRefusal;
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
    if (tank.moveTicks > 0)
        tank.moveTicks = CellSize / tank.stepPixels;
}

void Move(TankRecord& tank) {
    AdvanceTrack(tank);
    tank.moveTicks -= 1;
    MoveAlong(tank.moveDir, tank.stepPixels, tank.x, tank.y);
    AdvanceTrack(tank);
}

}  // namespace

bool FacesOwnEdge(const TankRecord& tank, int32_t d) {
    return (d == Down && tank.y == Enemies.lowestRowY) || (d == Left && tank.x == 0) ||
           (d == Up && tank.y == 0) || (d == Right && tank.x == Enemies.rightmostColumnX);
}

void SpawnEnemyStep() {
    BattleStateRecord& battle = BattleState;
    if (battle.EnemiesOnField < Enemies.maxOnField && battle.SpawnDelay == 0) {
        if (battle.EnemiesToSpawn <= 0)
            return;
        battle.SpawnDelay = Delays.arrival;
    } else if (battle.SpawnDelay <= 0) {
        return;
    }
    // A delay that has started runs to its end.
    battle.SpawnDelay -= 1;
    if (battle.SpawnDelay != 0)
        return;
    SpawnEnemy();
}

void UpdateEnemyTanks() {
    BattleStateRecord& battle = BattleState;
    for (size_t e = 0; e < battle.EnemyList.size(); ++e) {
        TankRecord& tank = battle.EnemyList[e];
        // A locked gun is re-aimed at random; any gun that points out of the
        // field from its edge is re-aimed at once. Not while the flash shows.
        if (tank.flashTicks == 0 && ((tank.turretLocked && Roll(Enemies.reaimRoll) == 0) ||
                                     FacesOwnEdge(tank, tank.turretDir))) {
            do {
                tank.turretDir = Roll(Enemies.directionRoll);
            } while (FacesOwnEdge(tank, tank.turretDir));
        }
        if (tank.reloadTimer == 0 && tank.bulletsInFlight < tank.maxBullets &&
            Roll(Enemies.fireRoll) == 0)
            FireBullet(tank, battle.EnemyBulletLists[e]);
        if (tank.waitTicks > 0) {
            AdvanceTrack(tank);
            tank.waitTicks -= 1;
        }
        if (tank.moveTicks == 0 && tank.waitTicks == 0)
            Decide(tank, e);
        if (tank.moveTicks > 0)
            Move(tank);
        DrawTank(tank, false);
    }
}
