// The player's tank under the keyboard, once per tick while it is alive.
#pragma once

// Level keys and the upgrade combination (with Z held), starting a one-cell
// move on an arrow, carrying a move on and snapping it to the grid at its
// end, the gun keys, the lock key and the fire key.
void PlayerControlStep();

// Set when Z with Up, Down or F (the level select or the upgrade) has acted,
// for the shell's records to notice and clear; no rule reads it.
extern bool ZKeysUsed;
