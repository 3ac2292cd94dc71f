// The player's tank under the keyboard, once per tick while it is alive.
#pragma once

// Level keys and the upgrade combination (with Z held), starting a one-cell
// move on an arrow, carrying a move on and snapping it to the grid at its
// end, the gun keys, the lock key and the fire key.
void PlayerControlStep();

// The second player's tank in a game of two players, right after the first
// player's step: the same steps on the second player's keys, without the
// level keys and the upgrade combination (Z acts from the first player's
// step, and its upgrade raises both tanks).
void Player2ControlStep();

// Set when Z with Up, Down or F (the level select or the upgrade) has acted,
// for the shell's records to notice and clear; no rule reads it.
extern bool ZKeysUsed;
