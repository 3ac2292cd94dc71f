// The scalable window's arithmetic, shared by the backends whose windows
// can be resized.
#include "platform/shared/window_layout.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace software {

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

}  // namespace software
