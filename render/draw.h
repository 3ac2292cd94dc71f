// The drawing operations: each reads a record and writes pixels into the back
// buffer, and changes no game state. With drawing off they do nothing.
#pragma once

#include <cstdint>

#include "platform/platform.h"
#include "state/battle_state.h"

// Whether anything is drawn at all: off in headless runs that want the game's
// logic alone; the game plays the same either way. (How a frame is drawn is
// DrawFramesWhole, render/frame_layers.h.)
extern bool DrawingEnabled;
// Drawing on again, as at program start.
void ResetDrawing();

// One w x h sprite whose image lies at (sx, sy) of the sheet and its mask
// directly below, drawn transparently at (x, y) of the back buffer.
// The top-left of sprite n of the cell sheet (4 to a row), or false when the
// sheet has no such sprite.
bool CellSpriteSource(int32_t n, int& sx, int& sy);
// The top-left of a tank sheet's sprite: band `band` (10 rows of images,
// each with its mask below), facing `direction`, row `row` of the band (8
// is the gun at rest).
void TankSpriteSource(int32_t band, int32_t direction, int32_t row, int& sx, int& sy);

void DrawMasked(platform::Surface sheet, int sx, int sy, int w, int h, int x, int y);
// Copies the back buffer to the window.
void PresentFrame();
// The grass background with every cell of WorkingGrid but Empty and Grass
// drawn over it, the first layer of every frame. The picture is the same as
// copying the background and drawing the cells one by one, but the sprites of
// the frame are put into the back buffer only when it is presented, over
// just what changed (render/frame_layers.h).
void DrawGround();
// The cells whose code is exactly Grass, over what was drawn before.
void DrawGrassCells();
// The cell sprite of a code at grid index i (no sprite for kinds outside the
// sheet, which only hand-edited maps can hold).
void DrawCell(int32_t code, int32_t index);
// One layer of a tank: the lower is the hull and the gun (pushed back by its
// recoil), the upper the muzzle flash while it shows.
void DrawTank(const TankRecord& tank, bool upper);
// In a game of two, the plate that numbers a player's tank (0 the first, 1
// the second), in the tank's top-left corner over its hull and gun, so that
// grass hides it with the tank.
void DrawPlayerMark(const TankRecord& tank, int32_t player);
// The trail, then the bullet over it.
void DrawBullet(const Bullet& bullet);
// The explosion picture of the effect's current frame.
void DrawEffect(const Effect& effect);
// The item on the field, if there is one.
void DrawItem();
// The editor's brush: the sprite of the code, centred on the mouse point.
void DrawBrush(int32_t code, int32_t centreX, int32_t centreY);

// Where the gun is drawn: pushed back against its direction by the recoil,
// which is reloadTimer / 20 steps of bulletDamage / 10 pixels.
void GunPosition(const TankRecord& tank, int32_t& gx, int32_t& gy);
// Where the trail is drawn behind a bullet: 36, 28, 20, 12, 20, 28, 36
// pixels back over the seven frames.
void TrailPosition(const Bullet& bullet, int32_t& tx, int32_t& ty);
