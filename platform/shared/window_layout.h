// The rules of a scalable window around the 960 x 704 field, as plain
// arithmetic: where and how the field is shown for each scale mode, the
// size a window opens at, the display scale of a DPI, and the way from a
// window pixel back to a field pixel.
#pragma once

#include "platform/host.h"

namespace shared {

inline constexpr int FieldPixelsWide = 960;
inline constexpr int FieldPixelsHigh = 704;

struct PixelRect {
    int x = 0, y = 0, width = 0, height = 0;
};

// The field's place in a client of the given size, centred: the largest
// whole multiple that fits, or with `fit` the largest factor of any kind; a
// client smaller than the field shrinks it in either mode. Empty for an
// empty client.
PixelRect FieldPlace(int clientWidth, int clientHeight, bool fit);

// How the field is shown in a client under a mode.
struct FieldShowing {
    PixelRect field;
    // The whole multiple the field is first scaled by, with sharp pixels,
    // when it is then brought down to its size smoothly (the one above the
    // size); 1 below 1x.
    int whole = 1;
    // Blended pixels (sharp, or a client smaller than the field in any mode)
    // rather than nearest neighbour.
    bool smooth = false;
    host::ScaleMode shownAs = host::ScaleInteger;  // what auto chose
};
FieldShowing ShowField(int clientWidth, int clientHeight, host::ScaleMode mode);

// Whether the field is shown at a whole multiple (1, 2, 3...) of its size.
bool IsWholeMultiple(const PixelRect& field);

// The display's scale for its dots per inch: 96 is 1, 192 is 2, and 144
// (150 %) is 2 as well, so that the field is shown in whole pixels; 1 to 8.
int DisplayScale(int dpi);

// The whole multiple of the field a new window's client opens at: `asked`
// times the display's scale when asked (1 to 8), else the largest multiple
// that fits nine tenths of the usable area, at most 2, never less than the
// display's scale.
int StartFactor(int usableWidth, int usableHeight, int displayScale, int asked);

// The client a new window opens at, in pixels: StartFactor's multiple, or
// on a usable area too small for the field at the display's scale (a
// laptop's 768 rows less its panels), the largest size of the field's
// aspect that fits nine tenths of it, down to half the field at that scale.
void StartClient(int usableWidth, int usableHeight, int displayScale, int asked, int& width,
                 int& height);

// A client pixel as a field pixel, rounded down: beside the field the result
// lies outside 0..959, 0..703 (negative to the left and above).
void FieldPointOf(const PixelRect& field, int x, int y, int& fieldX, int& fieldY);

// A client's size when the display's scale changes from `from` to `to` (the
// window moved to another monitor): the field keeps its size in the
// display's units, so a whole multiple stays one.
void RescaledClient(int width, int height, int from, int to, int& newWidth, int& newHeight);

}  // namespace shared
