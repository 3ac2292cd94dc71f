// The records of a battle: the tank, bullet and explosion records, the one
// global BattleState that every step of a tick reads and writes (its parts
// that live for a game and those that live for a level), and the level's grid.
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

// The second player's tank starts from the same fresh record, at the mirror
// of the first player's start across the base (column 9).
inline constexpr int32_t SecondPlayerStartX = 576;

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

// The lists own their records: removing an element frees it. The n-th list
// of EnemyBulletLists holds the bullets of the n-th tank of EnemyList, and the
// two change together.
struct BattleStateRecord {
    // For a game: the tank with its upgrades (carried from level to level),
    // the level played and the lives left.
    TankRecord Player;
    int32_t LevelIndex;
    int32_t Lives;
    // For a level: reset by every level start.
    bool PlayerDestroyed;
    int32_t RespawnDelay;
    int32_t GameOverDelay;
    int32_t LevelClearDelay;
    int32_t EnemiesToSpawn;
    int32_t EnemiesOnField;
    int32_t SpawnDelay;
    std::vector<TankRecord> EnemyList;
    std::vector<std::vector<Bullet>> EnemyBulletLists;
    std::vector<Bullet> PlayerBullets;
    std::vector<Effect> Effects;
    int32_t DroppedItem;
    int32_t ItemX;
    int32_t ItemY;
    int32_t TerrainPhaseA;
    int32_t TerrainPhaseB;
    // A game of two players (PlayerCount 2): the second player's tank, tanks
    // left and bullets for the game, its wreck and respawn for the level, as
    // the first player's above. With one player nothing reads them.
    int32_t PlayerCount;
    TankRecord Player2;
    int32_t Lives2;
    bool Player2Destroyed;
    int32_t Player2RespawnDelay;
    std::vector<Bullet> Player2Bullets;
};

extern BattleStateRecord BattleState;

// The level now played or edited, copied from LevelSet at every level start.
extern std::vector<int32_t> WorkingGrid;

// Copies FreshPlayerRecord into the player's tank.
void ResetPlayer();
// The second player's fresh tank: FreshPlayerRecord at SecondPlayerStartX.
void ResetPlayer2();

// True in a game of two players.
inline bool TwoPlayers() {
    return BattleState.PlayerCount == 2;
}

// What one player has, for whatever shows it around the field.
struct PlayerStatusRecord {
    bool playing;            // player 1 always; player 2 only in a game of two
    int32_t lives;           // Lives or Lives2: tanks left besides the one in play
    const TankRecord* tank;  // its tank: armour (band, hitPoints), speed, bullets
};
// Player 1 or 2.
PlayerStatusRecord PlayerStatus(int32_t player);
// BattleState zeroed and WorkingGrid empty, as at program start.
void ResetBattleState();
