// The two passes that draw the level's cells, in play and in the editor.
#pragma once

// Advances the cell animation in WorkingGrid and moves the two animation
// phases on; draws the background and every cell but Empty and Grass.
void DrawTerrain();
// Draws the cells whose code is exactly Grass, over the tanks.
void DrawGrass();
