// One pass from the game's frame to the screen's pixels: nearest-neighbour
// scaling into a rectangle of the output, with the dimming behind an open box.
#pragma once

#include <cstdint>

namespace sdl {

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

}  // namespace sdl
