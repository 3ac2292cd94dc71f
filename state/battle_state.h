// The records of a battle: the tank, bullet and explosion records, the two
// player sides and the one global BattleState that every step of a tick reads
// and writes (their parts that live for a game and those that live for a
// level), and the level's grid.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Directions of tanks and bullets; the same number is the sprite column.
enum Direction : int32_t { Down = 0, Left = 1, Up = 2, Right = 3 };

// Moves a point `pixels` along a direction (back against it for a negative
// count); a direction outside the four leaves the point where it is.
inline void MoveAlong(int32_t direction, int32_t pixels, int32_t& x, int32_t& y) {
    switch (direction) {
        case Down:
            y += pixels;
            break;
        case Left:
            x -= pixels;
            break;
        case Up:
            y -= pixels;
            break;
        case Right:
            x += pixels;
            break;
        default:
            break;
    }
}

// One tank, the player's or an enemy's.
struct TankRecord {
    int32_t band;  // sprite band: the player's armour level 0-3, enemy class 4-7
    int32_t hitPoints;
    int32_t armour;   // subtracted from every hit's damage
    int32_t moveDir;  // direction of the current or last move
    int32_t x;        // top-left corner in field pixels
    int32_t y;
    int32_t turretDir;    // bullets leave this way
    bool turretLocked;    // when set, starting a move leaves the gun as it is
    int32_t reloadTimer;  // 100 after a shot; the tank fires only at 0
    int32_t moveTicks;    // ticks left in the current one-cell move
    int32_t trackFrame;   // 0, 1 or 2
    int32_t speed;        // base pixels per tick
    int32_t stepPixels;   // pixels per tick of the current move
    int32_t flashTicks;   // ticks of muzzle flash left to draw
    int32_t reloadRate;   // how fast reloadTimer falls
    int32_t bulletBand;
    int32_t bulletsInFlight;
    int32_t maxBullets;
    int32_t bulletDamage;
    int32_t bulletSpeed;
    int32_t waitTicks;  // enemies: ticks to stay put after a refused move
};

// The player's tank at a new game and after every respawn: below the field
// at column 5, facing up, with 16 ticks of 4 pixels to drive into row 10.
inline constexpr TankRecord FreshPlayerRecord = {.band = 1,
                                                 .hitPoints = 20,
                                                 .armour = 0,
                                                 .moveDir = Up,
                                                 .x = 320,
                                                 .y = 704,
                                                 .turretDir = Up,
                                                 .turretLocked = false,
                                                 .reloadTimer = 0,
                                                 .moveTicks = 16,
                                                 .trackFrame = 0,
                                                 .speed = 4,
                                                 .stepPixels = 4,
                                                 .flashTicks = 0,
                                                 .reloadRate = 8,
                                                 .bulletBand = 2,
                                                 .bulletsInFlight = 0,
                                                 .maxBullets = 1,
                                                 .bulletDamage = 10,
                                                 .bulletSpeed = 8,
                                                 .waitTicks = 0};

// Where each player's tank starts, by side: the second at the mirror of the
// first's start across the base (column 9).
inline constexpr int32_t PlayerStartX[2] = {FreshPlayerRecord.x, 576};

// The delays of a level, in ticks.
struct DelayRules {
    int32_t respawn;     // a destroyed player's tank to its return
    int32_t baseLoss;    // a destroyed base to the game's end
    int32_t levelClear;  // the last enemy destroyed to the level's end
    int32_t arrival;     // between two enemies' arrivals
};
inline constexpr DelayRules Delays = {
    .respawn = 100, .baseLoss = 100, .levelClear = 200, .arrival = 100};

// Enemies a level sends in all.
inline constexpr int32_t EnemiesPerLevel = 20;

// The caps that items and the upgrade combination raise the player's tank to.
inline constexpr int32_t MaxPlayerHitPoints = 40;
inline constexpr int32_t MaxPlayerReloadRate = 16;
inline constexpr int32_t MaxPlayerSpeed = 8;
inline constexpr int32_t MaxPlayerBullets = 2;
inline constexpr int32_t MaxPlayerBulletSpeed = 24;

// One shell in flight; its 40 x 40 box has its corner at (x, y).
struct Bullet {
    int32_t band;  // sprite band in the bullet sheet: the shooter's bulletBand
    // 100 at creation and never read by a rule; kept because morvask-sim's
    // dumps carry it, and the scripts that read them expect it.
    int32_t spare;
    int32_t direction;
    int32_t x;
    int32_t y;
    int32_t speed;
    int32_t damage;
    int32_t frame;  // trail animation, 0 to 6
};

// One running explosion; its 66 x 66 picture has its corner at (x, y).
struct Effect {
    int32_t x;
    int32_t y;
    int32_t frame;  // ticks drawn so far, 0 to 24
    bool finished;
};

// What a destroyed or dropped item slot holds.
enum ItemValue : int32_t {
    ArmourItem = 0,
    FireRateItem = 1,
    SpeedItem = 2,
    ExtraBulletItem = 3,
    NoItem = 4,
};

// One player's side: index 0 of Players is the first player, 1 the second.
// With one player the second side takes no part in the game.
struct PlayerSide {
    // For a game: the tank with its upgrades (carried from level to level)
    // and the tanks left besides the one in play.
    TankRecord tank;
    int32_t lives;
    // For a level: the wreck, its countdown to the return, the bullets (which
    // fly on after the tank is destroyed).
    bool destroyed;
    int32_t respawnDelay;
    std::vector<Bullet> bullets;
    // For the run: the lock key's edge latch, true at program start and never
    // reset by a game or a level, so a lock key held across a level start
    // toggles once.
    bool turretLockLatch = true;
};

// The lists own their records: removing an element frees it. The n-th list
// of EnemyBulletLists holds the bullets of the n-th tank of EnemyList, and the
// two change together.
struct BattleStateRecord {
    // For a game: the level played.
    int32_t LevelIndex;
    // For a level: reset by every level start.
    int32_t GameOverDelay;
    int32_t LevelClearDelay;
    int32_t EnemiesToSpawn;
    int32_t EnemiesOnField;
    int32_t SpawnDelay;
    std::vector<TankRecord> EnemyList;
    std::vector<std::vector<Bullet>> EnemyBulletLists;
    std::vector<Effect> Effects;
    int32_t DroppedItem;
    int32_t ItemX;
    int32_t ItemY;
    int32_t TerrainPhaseA;
    int32_t TerrainPhaseB;
    // For a game: 1, or 2 for a game of two players.
    int32_t PlayerCount;
};

extern BattleStateRecord BattleState;
extern PlayerSide Players[2];

// The level now played or edited, copied from LevelSet at every level start.
extern std::vector<int32_t> WorkingGrid;

// FreshPlayerRecord at the side's start.
TankRecord FreshPlayerTank(int32_t side);

// True in a game of two players.
inline bool TwoPlayers() {
    return BattleState.PlayerCount == 2;
}

// The sides that take part in the game: 1, or 2 in a game of two players.
inline int32_t SidesInGame() {
    return TwoPlayers() ? 2 : 1;
}

// The side's tank is on the field: it takes part and is not a wreck.
inline bool SideInPlay(int32_t side) {
    return side < SidesInGame() && !Players[side].destroyed;
}

// The other side's tank while it is in play, else null: the partner blocks
// the side's moves and stops its bullets.
inline TankRecord* PartnerInPlay(int32_t side) {
    const int32_t other = 1 - side;
    return SideInPlay(other) ? &Players[other].tank : nullptr;
}

// BattleState zeroed, the sides' game and level fields zeroed (the lock
// latches live for the run) and WorkingGrid empty, as at program start.
void ResetBattleState();
