// Drawing surfaces as GDI memory device contexts, the bitmap resources loaded
// into them, and the block copies between them.
#include <vector>

#include "platform/win32/backend.h"

namespace {

// Every surface made, in order, to be given back at exit.
std::vector<platform::SurfaceData*> Surfaces;

// A new memory DC compatible with `like`, holding `bitmap`; a failure of
// either is fatal, since nothing could be drawn.
platform::Surface MemorySurface(platform::Surface like, HBITMAP bitmap) {
    if (!bitmap)
        win32::Fail("无法创建图像。");
    auto* surface = new platform::SurfaceData;
    surface->dc = ::CreateCompatibleDC(like->dc);
    if (!surface->dc)
        win32::Fail("无法创建绘图表面。");
    surface->bitmap = bitmap;
    surface->original = ::SelectObject(surface->dc, bitmap);
    if (!surface->original || surface->original == HGDI_ERROR)
        win32::Fail("无法创建绘图表面。");
    Surfaces.push_back(surface);
    return surface;
}

}  // namespace

namespace win32 {

void ReleaseSurfaces() {
    for (auto it = Surfaces.rbegin(); it != Surfaces.rend(); ++it) {
        platform::SurfaceData* surface = *it;
        if (surface->window) {
            // A class DC (CS_OWNDC) goes with its window; releasing it is
            // harmless and keeps the rule of one ReleaseDC per GetDC.
            ::ReleaseDC(surface->window, surface->dc);
        } else {
            ::SelectObject(surface->dc, surface->original);
            ::DeleteDC(surface->dc);
            ::DeleteObject(surface->bitmap);
        }
        delete surface;
    }
    Surfaces.clear();
}

}  // namespace win32

namespace platform {

Surface GetDC(Window window) {
    // Never the whole screen's DC (a null window's) in place of the window's.
    HDC dc = window && window->handle ? ::GetDC(window->handle) : nullptr;
    if (!dc)
        win32::Fail("无法取得窗口的绘图表面。");
    auto* surface = new SurfaceData;
    surface->dc = dc;
    surface->window = window->handle;
    Surfaces.push_back(surface);
    return surface;
}

Surface CreateCompatibleSurface(Surface like, int width, int height) {
    // Compatible with the window's DC, not the new memory DC, which would make
    // a one-bit bitmap.
    return MemorySurface(like, ::CreateCompatibleBitmap(like->dc, width, height));
}

Surface LoadBitmapSurface(Surface like, int resourceId, int width, int height) {
    // The loader scales a stored picture of another size to the one asked for.
    HANDLE image = ::LoadImageA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(resourceId),
                                IMAGE_BITMAP, width, height, LR_DEFAULTCOLOR);
    if (!image)
        win32::Fail("无法载入程序的图片资源。");
    return MemorySurface(like, static_cast<HBITMAP>(image));
}

void BitBlt(Surface destination, int x, int y, int width, int height, Surface source, int sx,
            int sy, uint32_t rop) {
    ::BitBlt(destination->dc, x, y, width, height, source->dc, sx, sy, rop);
}

void HintFrameChanges(Surface, const Rect*, int) {
    // The window's device context is the screen's: a whole-frame copy into it
    // costs the same, so the hint is not needed.
}

void SpriteBlt(Surface destination, int x, int y, int width, int height, Surface sheet, int sx,
               int sy) {
    // The mask ORed in whitens the sprite's shape; the image ANDed over it
    // leaves the sprite there and the old picture where the mask is black.
    ::BitBlt(destination->dc, x, y, width, height, sheet->dc, sx, sy + height, SRCPAINT);
    ::BitBlt(destination->dc, x, y, width, height, sheet->dc, sx, sy, SRCAND);
}

}  // namespace platform
