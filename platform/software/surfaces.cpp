// Block copies between memory surfaces: plain copy, OR and AND, and the
// one-pass transparent sprite copy that gives the same picture as OR then AND.
#include "platform/software/surfaces.h"

#include <algorithm>
#include <cstring>

#include "platform/software/resources.h"

namespace software {

namespace {

void (*PresentHook)(const platform::SurfaceData&) = nullptr;

void Touched(platform::Surface surface) {
    // A sheet that is written to must find its sprites' runs anew.
    if (!surface->spriteRuns.empty())
        surface->spriteRuns.clear();
    if (surface->isWindow && PresentHook)
        PresentHook(*surface);
}

// Clips a w x h copy from (sx, sy) of src to (x, y) of dst; false if empty.
bool Clip(const platform::SurfaceData& dst, int& x, int& y, int& w, int& h,
          const platform::SurfaceData& src, int& sx, int& sy) {
    if (sx < 0) {
        x -= sx;
        w += sx;
        sx = 0;
    }
    if (sy < 0) {
        y -= sy;
        h += sy;
        sy = 0;
    }
    if (x < 0) {
        sx -= x;
        w += x;
        x = 0;
    }
    if (y < 0) {
        sy -= y;
        h += y;
        y = 0;
    }
    w = std::min({w, dst.width - x, src.width - sx});
    h = std::min({h, dst.height - y, src.height - sy});
    return w > 0 && h > 0;
}

// The runs of a sprite: where the mask is white the image is copied, where it
// is black and the image white the destination stays, anything else (a sheet
// that breaks the masking rule) is combined pixel by pixel.
std::vector<SpriteRun> FindRuns(const platform::SurfaceData& sheet, int sx, int sy, int w, int h) {
    std::vector<SpriteRun> runs;
    for (int row = 0; row < h; ++row) {
        const uint32_t* image = sheet.pixels.data() + size_t(sy + row) * sheet.width + sx;
        const uint32_t* mask = image + size_t(h) * sheet.width;
        int x = 0;
        while (x < w) {
            auto kindAt = [&](int i) -> int {
                if (mask[i] == 0xFFFFFF)
                    return 0;
                if (mask[i] == 0 && image[i] == 0xFFFFFF)
                    return 1;
                return 2;
            };
            int kind = kindAt(x);
            int end = x + 1;
            while (end < w && kindAt(end) == kind)
                ++end;
            if (kind != 1)
                runs.push_back({int16_t(row), int16_t(x), int16_t(end - x), uint8_t(kind)});
            x = end;
        }
    }
    return runs;
}

}  // namespace

platform::Surface NewSurface(int width, int height) {
    auto* surface = new platform::SurfaceData;
    surface->width = width;
    surface->height = height;
    surface->pixels.assign(size_t(width) * height, 0);
    return surface;
}

platform::Surface WindowSurface(int width, int height) {
    platform::Surface surface = NewSurface(width, height);
    surface->isWindow = true;
    return surface;
}

void SetPresentHook(void (*hook)(const platform::SurfaceData&)) {
    PresentHook = hook;
}

}  // namespace software

namespace platform {

Surface CreateCompatibleSurface(Surface, int width, int height) {
    return software::NewSurface(width, height);
}

Surface LoadBitmapSurface(Surface, int resourceId, int width, int height) {
    Surface surface = software::NewSurface(width, height);
    software::ResourceBytes bytes = software::FindResource(resourceId);
    int w = 0, h = 0;
    std::vector<uint32_t> pixels;
    if (!software::DecodeBitmap(bytes.data, bytes.size, w, h, pixels))
        return surface;
    if (w == width && h == height)
        surface->pixels = std::move(pixels);
    else
        surface->pixels = software::ScalePicture(pixels, w, h, width, height);
    return surface;
}

void BitBlt(Surface destination, int x, int y, int width, int height, Surface source, int sx,
            int sy, uint32_t rop) {
    if (!software::Clip(*destination, x, y, width, height, *source, sx, sy))
        return;
    const bool whole = x == 0 && y == 0 && sx == 0 && sy == 0 && width == destination->width &&
                       height == destination->height && width == source->width &&
                       height == source->height;
    if (whole && rop == SRCCOPY && destination->isWindow && source != destination) {
        // Presenting a whole frame hands its pixels to the window instead of
        // copying them; the back buffer is drawn whole again before the next.
        destination->pixels.swap(source->pixels);
        source->spriteRuns.clear();
        software::Touched(destination);
        return;
    }
    if (whole && rop == SRCCOPY) {
        std::memcpy(destination->pixels.data(), source->pixels.data(),
                    destination->pixels.size() * 4);
        software::Touched(destination);
        return;
    }
    for (int row = 0; row < height; ++row) {
        uint32_t* d = destination->pixels.data() + size_t(y + row) * destination->width + x;
        const uint32_t* s = source->pixels.data() + size_t(sy + row) * source->width + sx;
        if (rop == SRCCOPY) {
            std::memcpy(d, s, size_t(width) * 4);
        } else if (rop == SRCPAINT) {
            for (int i = 0; i < width; ++i)
                d[i] |= s[i];
        } else if (rop == SRCAND) {
            for (int i = 0; i < width; ++i)
                d[i] &= s[i];
        }
    }
    software::Touched(destination);
}

void SpriteBlt(Surface destination, int x, int y, int width, int height, Surface sheet, int sx,
               int sy) {
    // A sprite whose image or mask lies outside the sheet is drawn the slow
    // way, which clips each copy on its own.
    if (sx < 0 || sy < 0 || width <= 0 || height <= 0 || sx + width > sheet->width ||
        sy + 2 * height > sheet->height) {
        BitBlt(destination, x, y, width, height, sheet, sx, sy + height, SRCPAINT);
        BitBlt(destination, x, y, width, height, sheet, sx, sy, SRCAND);
        return;
    }
    uint64_t key =
        uint64_t(sx) | (uint64_t(sy) << 16) | (uint64_t(width) << 32) | (uint64_t(height) << 48);
    auto found = sheet->spriteRuns.find(key);
    if (found == sheet->spriteRuns.end())
        found =
            sheet->spriteRuns.emplace(key, software::FindRuns(*sheet, sx, sy, width, height)).first;
    const int dw = destination->width, dh = destination->height;
    const uint32_t* sheetPixels = sheet->pixels.data();
    uint32_t* out = destination->pixels.data();
    for (const software::SpriteRun& run : found->second) {
        int dy = y + run.row;
        if (dy < 0 || dy >= dh)
            continue;
        int from = std::max(0, -(x + run.x));
        int to = std::min<int>(run.length, dw - (x + run.x));
        if (from >= to)
            continue;
        const uint32_t* image = sheetPixels + size_t(sy + run.row) * sheet->width + sx + run.x;
        uint32_t* d = out + size_t(dy) * dw + x + run.x;
        if (run.kind == 0) {
            std::memcpy(d + from, image + from, size_t(to - from) * 4);
        } else {
            const uint32_t* mask = image + size_t(height) * sheet->width;
            for (int i = from; i < to; ++i)
                d[i] = (d[i] | mask[i]) & image[i];
        }
    }
    software::Touched(destination);
}

}  // namespace platform
