// The map editor: one tick shows the level and the brush, and paints the cell
// under the mouse while a button is held.
#pragma once

#include <cstdint>

// The code the editor's left mouse button paints; Brick at program start,
// changed only by the digit keys 1 to 7, kept when the editor is left and
// entered again.
extern int32_t Brush;

// The brush as a field of the program's state (state/state_fields.h).
template <typename Visit>
void VisitBrush(Visit&& visit) {
    visit("Brush", Brush);
}

// Brick in the brush again, as at program start.
void ResetBrush();

// One editor tick: background, cells, grass, the brush centred on the mouse,
// the picture to the window; then the left button paints Brush, or else the
// right button paints Empty, or else a digit key chooses the brush.
void EditorStep();

// Writes a code into the cell under (x, y) of the current level
// (WriteLevelCell); a point outside the field paints nothing.
void PaintCellAt(int32_t x, int32_t y, int32_t code);
