// The map editor: one tick shows the level and the brush, and paints the cell
// under the mouse while a button is held.
#pragma once

#include <cstdint>

// One editor tick: background, cells, grass, the brush centred on the mouse,
// the picture to the window; then the left button paints Brush, or else the
// right button paints Empty, or else a digit key chooses the brush.
void EditorStep();

// Writes a code into the cell under (x, y) of the current level, in LevelSet
// and WorkingGrid alike; a point outside the field paints nothing.
void PaintCellAt(int32_t x, int32_t y, int32_t code);
