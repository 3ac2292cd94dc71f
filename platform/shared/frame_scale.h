// One pass from the game's frame to the screen's pixels: nearest-neighbour or
// smooth scaling into a rectangle of the output, with the dimming behind an
// open box.
#pragma once

#include <cstdint>

namespace shared {

struct FramePixels {
    const uint32_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    int pitch = 0;  // pixels a row
};

struct OutputPixels {
    uint32_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    int pitch = 0;  // pixels a row
};

// Writes every pixel of the output rectangle (x, y, width, height) once:
// output pixel (dx, dy) of the rectangle shows frame pixel
// (dx * frame.width / width, dy * frame.height / height), the same mapping
// the pointer is taken back through. `dim` halves each colour (the field
// behind a box); `alpha` is ORed in (for outputs whose top byte is alpha).
// Parts of the rectangle outside the output are left out.
void ScaleFrame(const FramePixels& frame, const OutputPixels& output, int x, int y, int width,
                int height, bool dim, uint32_t alpha);

struct OutputRect {
    int x = 0, y = 0, width = 0, height = 0;
};

// The same for only the output pixels of the rectangle that show frame
// pixels inside (fx, fy, fw, fh), never dimmed; gives the output pixels
// written (empty when none).
OutputRect ScaleFramePart(const FramePixels& frame, const OutputPixels& output, int x, int y,
                          int width, int height, uint32_t alpha, int fx, int fy, int fw, int fh);

// Where output position i of `size` reads the frame (of `frameSize`) in
// the smooth pass: frame pixel `from`, mixed with `weight` 256ths of the
// next one. The pass is the frame scaled by `whole` with sharp pixels, then
// bilinearly to `size`; with `whole` 1 it is a plain bilinear scaling.
struct SmoothTap {
    int from = 0;
    int weight = 0;  // 0 to 255
};
SmoothTap SmoothTapOf(int i, int size, int frameSize, int whole);

// Each of the four bytes of `a` mixed with `weight` 256ths (0 to 255) of the
// same byte of `b`, rounded down.
uint32_t MixPixel(uint32_t a, uint32_t b, uint32_t weight);

// ScaleFrame's smooth pass (the sharp mode, and any shrinking below 1x).
void ScaleFrameSmooth(const FramePixels& frame, const OutputPixels& output, int x, int y, int width,
                      int height, int whole, bool dim, uint32_t alpha);
// ScaleFramePart's: every output pixel that reads a changed frame pixel.
OutputRect ScaleFrameSmoothPart(const FramePixels& frame, const OutputPixels& output, int x, int y,
                                int width, int height, int whole, uint32_t alpha, int fx, int fy,
                                int fw, int fh);

}  // namespace shared
