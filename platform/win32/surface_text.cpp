// Panels and text drawn into the DIB sections of memory surfaces, in the
// boxes' glyphs: what the menu over the field is drawn with on Windows.
#include <algorithm>

#include "platform/shared/dialog.h"
#include "platform/win32/backend.h"

namespace {

// The rectangle clipped to a surface with pixels; false when nothing of it
// is left (or the surface has no pixels of its own).
bool ClipToSurface(const platform::SurfaceData& surface, int& x, int& y, int& width, int& height) {
    if (!surface.pixels)
        return false;
    const int x1 = std::min(x + width, surface.width), y1 = std::min(y + height, surface.height);
    x = std::max(x, 0);
    y = std::max(y, 0);
    width = x1 - x;
    height = y1 - y;
    // GDI may still be drawing into the section.
    ::GdiFlush();
    return width > 0 && height > 0;
}

}  // namespace

namespace platform {

void FillSurfaceRect(Surface destination, int x, int y, int width, int height, uint32_t colour) {
    if (!ClipToSurface(*destination, x, y, width, height))
        return;
    for (int row = y; row < y + height; ++row) {
        uint32_t* line = destination->pixels + size_t(row) * size_t(destination->width);
        std::fill(line + x, line + x + width, colour);
    }
}

void DimSurfaceRect(Surface destination, int x, int y, int width, int height) {
    if (!ClipToSurface(*destination, x, y, width, height))
        return;
    for (int row = y; row < y + height; ++row)
        dialog::Dim(destination->pixels + size_t(row) * size_t(destination->width) + x,
                    size_t(width));
}

void DrawTextLine(Surface destination, const std::string& textUtf8, int x, int baseline, int pixels,
                  uint32_t colour) {
    int left = 0, top = 0, width = destination->width, height = destination->height;
    if (!ClipToSurface(*destination, left, top, width, height))
        return;
    dialog::DrawLabel(destination->pixels, destination->width, destination->height,
                      destination->width, textUtf8, x, baseline, pixels, colour);
}

int TextLineWidth(const std::string& textUtf8, int pixels) {
    return dialog::LabelWidth(textUtf8, pixels);
}

}  // namespace platform
