// The two passes that draw the level's cells, in play and in the editor.
#pragma once

// Draws the background and every cell but Empty and Grass, as they are: the
// animation has moved on before (AnimateTerrain).
void DrawTerrain();
// Draws the cells whose code is exactly Grass, over the tanks.
void DrawGrass();
