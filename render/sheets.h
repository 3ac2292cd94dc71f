// The asset catalogue: the resource numbers of the pictures and sounds, the
// six drawing surfaces, and the sheet layouts that drawing relies on.
#pragma once

#include "platform/platform.h"

// Bitmap resources, loaded once at start-up.
inline constexpr int BackgroundResource = 114;
inline constexpr int TankSheetResource = 115;
inline constexpr int BulletSheetResource = 117;
inline constexpr int CellSheetResource = 124;
inline constexpr int EffectSheetResource = 125;
// The players' numbered plates, shown only in a game of two.
inline constexpr int MarkSheetResource = 126;
inline constexpr int IconResource = 110;

// Sprite sizes of the sheets: each slot holds the image with its mask below.
inline constexpr int TankSprite = 64;
inline constexpr int BulletSprite = 40;
inline constexpr int CellSprite = 64;
inline constexpr int EffectSprite = 66;
inline constexpr int MarkSprite = 22;        // two plates side by side
inline constexpr int CellSheetSprites = 28;  // 4 columns by 7 rows

extern platform::Surface WindowSurface;  // the window's own surface
extern platform::Surface BackBuffer;     // 960 x 704, every frame is built here
extern platform::Surface BackgroundImage;
extern platform::Surface TankSheet;
extern platform::Surface BulletSheet;
extern platform::Surface CellSheet;
extern platform::Surface EffectSheet;
extern platform::Surface MarkSheet;

// Fetches the window's surface, creates the back buffer and loads the six
// bitmaps at their sizes, in resource order.
void LoadAssets(platform::Window window);
