// Drawing surfaces as GDI memory device contexts with DIB sections, the bitmap
// resources loaded into them, and the block copies between them; a copy into
// the window's surface is a frame for the view to show.
#include <utility>
#include <vector>

#include "platform/win32/backend.h"

namespace {

// Every surface made, in order, to be given back at exit.
std::vector<platform::SurfaceData*> Surfaces;

// A 32-bit top-down DIB section: its pixels are 0x00RRGGBB words, row after
// row, which the view and the frame exchange rely on.
HBITMAP NewPixels(HDC like, int width, int height, uint32_t*& pixels) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(like, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    pixels = static_cast<uint32_t*>(bits);
    return bitmap;
}

// A new memory DC compatible with `like`, holding `bitmap`; a failure of
// either is fatal, since nothing could be drawn.
platform::Surface MemorySurface(HDC like, HBITMAP bitmap) {
    if (!bitmap)
        win32::Fail("无法创建图像。");
    auto* surface = new platform::SurfaceData;
    surface->dc = ::CreateCompatibleDC(like);
    if (!surface->dc)
        win32::Fail("无法创建绘图表面。");
    surface->bitmap = bitmap;
    surface->original = ::SelectObject(surface->dc, bitmap);
    if (!surface->original || surface->original == HGDI_ERROR)
        win32::Fail("无法创建绘图表面。");
    Surfaces.push_back(surface);
    return surface;
}

platform::Surface PixelSurface(HDC like, int width, int height) {
    uint32_t* pixels = nullptr;
    platform::Surface surface = MemorySurface(like, NewPixels(like, width, height, pixels));
    surface->pixels = pixels;
    surface->width = width;
    surface->height = height;
    return surface;
}

}  // namespace

namespace win32 {

bool KeepPixelSurface(platform::SurfaceData& surface, HDC like, int width, int height) {
    if (surface.pixels && surface.width == width && surface.height == height)
        return true;
    if (surface.dc) {
        ::SelectObject(surface.dc, surface.original);
        ::DeleteDC(surface.dc);
        ::DeleteObject(surface.bitmap);
        surface = platform::SurfaceData{};
    }
    uint32_t* pixels = nullptr;
    HBITMAP bitmap = NewPixels(like, width, height, pixels);
    HDC dc = bitmap ? ::CreateCompatibleDC(like) : nullptr;
    if (!dc) {
        if (bitmap)
            ::DeleteObject(bitmap);
        return false;
    }
    surface.dc = dc;
    surface.bitmap = bitmap;
    surface.original = ::SelectObject(dc, bitmap);
    surface.pixels = pixels;
    surface.width = width;
    surface.height = height;
    return true;
}

}  // namespace win32

namespace {

// Whether a copy into the window's frame may hand the source's pixels over
// instead: the whole frame, plainly, from a memory surface of its size.
bool CanExchange(const platform::SurfaceData& frame, int x, int y, int width, int height,
                 const platform::SurfaceData& source, int sx, int sy, uint32_t rop) {
    return rop == SRCCOPY && x == 0 && y == 0 && sx == 0 && sy == 0 && width == frame.width &&
           height == frame.height && source.width == width && source.height == height &&
           source.pixels && frame.pixels && !source.window && &source != &frame;
}

// The two surfaces swap their DCs and bitmaps: the window's frame is the
// source's picture at no cost, and the source holds the older frame.
void Exchange(platform::SurfaceData& frame, platform::SurfaceData& source) {
    std::swap(frame.dc, source.dc);
    std::swap(frame.bitmap, source.bitmap);
    std::swap(frame.original, source.original);
    std::swap(frame.pixels, source.pixels);
}

}  // namespace

namespace win32 {

void ReleaseSurfaces() {
    for (auto it = Surfaces.rbegin(); it != Surfaces.rend(); ++it) {
        platform::SurfaceData* surface = *it;
        ::SelectObject(surface->dc, surface->original);
        ::DeleteDC(surface->dc);
        ::DeleteObject(surface->bitmap);
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
    // The game draws the field's 960 x 704 pixels into the window; they are
    // kept here, and the view scales them to the window's size.
    Surface frame = PixelSurface(dc, shared::FieldPixelsWide, shared::FieldPixelsHigh);
    frame->window = window->handle;
    // A class DC of its own (CS_OWNDC): the view draws through the same one.
    ::ReleaseDC(window->handle, dc);
    win32::StartView(window->handle, frame);
    return frame;
}

Surface CreateCompatibleSurface(Surface like, int width, int height) {
    return PixelSurface(like->dc, width, height);
}

Surface LoadBitmapSurface(Surface like, int resourceId, int width, int height) {
    // The loader scales a stored picture of another size to the one asked for.
    HANDLE image = ::LoadImageA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(resourceId),
                                IMAGE_BITMAP, width, height, LR_DEFAULTCOLOR);
    if (!image)
        win32::Fail("无法载入程序的图片资源。");
    return MemorySurface(like->dc, static_cast<HBITMAP>(image));
}

void BitBlt(Surface destination, int x, int y, int width, int height, Surface source, int sx,
            int sy, uint32_t rop) {
    if (!destination->window) {
        ::BitBlt(destination->dc, x, y, width, height, source->dc, sx, sy, rop);
        return;
    }
    if (CanExchange(*destination, x, y, width, height, *source, sx, sy, rop))
        Exchange(*destination, *source);
    else
        ::BitBlt(destination->dc, x, y, width, height, source->dc, sx, sy, rop);
    win32::ShowFrame();
}

void HintFrameChanges(Surface window, const Rect* rects, int count) {
    if (window->window)
        win32::SetFrameChanges(rects, count);
}

void SpriteBlt(Surface destination, int x, int y, int width, int height, Surface sheet, int sx,
               int sy) {
    // The mask ORed in whitens the sprite's shape; the image ANDed over it
    // leaves the sprite there and the old picture where the mask is black.
    ::BitBlt(destination->dc, x, y, width, height, sheet->dc, sx, sy + height, SRCPAINT);
    ::BitBlt(destination->dc, x, y, width, height, sheet->dc, sx, sy, SRCAND);
}

}  // namespace platform
