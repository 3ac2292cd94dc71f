// Drawing surfaces as GDI memory device contexts, the bitmap resources loaded
// into them, and the block copies between them.
#include "platform/win32/backend.h"

namespace platform {

Surface GetDC(Window window) {
    auto* surface = new SurfaceData;
    surface->dc = ::GetDC(window->handle);
    return surface;
}

Surface CreateCompatibleSurface(Surface like, int width, int height) {
    auto* surface = new SurfaceData;
    surface->dc = ::CreateCompatibleDC(like->dc);
    // Compatible with the window's DC, not the new memory DC, which would make
    // a one-bit bitmap.
    surface->bitmap = ::CreateCompatibleBitmap(like->dc, width, height);
    ::SelectObject(surface->dc, surface->bitmap);
    return surface;
}

Surface LoadBitmapSurface(Surface like, int resourceId, int width, int height) {
    auto* surface = new SurfaceData;
    surface->dc = ::CreateCompatibleDC(like->dc);
    // The loader scales a stored picture of another size to the one asked for.
    surface->bitmap =
        static_cast<HBITMAP>(::LoadImageA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(resourceId),
                                          IMAGE_BITMAP, width, height, LR_DEFAULTCOLOR));
    if (surface->bitmap)
        ::SelectObject(surface->dc, surface->bitmap);
    return surface;
}

void BitBlt(Surface destination, int x, int y, int width, int height, Surface source, int sx,
            int sy, uint32_t rop) {
    ::BitBlt(destination->dc, x, y, width, height, source->dc, sx, sy, rop);
}

void SpriteBlt(Surface destination, int x, int y, int width, int height, Surface sheet, int sx,
               int sy) {
    // The mask ORed in whitens the sprite's shape; the image ANDed over it
    // leaves the sprite there and the old picture where the mask is black.
    ::BitBlt(destination->dc, x, y, width, height, sheet->dc, sx, sy + height, SRCPAINT);
    ::BitBlt(destination->dc, x, y, width, height, sheet->dc, sx, sy, SRCAND);
}

}  // namespace platform
