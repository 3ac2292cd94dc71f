// Loading the pictures into their surfaces, once, at start-up.
#include "render/sheets.h"

#include "levels/level_grid.h"

platform::Surface WindowSurface = nullptr;
platform::Surface BackBuffer = nullptr;
platform::Surface BackgroundImage = nullptr;
platform::Surface TankSheet = nullptr;
platform::Surface BulletSheet = nullptr;
platform::Surface CellSheet = nullptr;
platform::Surface EffectSheet = nullptr;
platform::Surface MarkSheet = nullptr;

void LoadAssets(platform::Window window) {
    WindowSurface = platform::GetDC(window);
    BackBuffer = platform::CreateCompatibleSurface(WindowSurface, FieldWidth, FieldHeight);
    // The background is stored small and stretched to the field by the loader.
    BackgroundImage =
        platform::LoadBitmapSurface(WindowSurface, BackgroundResource, FieldWidth, FieldHeight);
    TankSheet = platform::LoadBitmapSurface(WindowSurface, TankSheetResource, 256, 10240);
    BulletSheet = platform::LoadBitmapSurface(WindowSurface, BulletSheetResource, 160, 400);
    CellSheet = platform::LoadBitmapSurface(WindowSurface, CellSheetResource, 256, 896);
    EffectSheet = platform::LoadBitmapSurface(WindowSurface, EffectSheetResource, 528, 132);
    MarkSheet = platform::LoadBitmapSurface(WindowSurface, MarkSheetResource, 2 * MarkSprite,
                                            2 * MarkSprite);
}
