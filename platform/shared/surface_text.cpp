// Panels and text drawn into the memory surfaces, in the boxes' glyphs: what
// the menu over the field is drawn with on the backends whose surfaces are
// the layer's own (SDL, web, headless). Drawn into memory surfaces only,
// never the window's, whose frames arrive whole by BitBlt.
#include <algorithm>

#include "platform/platform.h"
#include "platform/shared/dialog.h"
#include "platform/shared/surfaces.h"

namespace {

// The rectangle clipped to the surface; false when nothing of it is left.
bool ClipToSurface(const platform::SurfaceData& surface, int& x, int& y, int& width, int& height) {
    const int x1 = std::min(x + width, surface.width), y1 = std::min(y + height, surface.height);
    x = std::max(x, 0);
    y = std::max(y, 0);
    width = x1 - x;
    height = y1 - y;
    return width > 0 && height > 0;
}

}  // namespace

namespace platform {

void FillSurfaceRect(Surface destination, int x, int y, int width, int height, uint32_t colour) {
    shared::ReadyPixels(destination);
    if (!ClipToSurface(*destination, x, y, width, height))
        return;
    for (int row = y; row < y + height; ++row) {
        uint32_t* line = destination->pixels.data() + size_t(row) * size_t(destination->width);
        std::fill(line + x, line + x + width, colour);
    }
}

void DimSurfaceRect(Surface destination, int x, int y, int width, int height) {
    shared::ReadyPixels(destination);
    if (!ClipToSurface(*destination, x, y, width, height))
        return;
    for (int row = y; row < y + height; ++row)
        dialog::Dim(destination->pixels.data() + size_t(row) * size_t(destination->width) + x,
                    size_t(width));
}

void DrawTextLine(Surface destination, const std::string& textUtf8, int x, int baseline, int pixels,
                  uint32_t colour) {
    shared::ReadyPixels(destination);
    dialog::DrawLabel(destination->pixels.data(), destination->width, destination->height,
                      destination->width, textUtf8, x, baseline, pixels, colour);
}

int TextLineWidth(const std::string& textUtf8, int pixels) {
    return dialog::LabelWidth(textUtf8, pixels);
}

}  // namespace platform
