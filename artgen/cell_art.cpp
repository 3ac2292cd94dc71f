// The cell sheet: 28 sprites of 64 x 64 in four columns, sprite n in column
// n mod 4 and row n div 4.
#include "artgen/cell_art.h"
#include "artgen/asset_art.h"

Sheet BuildCellSheet() {
    Sprite cells[kCellSprites];
    DrawWallCells(cells);
    DrawGroundCells(cells);
    DrawItemCells(cells);
    Sheet sheet = MakeSheet(4 * kCellSize, 7 * 2 * kCellSize);
    for (int n = 0; n < kCellSprites; ++n)
        PlaceSprite(sheet, (n % 4) * kCellSize, (n / 4) * 2 * kCellSize, cells[n]);
    return sheet;
}
