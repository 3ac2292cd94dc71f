// The animation of burning bricks and water, which lives in the cell codes.
#pragma once

#include <cstdint>

// The code a cell takes in a pass of the terrain with the phases given.
// Burning bricks step when phase A is 5: 4, 5, 6, 4, ... Water steps when
// phase B is 3: 12 up to 22, then 123 down to 113, then 12 again, so that
// its sprite (the code modulo 100) swings forward and back.
int32_t AnimateCell(int32_t code, int32_t phaseA, int32_t phaseB);

// Once per pass of the terrain, before it is drawn: animates every cell of
// WorkingGrid but Empty and Grass and moves the two phases on.
void AnimateTerrain();
