// The players' tanks under the keyboard, once per tick while each is alive.
#pragma once

#include <cstdint>

// One side's tank: starting a one-cell move on a drive key, carrying a move
// on and snapping it to the grid at its end, the gun keys, the lock key and
// the fire key. The first player's step takes the level keys and the upgrade
// combination (with Z held, instead of a new move) as well; in a game of two
// players the second player's step follows it, on the second player's keys,
// and the upgrade raises both tanks.
void PlayerControlStep(int32_t side);

// Set when Z with Up, Down or F (the level select or the upgrade) has acted,
// for the shell's records to notice and clear; no rule reads it.
extern bool ZKeysUsed;
