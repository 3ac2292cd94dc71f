// The one pass that takes the game's frame to the screen's pixels, scaled by
// nearest neighbour: each output row is made from its frame row, and an
// output row that shows the same frame row as the one above is a copy of it.
#include "platform/shared/frame_scale.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace shared {
namespace {

template <bool Dim>
inline uint32_t Shade(uint32_t pixel, uint32_t alpha) {
    if constexpr (Dim)
        pixel = pixel >> 1 & 0x7F7F7F;
    return pixel | alpha;
}

// The frame column of each output column of a rectangle `width` wide, for
// factors that are not 1; kept while the sizes stay the same.
const std::vector<int>& ColumnsFor(int frameWidth, int width) {
    static std::vector<int> columns;
    static int madeFor[2] = {0, 0};
    if (madeFor[0] != frameWidth || madeFor[1] != width) {
        columns.resize(size_t(width));
        for (int i = 0; i < width; ++i)
            columns[size_t(i)] = int(int64_t(i) * frameWidth / width);
        madeFor[0] = frameWidth;
        madeFor[1] = width;
    }
    return columns;
}

// One output row from one frame row. `first` is the row's first output
// column relative to the rectangle, `count` its length.
template <bool Dim>
void ScaleRow(const uint32_t* from, int frameWidth, uint32_t* to, int first, int count, int width,
              uint32_t alpha) {
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
    const int* columns = ColumnsFor(frameWidth, width).data() + first;
    for (int i = 0; i < count; ++i)
        to[i] = Shade<Dim>(from[columns[i]], alpha);
}

// Writes the output pixels [left, right) x [top, bottom) of the rectangle,
// relative to it and already inside the output.
void ScaleRegion(const FramePixels& frame, const OutputPixels& output, int x, int y, int width,
                 int height, int left, int right, int top, int bottom, bool dim, uint32_t alpha) {
    const int count = right - left;
    const bool plain = width == frame.width && !dim && alpha == 0;
    if (plain && height == frame.height && count == frame.width && output.pitch == frame.width &&
        frame.pitch == frame.width) {
        // Whole rows, one to one, of the same length in both: one block.
        std::memcpy(output.pixels + size_t(y + top) * size_t(output.pitch) + x,
                    frame.pixels + size_t(top) * size_t(frame.pitch),
                    size_t(bottom - top) * size_t(frame.pitch) * 4);
        return;
    }
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
                ScaleRow<true>(from, frame.width, to, left, count, width, alpha);
            else
                ScaleRow<false>(from, frame.width, to, left, count, width, alpha);
        }
        lastRow = to;
        lastFrameRow = frameRow;
    }
}

// The first output position (of `size`) whose frame position (of
// `frameSize`) is at least `at`: output i shows frame i * frameSize / size.
int FirstShowing(int64_t at, int size, int frameSize) {
    return int((at * size + frameSize - 1) / frameSize);
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
    ScaleRegion(frame, output, x, y, width, height, left, right, top, bottom, dim, alpha);
}

OutputRect ScaleFramePart(const FramePixels& frame, const OutputPixels& output, int x, int y,
                          int width, int height, uint32_t alpha, int fx, int fy, int fw, int fh) {
    if (frame.width <= 0 || frame.height <= 0 || width <= 0 || height <= 0 || fw <= 0 || fh <= 0)
        return {};
    const int fromX = std::clamp(fx, 0, frame.width), toX = std::clamp(fx + fw, 0, frame.width);
    const int fromY = std::clamp(fy, 0, frame.height), toY = std::clamp(fy + fh, 0, frame.height);
    const int left = std::max({0, -x, FirstShowing(fromX, width, frame.width)});
    const int right = std::min(output.width - x, FirstShowing(toX, width, frame.width));
    const int top = std::max({0, -y, FirstShowing(fromY, height, frame.height)});
    const int bottom = std::min(output.height - y, FirstShowing(toY, height, frame.height));
    if (left >= right || top >= bottom)
        return {};
    ScaleRegion(frame, output, x, y, width, height, left, right, top, bottom, false, alpha);
    return {x + left, y + top, right - left, bottom - top};
}

}  // namespace shared
