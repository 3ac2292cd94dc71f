// Memory surfaces of 32-bit 0x00RRGGBB pixels with the block copies of the
// platform layer, shared by the SDL and headless backends.
#pragma once

#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "platform/platform.h"

namespace shared {

// One stretch of a sprite row to draw, found once per sprite.
struct SpriteRun {
    int16_t x;
    int16_t length;
    uint8_t kind;  // 0 copy the image, 2 combine pixel by pixel
};

// The runs of one sprite, row after row: those of row r are
// runs[rowStart[r]] up to runs[rowStart[r + 1]].
struct SpriteRuns {
    std::vector<SpriteRun> runs;
    std::vector<uint32_t> rowStart;
};

// Pixel memory. Rows of the game's surfaces are 64-byte multiples, and every
// buffer starts 64-byte aligned, so rows never straddle more cache lines than
// they must. Each new buffer also starts at the next of the last three
// quarters of a 4 KiB page:
// copying between two buffers whose addresses are close modulo 4096 (the
// destination a little above the source) stalls on 4K aliasing, where the
// processor takes a load for one depending on an earlier store to an address
// with the same low 12 bits and holds it back; `rep movsb` and glibc's memcpy
// then run at a fraction of their speed. A quarter page (1 KiB) apart keeps
// the loads of a copy well clear of its recent stores. Large buffers are
// mapped pages (in the browser, heap memory never used before, or cleared)
// that stay untouched, and cost no memory, until written.
void* AllocatePixelMemory(size_t bytes);
void FreePixelMemory(void* p, size_t bytes);

template <class T>
struct PixelAllocator {
    using value_type = T;
    PixelAllocator() = default;
    template <class U>
    PixelAllocator(const PixelAllocator<U>&) {}
    T* allocate(size_t n) { return static_cast<T*>(AllocatePixelMemory(n * sizeof(T))); }
    void deallocate(T* p, size_t n) { FreePixelMemory(p, n * sizeof(T)); }
    // New elements are left as the fresh memory has them (zero), so a large
    // buffer's pages are not touched when it is made.
    template <class U>
    void construct(U* p) {
        ::new (static_cast<void*>(p)) U;
    }
    template <class U, class... Args>
    void construct(U* p, Args&&... args) {
        ::new (static_cast<void*>(p)) U(static_cast<Args&&>(args)...);
    }
    bool operator==(const PixelAllocator&) const { return true; }
};

using Pixels = std::vector<uint32_t, PixelAllocator<uint32_t>>;

}  // namespace shared

struct platform::SurfaceData {
    int width = 0;
    int height = 0;
    shared::Pixels pixels;
    bool isWindow = false;
    // A bitmap resource still to be decoded into the bands not yet ready, of
    // BandRows rows each (0: every pixel is there).
    int pendingResource = 0;
    std::vector<bool> bandReady;
    int bandsDecoded = 0;
    // The runs of each sprite drawn from this surface, by its rectangle.
    std::unordered_map<uint64_t, shared::SpriteRuns> spriteRuns;
    // The window's surface: each copy into it counts one more frame; the
    // frame differs from the one before only inside `changes` when
    // `changesKnown` (the hint given for it), anywhere otherwise.
    uint64_t frameSerial = 0;
    bool changesKnown = false;
    std::vector<platform::Rect> changes;
    bool hinted = false;
    std::vector<platform::Rect> hint;  // given for the next whole copy
};

namespace shared {

inline constexpr int BandRows = 128;

platform::Surface NewSurface(int width, int height);
// How many surfaces the layer has handed out, and giving back every one
// handed out after the first `count`: for a program that starts the game
// again and again in one process (a fuzz target), once nothing points at
// them any more.
size_t SurfacesMade();
void ForgetSurfacesAfter(size_t count);
// Gives a surface's pixels their memory now, for a surface that will be
// drawn whole soon anyway.
void PixelPagesNow(platform::Surface surface);
// The window's surface; copies into it are shown through the present hook.
platform::Surface WindowSurface(int width, int height);
void SetPresentHook(void (*hook)(const platform::SurfaceData& window));

// A BMP file (24-bit, or 8-bit with a palette; bottom-up or top-down) as
// pixels; false when the bytes are not such a file.
bool DecodeBitmap(const uint8_t* data, size_t size, int& width, int& height,
                  std::vector<uint32_t>& pixels);
// The size of a BMP file; false when the bytes are not such a file.
bool BitmapSize(const uint8_t* data, size_t size, int& width, int& height);
// Rows first up to end (top row 0) of a BMP file, width pixels each, into out.
bool DecodeBitmapRows(const uint8_t* data, size_t size, int first, int end, uint32_t* out);
// Where rows first up to end of a BMP file lie in it: bytes [begin, finish).
bool BitmapRowBytes(const uint8_t* data, size_t size, int first, int end, size_t& begin,
                    size_t& finish);
// A surface loaded from a bitmap resource gets its pixels on first use, band
// by band; this makes all of them ready for code that reads them directly.
void ReadyPixels(platform::Surface surface);
// The same for rows first up to end alone (a few sprites of a large sheet).
void ReadyRows(platform::Surface surface, int first, int end);
// Decodes one loaded picture that is still waiting to be, for a program
// with time on its hands (a box open): those made whole at once and the
// small sheets; a large sheet still waits for its bands to be drawn. False
// when none is left.
bool PrepareNextPicture();
// Smooth (bilinear) scaling of a picture to another size.
std::vector<uint32_t> ScalePicture(const std::vector<uint32_t>& pixels, int width, int height,
                                   int newWidth, int newHeight);
// The same, into newWidth x newHeight pixels at out.
void ScalePictureInto(const std::vector<uint32_t>& pixels, int width, int height, int newWidth,
                      int newHeight, uint32_t* out);

}  // namespace shared
