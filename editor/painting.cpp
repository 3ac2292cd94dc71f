// Painting the levels with the mouse.
#include "editor/painting.h"

#include "levels/cell_animation.h"
#include "levels/level_grid.h"
#include "render/draw.h"
#include "state/battle_state.h"
#include "state/key_poll.h"
#include "state/program_state.h"

int32_t Brush = Brick;

namespace {

struct BrushKey {
    int key;
    int32_t code;
};

constexpr BrushKey BrushKeys[] = {
    {.key = '1', .code = Brick}, {.key = '2', .code = Stone}, {.key = '3', .code = Grass},
    {.key = '4', .code = Ice},   {.key = '5', .code = Base},  {.key = '6', .code = Sand},
    {.key = '7', .code = Water},
};

}  // namespace

void ResetBrush() {
    Brush = Brick;
}

void PaintCellAt(int32_t x, int32_t y, int32_t code) {
    // Positions left of or above the client arrive as large unsigned values,
    // so one test against the field covers them too.
    if (x < 0 || x >= FieldWidth || y < 0 || y >= FieldHeight)
        return;
    WriteLevelCell(BattleState.LevelIndex, CellIndex(x / CellSize, y / CellSize), code);
}

void EditorStep() {
    AnimateTerrain();
    DrawGround();
    DrawGrassCells();
    // The cursor follows the mouse freely, also beyond the field's edges,
    // whose positions are the 16-bit halves taken back as signed.
    DrawBrush(Brush, int16_t(MouseX), int16_t(MouseY));
    PresentFrame();

    if (KeyIsDown(platform::VK_LBUTTON)) {
        PaintCellAt(MouseX, MouseY, Brush);
    } else if (KeyIsDown(platform::VK_RBUTTON)) {
        PaintCellAt(MouseX, MouseY, Empty);
    } else {
        for (const BrushKey& entry : BrushKeys) {
            if (KeyIsDown(entry.key)) {
                Brush = entry.code;
                break;
            }
        }
    }
}
