// The two tests that decide a tank's move when it starts: the ground ahead,
// and another tank in the way. The player and the enemies share them.
#pragma once

#include "state/battle_state.h"

// Looks at the cell the tank would drive into along its moveDir; true when
// the move is refused. Sets stepPixels for the move: speed, twice speed onto
// ice, 1 onto sand; a cell beyond the field's edge leaves it as it was.
bool TerrainRefusesMove(TankRecord& tank);

// True when `other` stands in the way of a move of `mover` along mover's
// moveDir: straight ahead in the next cell or on its way through the one
// after, or exactly one cell ahead and less than a cell to the side. Tanks
// that already overlap never block each other.
bool TankBlocks(const TankRecord& mover, const TankRecord& other);

// Advances the track animation by one frame: 0, 1, 2, 0, ...
void AdvanceTrack(TankRecord& tank);

// Turns the body to the direction, and the gun with it unless it is locked;
// the tracks roll one frame.
void TurnTank(TankRecord& tank, int32_t direction);
