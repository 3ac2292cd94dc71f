// Block copies between memory surfaces: plain copy, OR and AND, and the
// one-pass transparent sprite copy that gives the same picture as OR then AND.
#include "platform/shared/surfaces.h"

#include <sys/mman.h>
#ifdef __EMSCRIPTEN__
#include <unistd.h>
#endif

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "platform/shared/resources.h"

namespace shared {

namespace {

void (*PresentHook)(const platform::SurfaceData&) = nullptr;

// After every write into a surface; `wholeFrame` for a whole frame copied
// into the window's surface, the copy a hint of its changes is for.
void Touched(platform::Surface surface, bool wholeFrame = false) {
    // A sheet that is written to must find its sprites' runs anew.
    if (!surface->spriteRuns.empty())
        surface->spriteRuns.clear();
    if (!surface->isWindow)
        return;
    ++surface->frameSerial;
    surface->changesKnown = wholeFrame && surface->hinted;
    surface->changes.swap(surface->hint);
    surface->hint.clear();
    surface->hinted = false;
    if (!surface->changesKnown)
        surface->changes.clear();
    if (PresentHook)
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
SpriteRuns FindRuns(const platform::SurfaceData& sheet, int sx, int sy, int w, int h) {
    SpriteRuns found;
    found.rowStart.reserve(size_t(h) + 1);
    for (int row = 0; row < h; ++row) {
        found.rowStart.push_back(uint32_t(found.runs.size()));
        const uint32_t* image = sheet.pixels.data() + size_t(sy + row) * sheet.width + sx;
        const uint32_t* mask = image + size_t(h) * sheet.width;
        auto kindAt = [&](int i) -> int {
            if (mask[i] == 0xFFFFFF)
                return 0;
            if (mask[i] == 0 && image[i] == 0xFFFFFF)
                return 1;
            return 2;
        };
        int x = 0;
        while (x < w) {
            int kind = kindAt(x);
            int end = x + 1;
            while (end < w && kindAt(end) == kind)
                ++end;
            if (kind != 1)
                found.runs.push_back({int16_t(x), int16_t(end - x), uint8_t(kind)});
            x = end;
        }
    }
    found.rowStart.push_back(uint32_t(found.runs.size()));
    return found;
}

// A copy of a few pixels without the call and size dispatch of memcpy: the
// runs of a sprite row are mostly short.
inline void CopyPixels(uint32_t* d, const uint32_t* s, int n) {
    if (n >= 32) {
        std::memcpy(d, s, size_t(n) * 4);
        return;
    }
    if (n >= 4) {
        // 16-byte pieces, the last one overlapping the one before.
        int i = 0;
        for (; i + 4 < n; i += 4)
            std::memcpy(d + i, s + i, 16);
        std::memcpy(d + n - 4, s + n - 4, 16);
        return;
    }
    for (int i = 0; i < n; ++i)
        d[i] = s[i];
}

inline void CombinePixels(uint32_t* d, const uint32_t* image, const uint32_t* mask, int n) {
    for (int i = 0; i < n; ++i)
        d[i] = (d[i] | mask[i]) & image[i];
}

int NextPixelSlot = 0;

// The pages of a built-in picture's bytes once decoded: they are the
// program file's own (read-only), so the system can drop them from memory
// and read them again from the file should they ever be needed.
void ReleaseResourceBytes(const uint8_t* begin, const uint8_t* end) {
#if defined(__EMSCRIPTEN__)
    // The web edition's resources are in its heap, not in a file.
    (void)begin;
    (void)end;
#else
    const uintptr_t page = 4096;
    const uintptr_t from = (reinterpret_cast<uintptr_t>(begin) + page - 1) & ~(page - 1);
    const uintptr_t to = reinterpret_cast<uintptr_t>(end) & ~(page - 1);
    if (from < to)
        madvise(reinterpret_cast<void*>(from), to - from, MADV_DONTNEED);
#endif
}

void DecodeBand(platform::SurfaceData& surface, size_t band) {
    shared::ResourceBytes bytes = shared::FindResource(surface.pendingResource);
    int w = 0, h = 0;
    if (!BitmapSize(bytes.data, bytes.size, w, h))
        return;
    if (surface.bandReady.size() == 1 && (w != surface.width || h != surface.height)) {
        std::vector<uint32_t> pixels;
        if (!DecodeBitmap(bytes.data, bytes.size, w, h, pixels))
            return;
        ScalePictureInto(pixels, w, h, surface.width, surface.height, surface.pixels.data());
        ReleaseResourceBytes(bytes.data, bytes.data + bytes.size);
        return;
    }
    int first = int(band) * BandRows;
    int end = std::min(surface.height, first + BandRows);
    DecodeBitmapRows(bytes.data, bytes.size, first, end,
                     surface.pixels.data() + size_t(first) * surface.width);
    size_t begin = 0, finish = 0;
    if (BitmapRowBytes(bytes.data, bytes.size, first, end, begin, finish))
        ReleaseResourceBytes(bytes.data + begin, bytes.data + finish);
}

void PrepareBands(platform::SurfaceData& surface, int first, int end) {
    const size_t bands = surface.bandReady.size();
    size_t from = bands == 1 ? 0 : size_t(std::max(0, first) / BandRows);
    size_t to = bands == 1 ? 1 : std::min(bands, size_t(std::max(0, end - 1) / BandRows + 1));
    for (size_t band = from; band < to; ++band) {
        if (!surface.bandReady[band]) {
            DecodeBand(surface, band);
            surface.bandReady[band] = true;
            ++surface.bandsDecoded;
        }
    }
    if (size_t(surface.bandsDecoded) == bands)
        surface.pendingResource = 0;
}

// Decodes the bands of a loaded picture that rows first up to end touch.
inline void Prepare(platform::SurfaceData& surface, int first, int end) {
    if (surface.pendingResource)
        PrepareBands(surface, first, end);
}

// Buffers of at least this many bytes get pages of their own, zero and
// untouched until written.
constexpr size_t LargeBuffer = size_t(64) << 10;

#ifdef __EMSCRIPTEN__
// The browser's mmap clears every byte it hands out, touching every page:
// at start-up that was the pictures' 13 MB (the tank sheet's bands never
// drawn included), before the first box could show. The heap only grows
// (the allocator never gives memory back), and WebAssembly's memory is zero
// where it has never been used, so only the part of a block below the
// heap's old top, which may have been used before, is cleared.
void* LargeZeroed(size_t bytes) {
    char* const oldTop = static_cast<char*>(sbrk(0));
    char* base = static_cast<char*>(std::aligned_alloc(4096, (bytes + 4095) & ~size_t(4095)));
    if (!base)
        throw std::bad_alloc();
    if (base < oldTop)
        std::memset(base, 0, std::min(bytes, size_t(oldTop - base)));
    return base;
}

void ReleaseLarge(void* base, size_t) {
    std::free(base);
}
#else
void* LargeZeroed(size_t bytes) {
    void* base = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (base == MAP_FAILED)
        throw std::bad_alloc();
    return base;
}

void ReleaseLarge(void* base, size_t bytes) {
    munmap(base, bytes);
}
#endif

}  // namespace

void* AllocatePixelMemory(size_t bytes) {
    // One page more than asked, to start at the buffer's quarter of a page:
    // the second, third or fourth, in turn. None starts in the first quarter,
    // where memory from malloc begins (SDL's texture lies 16 bytes into a
    // page), so a copy from one of these into such memory never writes just
    // above where it reads.
    uintptr_t offset = uintptr_t(1 + NextPixelSlot) * 1024;
    NextPixelSlot = (NextPixelSlot + 1) % 3;
    void* base = nullptr;
    if (bytes >= LargeBuffer) {
        base = LargeZeroed(bytes + 4096);
    } else {
        base = std::aligned_alloc(4096, (bytes + 8191) & ~size_t(4095));
        if (!base)
            throw std::bad_alloc();
        std::memset(base, 0, bytes + 4096);
    }
    return static_cast<char*>(base) + offset;
}

void FreePixelMemory(void* p, size_t bytes) {
    if (!p)
        return;
    void* base = reinterpret_cast<void*>(reinterpret_cast<uintptr_t>(p) & ~uintptr_t(4095));
    if (bytes >= LargeBuffer)
        ReleaseLarge(base, bytes + 4096);
    else
        std::free(base);
}

namespace {

// The game keeps its surfaces for the whole run, and a process that starts
// the game again (the tests, replays) loads them again: the layer owns every
// surface it hands out, so none is lost when a handle is replaced. The list
// itself is never destroyed, so no exit-time destructor can outlive a
// surface it still points at.
std::vector<std::unique_ptr<platform::SurfaceData>>& EverySurface() {
    static auto* every = new std::vector<std::unique_ptr<platform::SurfaceData>>;
    return *every;
}

}  // namespace

bool PrepareNextPicture() {
    // Sheets larger than this keep their bands until drawn (the tank sheet:
    // 10 MiB, of which a game draws a few kinds).
    constexpr size_t LargestWhole = size_t(1) << 20;
    for (const auto& surface : EverySurface()) {
        if (surface->pendingResource &&
            (surface->bandReady.size() == 1 || surface->pixels.size() * 4 <= LargestWhole)) {
            Prepare(*surface, 0, surface->height);
            return true;
        }
    }
    return false;
}

platform::Surface NewSurface(int width, int height) {
    auto* surface = EverySurface().emplace_back(std::make_unique<platform::SurfaceData>()).get();
    surface->width = width;
    surface->height = height;
    // Fresh pixel memory is black already.
    surface->pixels.resize(size_t(width) * height);
    return surface;
}

size_t SurfacesMade() {
    return EverySurface().size();
}

void ForgetSurfacesAfter(size_t count) {
    if (count < EverySurface().size())
        EverySurface().resize(count);
}

void PixelPagesNow(platform::Surface surface) {
#if defined(MADV_POPULATE_WRITE) && !defined(__EMSCRIPTEN__)
    // One call instead of a page fault for each of its 660 pages in the
    // middle of the first frame of play, which then runs late.
    const uintptr_t page = 4096;
    const auto begin = reinterpret_cast<uintptr_t>(surface->pixels.data());
    const uintptr_t end = begin + surface->pixels.size() * 4;
    const uintptr_t from = begin & ~(page - 1), to = (end + page - 1) & ~(page - 1);
    if (from < to)
        madvise(reinterpret_cast<void*>(from), to - from, MADV_POPULATE_WRITE);
#else
    (void)surface;
#endif
}

platform::Surface WindowSurface(int width, int height) {
    platform::Surface surface = NewSurface(width, height);
    surface->isWindow = true;
    PixelPagesNow(surface);
    return surface;
}

void ReadyPixels(platform::Surface surface) {
    Prepare(*surface, 0, surface->height);
}

void ReadyRows(platform::Surface surface, int first, int end) {
    Prepare(*surface, first, end);
}

void SetPresentHook(void (*hook)(const platform::SurfaceData&)) {
    PresentHook = hook;
}

}  // namespace shared

namespace platform {

Surface CreateCompatibleSurface(Surface, int width, int height) {
    // Such surfaces (the back buffer, the layers) are drawn whole soon.
    Surface surface = shared::NewSurface(width, height);
    shared::PixelPagesNow(surface);
    return surface;
}

Surface LoadBitmapSurface(Surface, int resourceId, int width, int height) {
    // Decoded when first drawn from, and a sheet only in the bands drawn:
    // start-up does not wait for the pictures, and the pages of sprites
    // never drawn are never touched.
    Surface surface = shared::NewSurface(width, height);
    shared::ResourceBytes bytes = shared::FindResource(resourceId);
    int w = 0, h = 0;
    if (!shared::BitmapSize(bytes.data, bytes.size, w, h))
        return surface;
    surface->pendingResource = resourceId;
    // A picture to be scaled is made whole at once.
    int bands = w == width && h == height ? (height + shared::BandRows - 1) / shared::BandRows : 1;
    surface->bandReady.assign(size_t(bands), false);
    if (bands == 1)
        shared::PixelPagesNow(surface);
    return surface;
}

void BitBlt(Surface destination, int x, int y, int width, int height, Surface source, int sx,
            int sy, uint32_t rop) {
    if (!shared::Clip(*destination, x, y, width, height, *source, sx, sy))
        return;
    shared::Prepare(*source, sy, sy + height);
    // A picture written to is made whole first.
    shared::Prepare(*destination, 0, destination->height);
    const bool whole = x == 0 && y == 0 && sx == 0 && sy == 0 && width == destination->width &&
                       height == destination->height && width == source->width &&
                       height == source->height;
    if (whole && rop == SRCCOPY && destination->isWindow && source != destination) {
        // Presenting a whole frame hands its pixels to the window instead of
        // copying them; the back buffer is drawn whole again before the next.
        destination->pixels.swap(source->pixels);
        source->spriteRuns.clear();
        shared::Touched(destination, true);
        return;
    }
    if (whole && rop == SRCCOPY) {
        std::memcpy(destination->pixels.data(), source->pixels.data(),
                    destination->pixels.size() * 4);
        shared::Touched(destination, true);
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
    shared::Touched(destination);
}

void HintFrameChanges(Surface window, const Rect* rects, int count) {
    window->hint.assign(rects, rects + std::max(0, count));
    window->hinted = true;
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
    shared::Prepare(*sheet, sy, sy + 2 * height);
    shared::Prepare(*destination, 0, destination->height);
    uint64_t key =
        uint64_t(sx) | (uint64_t(sy) << 16) | (uint64_t(width) << 32) | (uint64_t(height) << 48);
    auto found = sheet->spriteRuns.find(key);
    if (found == sheet->spriteRuns.end())
        found =
            sheet->spriteRuns.emplace(key, shared::FindRuns(*sheet, sx, sy, width, height)).first;
    const shared::SpriteRuns& sprite = found->second;
    // Clipped once: the rows inside the destination, and whether any run can
    // reach past its left or right edge.
    const int dw = destination->width, dh = destination->height;
    const int firstRow = std::max(0, -y), endRow = std::min(height, dh - y);
    if (firstRow >= endRow || x >= dw || x + width <= 0) {
        shared::Touched(destination);
        return;
    }
    const bool inside = x >= 0 && x + width <= dw;
    const size_t sheetWidth = size_t(sheet->width);
    const uint32_t* image = sheet->pixels.data() + (sy + firstRow) * sheetWidth + sx;
    const size_t maskOffset = size_t(height) * sheetWidth;
    uint32_t* d = destination->pixels.data() + size_t(y + firstRow) * dw + x;
    for (int row = firstRow; row < endRow; ++row, image += sheetWidth, d += dw) {
        const shared::SpriteRun* run = sprite.runs.data() + sprite.rowStart[row];
        const shared::SpriteRun* end = sprite.runs.data() + sprite.rowStart[row + 1];
        for (; run != end; ++run) {
            int from = run->x, to = run->x + run->length;
            if (!inside) {
                from = std::max(from, -x);
                to = std::min(to, dw - x);
                if (from >= to)
                    continue;
            }
            if (run->kind == 0)
                shared::CopyPixels(d + from, image + from, to - from);
            else
                shared::CombinePixels(d + from, image + from, image + maskOffset + from, to - from);
        }
    }
    shared::Touched(destination);
}

}  // namespace platform
