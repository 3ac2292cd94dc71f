// The three painters of the cell sheet; each fills in the sprites it owns,
// numbered as the cell kinds (items from 24).
#pragma once

#include "artgen/raster.h"

constexpr int kCellSize = 64;
constexpr int kCellSprites = 28;

// 1 brick, 2 cracked, 3 broken, 4-6 burning, 7 stone, 10 base.
void DrawWallCells(Sprite cells[kCellSprites]);
// 0 ground, 8 grass, 9 ice, 11 sand, 12-23 water.
void DrawGroundCells(Sprite cells[kCellSprites]);
// 24-27 the item balls.
void DrawItemCells(Sprite cells[kCellSprites]);
