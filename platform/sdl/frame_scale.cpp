// The one pass that takes the game's frame to the screen's pixels, scaled by
// nearest neighbour: each output row is made from its frame row, and an
// output row that shows the same frame row as the one above is a copy of it.
#include "platform/sdl/frame_scale.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace sdl {
namespace {

template <bool Dim>
inline uint32_t Shade(uint32_t pixel, uint32_t alpha) {
    if constexpr (Dim)
        pixel = pixel >> 1 & 0x7F7F7F;
    return pixel | alpha;
}

// One output row from one frame row. `first` is the row's first output
// column relative to the rectangle, `count` its length.
template <bool Dim>
void ScaleRow(const uint32_t* from, int frameWidth, uint32_t* to, int first, int count, int width,
              uint32_t alpha, const std::vector<int>& columns) {
    if (width == frameWidth) {
        for (int i = 0; i < count; ++i)
            to[i] = Shade<Dim>(from[first + i], alpha);
        return;
    }
    if (first == 0 && count == width && width % frameWidth == 0) {
        // A whole multiple: each frame pixel becomes `factor` output pixels.
        const int factor = width / frameWidth;
        if (factor == 2) {
            for (int i = 0; i < frameWidth; ++i) {
                const uint32_t pixel = Shade<Dim>(from[i], alpha);
                to[2 * i] = pixel;
                to[2 * i + 1] = pixel;
            }
            return;
        }
        for (int i = 0; i < frameWidth; ++i) {
            const uint32_t pixel = Shade<Dim>(from[i], alpha);
            for (int k = 0; k < factor; ++k)
                to[i * factor + k] = pixel;
        }
        return;
    }
    for (int i = 0; i < count; ++i)
        to[i] = Shade<Dim>(from[columns[size_t(i)]], alpha);
}

}  // namespace

void ScaleFrame(const FramePixels& frame, const OutputPixels& output, int x, int y, int width,
                int height, bool dim, uint32_t alpha) {
    if (frame.width <= 0 || frame.height <= 0 || width <= 0 || height <= 0)
        return;
    // The part of the rectangle inside the output, relative to the rectangle.
    const int left = std::max(0, -x), right = std::min(width, output.width - x);
    const int top = std::max(0, -y), bottom = std::min(height, output.height - y);
    if (left >= right || top >= bottom)
        return;
    const int count = right - left;
    // The frame column of each output column, for factors that are not
    // whole; kept while the rectangle stays the same.
    static std::vector<int> columns;
    static int columnsFor[3] = {0, 0, 0};
    const bool whole = left == 0 && count == width && width % frame.width == 0;
    if (width != frame.width && !whole &&
        (columnsFor[0] != frame.width || columnsFor[1] != width || columnsFor[2] != left ||
         int(columns.size()) != count)) {
        columns.resize(size_t(count));
        for (int i = 0; i < count; ++i)
            columns[size_t(i)] = int(int64_t(left + i) * frame.width / width);
        columnsFor[0] = frame.width;
        columnsFor[1] = width;
        columnsFor[2] = left;
    }
    const bool plain = width == frame.width && !dim && alpha == 0;
    const uint32_t* lastRow = nullptr;
    int lastFrameRow = -1;
    for (int row = top; row < bottom; ++row) {
        const int frameRow = int(int64_t(row) * frame.height / height);
        uint32_t* to = output.pixels + size_t(y + row) * size_t(output.pitch) + (x + left);
        if (frameRow == lastFrameRow) {
            std::memcpy(to, lastRow, size_t(count) * 4);
        } else {
            const uint32_t* from = frame.pixels + size_t(frameRow) * size_t(frame.pitch);
            if (plain)
                std::memcpy(to, from + left, size_t(count) * 4);
            else if (dim)
                ScaleRow<true>(from, frame.width, to, left, count, width, alpha, columns);
            else
                ScaleRow<false>(from, frame.width, to, left, count, width, alpha, columns);
        }
        lastRow = to;
        lastFrameRow = frameRow;
    }
}

}  // namespace sdl
