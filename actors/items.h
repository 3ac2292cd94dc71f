// Power-up items: the one item slot, the drop roll of a destroyed enemy, and
// the pickup by the player's tank.
#pragma once

#include "state/battle_state.h"

// One roll for every enemy destroyed by the player: a drop of the item that
// matches the enemy's colour replaces any item lying on the field.
void RollItemDrop(const TankRecord& enemy);

// Once per tick, after the cells: draws the item, and gives it to the living
// player's tank when the two corners are at most 32 pixels apart on both axes
// (with two players, the first player's tank before the second's).
void UpdateItem();
