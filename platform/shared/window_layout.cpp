// The scalable window's arithmetic, shared by the backends whose windows
// can be resized.
#include "platform/shared/window_layout.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace shared {

PixelRect FieldPlace(int clientWidth, int clientHeight, bool fit) {
    if (clientWidth <= 0 || clientHeight <= 0)
        return {};
    const double fits =
        std::min(double(clientWidth) / FieldPixelsWide, double(clientHeight) / FieldPixelsHigh);
    const double whole = std::floor(fits);
    const double scale = fit || whole < 1 ? fits : whole;
    const int width = std::max(1, int(std::lround(FieldPixelsWide * scale)));
    const int height = std::max(1, int(std::lround(FieldPixelsHigh * scale)));
    return {(clientWidth - width) / 2, (clientHeight - height) / 2, width, height};
}

namespace {

PixelRect Centred(int clientWidth, int clientHeight, double scale) {
    const int width = std::max(1, int(std::lround(FieldPixelsWide * scale)));
    const int height = std::max(1, int(std::lround(FieldPixelsHigh * scale)));
    return {(clientWidth - width) / 2, (clientHeight - height) / 2, width, height};
}

// Whether `whole` times the field fills at least four fifths of the side
// that limits the field's size.
bool FillsFourFifths(int clientWidth, int clientHeight, int whole) {
    const bool widthLimits =
        int64_t(clientWidth) * FieldPixelsHigh <= int64_t(clientHeight) * FieldPixelsWide;
    return widthLimits ? 5 * int64_t(whole) * FieldPixelsWide >= 4 * int64_t(clientWidth)
                       : 5 * int64_t(whole) * FieldPixelsHigh >= 4 * int64_t(clientHeight);
}

}  // namespace

FieldShowing ShowField(int clientWidth, int clientHeight, host::ScaleMode mode) {
    FieldShowing showing;
    if (clientWidth <= 0 || clientHeight <= 0)
        return showing;
    const double fits =
        std::min(double(clientWidth) / FieldPixelsWide, double(clientHeight) / FieldPixelsHigh);
    const int whole = int(std::floor(fits));
    if (mode == host::ScaleAuto)
        mode = whole >= 1 && FillsFourFifths(clientWidth, clientHeight, whole) ? host::ScaleInteger
                                                                               : host::ScaleSharp;
    showing.shownAs = mode;
    if (whole < 1) {
        // Smaller than the field: shrunk smoothly in every mode.
        showing.field = Centred(clientWidth, clientHeight, fits);
        showing.smooth = true;
        return showing;
    }
    showing.smooth = mode == host::ScaleSharp && double(whole) != fits;
    // Sharp blends from the next whole multiple up, so that only a band about
    // one screen pixel wide between two field pixels is blended and every
    // field pixel shows as an even block (from the one below, 1.5x would be
    // a plain bilinear blur).
    showing.whole = showing.smooth ? whole + 1 : whole;
    showing.field = Centred(clientWidth, clientHeight, mode == host::ScaleInteger ? whole : fits);
    return showing;
}

bool IsWholeMultiple(const PixelRect& field) {
    return field.width >= FieldPixelsWide && field.width % FieldPixelsWide == 0 &&
           field.height * FieldPixelsWide == field.width * FieldPixelsHigh;
}

int DisplayScale(int dpi) {
    return std::clamp(int(std::lround(dpi / 96.0)), 1, 8);
}

int StartFactor(int usableWidth, int usableHeight, int displayScale, int asked) {
    if (asked > 0)
        return asked * displayScale;
    const int fits =
        std::min(usableWidth * 9 / 10 / FieldPixelsWide, usableHeight * 9 / 10 / FieldPixelsHigh);
    return std::max(displayScale, std::min(fits, 2));
}

void StartClient(int usableWidth, int usableHeight, int displayScale, int asked, int& width,
                 int& height) {
    const int factor = StartFactor(usableWidth, usableHeight, displayScale, asked);
    width = FieldPixelsWide * factor;
    height = FieldPixelsHigh * factor;
    if (asked > 0 || usableWidth <= 0 || usableHeight <= 0)
        return;
    const int64_t roomWide = int64_t(usableWidth) * 9 / 10,
                  roomHigh = int64_t(usableHeight) * 9 / 10;
    if (width <= roomWide && height <= roomHigh)
        return;
    // The largest size of the field's aspect in the room, in whole rows.
    int64_t rows = std::min(roomHigh, roomWide * FieldPixelsHigh / FieldPixelsWide);
    rows = std::max<int64_t>(rows, int64_t(FieldPixelsHigh) * displayScale / 2);
    height = int(rows);
    width = int(rows * FieldPixelsWide / FieldPixelsHigh);
}

void FieldPointOf(const PixelRect& field, int x, int y, int& fieldX, int& fieldY) {
    if (field.width <= 0 || field.height <= 0) {
        fieldX = x;
        fieldY = y;
        return;
    }
    // Whole numbers rounded towards minus infinity, so that a point left of
    // or above the field stays negative.
    auto floorDiv = [](int64_t a, int64_t b) { return a >= 0 ? a / b : -((-a + b - 1) / b); };
    fieldX = int(floorDiv(int64_t(x - field.x) * FieldPixelsWide, field.width));
    fieldY = int(floorDiv(int64_t(y - field.y) * FieldPixelsHigh, field.height));
}

void RescaledClient(int width, int height, int from, int to, int& newWidth, int& newHeight) {
    from = std::max(1, from);
    to = std::max(1, to);
    newWidth = int((int64_t(width) * to + from / 2) / from);
    newHeight = int((int64_t(height) * to + from / 2) / from);
}

}  // namespace shared

namespace host {

ScaleMode NextScaleMode(ScaleMode mode) {
    return ScaleMode((int(mode) + 1) % ScaleModeCount);
}

const char* ScaleModeName(ScaleMode mode) {
    switch (mode) {
        case ScaleFit:
            return "fit";
        case ScaleSharp:
            return "sharp";
        case ScaleAuto:
            return "auto";
        default:
            return "integer";
    }
}

const char* StatusPlaceName(StatusPlace place) {
    switch (place) {
        case StatusSide:
            return "side";
        case StatusTitle:
            return "title";
        case StatusOff:
            return "off";
        default:
            return "auto";
    }
}

}  // namespace host
