// Drawing the cells of the working grid.
#include "render/terrain.h"

#include "render/draw.h"

void DrawTerrain() {
    DrawGround();
}

void DrawGrass() {
    DrawGrassCells();
}
