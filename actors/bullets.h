// Bullets: firing, the two per-tick passes that move, test and remove them,
// and the rules of a bullet against cells, tanks and other bullets.
#pragma once

#include <vector>

#include "state/battle_state.h"

// Creates a bullet at the tank's muzzle, 47 pixels from its centre along the
// gun, and appends it to the list. The caller has checked that the tank may
// fire. Only the player's shot is heard.
void FireBullet(TankRecord& tank, std::vector<Bullet>& list);

// Every enemy's bullets in list order: move, stop on a cell, hit the living
// player; then that enemy's muzzle flash and tank timers.
void UpdateEnemyBullets();

// One side's bullets in order: move, stop on a cell, hit an enemy tank or
// meet an enemy bullet (each enemy's tank before its bullets). In a game of
// two players the second side's follow the first's; a player's bullet that
// reaches the other player's tank (before any enemy is tested) stops there
// without damage, and the players' bullets never meet each other.
void UpdatePlayerBullets(int32_t side);

// Applies a bullet to the cell under its centre; true when the cell stops it.
// Bricks weaken, burning bricks fall, stone holds, the base is destroyed.
bool ApplyBulletToCell(const Bullet& bullet);

// True when the two bullets touch, by the pair of their directions.
bool BulletsCollide(const Bullet& enemyBullet, const Bullet& playerBullet);

// Once per tick for every tank, in its upper drawing layer: the muzzle flash
// and the reload count down.
void TankTimers(TankRecord& tank);
