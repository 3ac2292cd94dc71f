// Sprites out of the sheets into the back buffer.
#include "render/draw.h"

#include "levels/level_grid.h"
#include "render/frame_layers.h"
#include "render/sheets.h"

bool DrawingEnabled = true;

namespace {

// Where a player's plate sits in its tank's 64-pixel square: over the
// top-left track pod, clear of the turret.
constexpr int MarkInset = 2;

}  // namespace

bool CellSpriteSource(int32_t n, int& sx, int& sy) {
    if (n < 0 || n >= CellSheetSprites)
        return false;
    sx = CellSprite * (n % 4);
    sy = 2 * CellSprite * (n / 4);
    return true;
}

void TankSpriteSource(int32_t band, int32_t direction, int32_t row, int& sx, int& sy) {
    sx = TankSprite * direction;
    sy = 2 * TankSprite * (10 * band + row);
}

void DrawMasked(platform::Surface sheet, int sx, int sy, int w, int h, int x, int y) {
    if (DrawFramesWhole)
        platform::SpriteBlt(BackBuffer, x, y, w, h, sheet, sx, sy);
    else
        ListSprite(sheet, sx, sy, w, h, x, y);
}

void PresentFrame() {
    if (!DrawingEnabled)
        return;
    if (!DrawFramesWhole)
        FinishLayeredFrame();
    platform::BitBlt(WindowSurface, 0, 0, FieldWidth, FieldHeight, BackBuffer, 0, 0,
                     platform::SRCCOPY);
}

void DrawGround() {
    if (!DrawingEnabled)
        return;
    if (!DrawFramesWhole) {
        BeginLayeredFrame();
        return;
    }
    ForgetLayeredFrames();
    platform::BitBlt(BackBuffer, 0, 0, FieldWidth, FieldHeight, BackgroundImage, 0, 0,
                     platform::SRCCOPY);
    for (int32_t i = 0; i < LevelCellCount; ++i)
        if (WorkingGrid[i] != Empty && WorkingGrid[i] != Grass)
            DrawCell(WorkingGrid[i], i);
}

void DrawGrassCells() {
    if (!DrawingEnabled)
        return;
    if (!DrawFramesWhole) {
        ListGrass();
        return;
    }
    for (int32_t i = 0; i < LevelCellCount; ++i)
        if (WorkingGrid[i] == Grass)
            DrawCell(Grass, i);
}

void DrawCell(int32_t code, int32_t index) {
    if (!DrawingEnabled)
        return;
    int sx, sy;
    if (!CellSpriteSource(CellTerrain(code), sx, sy))
        return;
    DrawMasked(CellSheet, sx, sy, CellSprite, CellSprite, CellSize * (index % GridColumns),
               CellSize * (index / GridColumns));
}

void GunPosition(const TankRecord& tank, int32_t& gx, int32_t& gy) {
    int32_t back = tank.reloadTimer / 20 * (tank.bulletDamage / 10);
    gx = tank.x;
    gy = tank.y;
    // Pushed back, against the way the gun points.
    MoveAlong(tank.turretDir, -back, gx, gy);
}

void DrawTank(const TankRecord& tank, bool upper) {
    if (!DrawingEnabled)
        return;
    int32_t gx, gy;
    GunPosition(tank, gx, gy);
    int32_t band = 10 * tank.band;
    if (!upper) {
        DrawMasked(TankSheet, TankSprite * tank.moveDir, 2 * TankSprite * (band + tank.trackFrame),
                   TankSprite, TankSprite, tank.x, tank.y);
        int32_t recoilRow = 8 - tank.reloadTimer / 20;
        DrawMasked(TankSheet, TankSprite * tank.turretDir, 2 * TankSprite * (band + recoilRow),
                   TankSprite, TankSprite, gx, gy);
        return;
    }
    if (tank.flashTicks <= 0)
        return;
    int32_t fx = gx, fy = gy;
    MoveAlong(tank.turretDir, 48, fx, fy);
    DrawMasked(TankSheet, TankSprite * tank.turretDir, 2 * TankSprite * (band + 9), TankSprite,
               TankSprite, fx, fy);
}

void DrawPlayerMark(const TankRecord& tank, int32_t player) {
    if (!DrawingEnabled)
        return;
    DrawMasked(MarkSheet, MarkSprite * player, 0, MarkSprite, MarkSprite, tank.x + MarkInset,
               tank.y + MarkInset);
    // The same plate in the opposite corner: whichever way the tank faces
    // and whatever stands beside it, one of the two shows.
    const int far = TankSprite - MarkInset - MarkSprite;
    DrawMasked(MarkSheet, MarkSprite * player, 0, MarkSprite, MarkSprite, tank.x + far,
               tank.y + far);
}

void TrailPosition(const Bullet& bullet, int32_t& tx, int32_t& ty) {
    int32_t offset = bullet.frame <= 3 ? 8 * bullet.frame : 8 * (6 - bullet.frame);
    tx = bullet.x;
    ty = bullet.y;
    MoveAlong(bullet.direction, offset - 36, tx, ty);
}

void DrawBullet(const Bullet& bullet) {
    if (!DrawingEnabled)
        return;
    int32_t tx, ty;
    TrailPosition(bullet, tx, ty);
    DrawMasked(BulletSheet, BulletSprite * bullet.direction, 8 * BulletSprite, BulletSprite,
               BulletSprite, tx, ty);
    DrawMasked(BulletSheet, BulletSprite * bullet.direction, 2 * BulletSprite * bullet.band,
               BulletSprite, BulletSprite, bullet.x, bullet.y);
}

void DrawEffect(const Effect& effect) {
    if (!DrawingEnabled || effect.finished)
        return;
    DrawMasked(EffectSheet, EffectSprite * (effect.frame / 3), 0, EffectSprite, EffectSprite,
               effect.x, effect.y);
}

void DrawItem() {
    if (!DrawingEnabled || BattleState.DroppedItem == NoItem)
        return;
    int sx, sy;
    if (!CellSpriteSource(24 + BattleState.DroppedItem, sx, sy))
        return;
    DrawMasked(CellSheet, sx, sy, CellSprite, CellSprite, BattleState.ItemX, BattleState.ItemY);
}

void DrawBrush(int32_t code, int32_t centreX, int32_t centreY) {
    if (!DrawingEnabled)
        return;
    int sx, sy;
    if (!CellSpriteSource(CellTerrain(code), sx, sy))
        return;
    DrawMasked(CellSheet, sx, sy, CellSprite, CellSprite, centreX - 32, centreY - 32);
}

void ResetDrawing() {
    DrawingEnabled = true;
}
