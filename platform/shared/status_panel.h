// The status panel the desktop windows draw in the black bar beside the
// field (level, tanks, enemies, upgrades): what it says, where it goes and
// how it is drawn, in the look of the in-window boxes with the game's sprites.
#pragma once

#include <cstdint>
#include <string>

#include "platform/host.h"
#include "platform/platform.h"
#include "platform/shared/window_layout.h"

namespace shared {

using host::SheetSprite;
using host::StatusShown;

// The panel's width in its own units (at 1x, output pixels), margins
// beside it included: the bar beside the field must be at least this wide
// for the panel to show.
inline constexpr int StatusPanelRoom = 160;

// Pixels to draw into: 0x00RRGGBB, `pitch` pixels a row.
struct PanelPixels {
    uint32_t* pixels;
    int width, height, pitch;
};

// Draws `sprite` scaled to size x size with its top-left at (x, y) of `out`,
// over what is there as the game draws sprites: (under | mask) & image. Each
// backend reads its own sheets.
using PanelSpriteDrawer = void (*)(const PanelPixels& out, const SheetSprite& sprite, int x, int y,
                                   int size);

// The panel's place in an output of `outWidth` x `outHeight` pixels with the
// field at `field`: in the bar right of the field, as large as the bar allows
// up to the field's height, never under 1 unit a pixel. `fits` is false
// where the bar is too narrow or the panel would run below the output.
struct StatusPanelPlace {
    bool fits = false;
    PixelRect rect;     // in output pixels; empty when it does not fit
    double unit = 1.0;  // output pixels a unit
    int unitsHigh = 0;  // the panel's height in its units
};
StatusPanelPlace PlaceStatusPanel(const PixelRect& field, int outWidth, int outHeight,
                                  const StatusShown& shown);

// Where the status goes now, the same on every host: the panel where the
// place allows it and it fits, else the title's compact form where the
// place allows that.
struct StatusPlacing {
    bool panel = false;
    bool title = false;
};
StatusPlacing PlaceStatus(host::StatusPlace place, const StatusShown& shown, bool panelFits);

// The panel drawn at `place`, shifted by (-originX, -originY) into `out`
// (0, 0 when `out` is the whole output; the place's corner when it holds
// the panel alone). Nothing outside the panel's rectangle is written.
void DrawStatusPanel(const PanelPixels& out, int originX, int originY,
                     const StatusPanelPlace& place, const StatusShown& shown,
                     PanelSpriteDrawer drawSprite);

// The line the tests read for what shows (MORVASK_STATUS_FILE): "panel
// level=3 tanks=2 enemies=14 upgrades=1/0/2/0" (with " tanks2=3
// upgrades2=0/0/0/0" for two players, "panel editor level=N" in the
// editor), "title TITLE" for a status in the title, or "none".
std::string StatusTraceLine(const StatusShown& shown, bool panel, const std::string& title);

}  // namespace shared
