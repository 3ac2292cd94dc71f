// Memory surfaces of 32-bit 0x00RRGGBB pixels with the block copies of the
// platform layer, shared by the SDL and headless backends.
#pragma once

#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "platform/platform.h"

namespace software {

// One opaque or transparent stretch of a sprite row, found once per sprite.
struct SpriteRun {
    int16_t row;
    int16_t x;
    int16_t length;
    uint8_t kind;  // 0 copy the image, 2 combine pixel by pixel
};

}  // namespace software

struct platform::SurfaceData {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
    bool isWindow = false;
    // The runs of each sprite drawn from this surface, by its rectangle.
    std::unordered_map<uint64_t, std::vector<software::SpriteRun>> spriteRuns;
};

namespace software {

platform::Surface NewSurface(int width, int height);
// The window's surface; copies into it are shown through the present hook.
platform::Surface WindowSurface(int width, int height);
void SetPresentHook(void (*hook)(const platform::SurfaceData& window));

// A BMP file (24-bit, or 8-bit with a palette; bottom-up or top-down) as
// pixels; false when the bytes are not such a file.
bool DecodeBitmap(const uint8_t* data, size_t size, int& width, int& height,
                  std::vector<uint32_t>& pixels);
// Smooth (bilinear) scaling of a picture to another size.
std::vector<uint32_t> ScalePicture(const std::vector<uint32_t>& pixels, int width, int height,
                                   int newWidth, int newHeight);

}  // namespace software
