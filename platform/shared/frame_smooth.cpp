// The smooth pass from the game's frame to the screen's pixels: the frame as
// if scaled by a whole multiple with sharp pixels, then bilinearly to the
// rectangle's size, so that only the edges between field pixels blend (the
// sharp mode), and a plain bilinear shrink below 1x.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "platform/shared/frame_scale.h"

namespace shared {
namespace {

// The blends go byte by byte over the pixels' channels (0x00RRGGBB words,
// whose top byte stays 0), in loops the compiler turns into vector code.
// Without vector instructions (the browser's build) a word is mixed two
// channels at a time instead (MixPixel): the same sums, the same results.
#if defined(__wasm__) && !defined(__wasm_simd128__)
constexpr bool MixWords = true;
#else
constexpr bool MixWords = false;
#endif

// `count` pixels of `a` mixed with `weight` 256ths of `b`.
void MixRows(const uint32_t* a, const uint32_t* b, uint32_t weight, uint32_t* to, int count) {
    if (MixWords) {
        for (int i = 0; i < count; ++i)
            to[i] = MixPixel(a[i], b[i], weight);
        return;
    }
    const auto* x = reinterpret_cast<const uint8_t*>(a);
    const auto* y = reinterpret_cast<const uint8_t*>(b);
    auto* out = reinterpret_cast<uint8_t*>(to);
    const auto keep = uint16_t(256 - weight), part = uint16_t(weight);
    // At most 255 * 256 in all: the sums fit 16-bit lanes.
    for (int j = 0; j < count * 4; ++j)
        out[j] = uint8_t(uint16_t(uint16_t(x[j] * keep) + uint16_t(y[j] * part)) >> 8);
}

// The same with a weight for each byte (each pixel's four alike).
void MixRowsWeighted(const uint32_t* a, const uint32_t* b, const uint16_t* weights, uint32_t* to,
                     int count) {
    const auto* x = reinterpret_cast<const uint8_t*>(a);
    const auto* y = reinterpret_cast<const uint8_t*>(b);
    auto* out = reinterpret_cast<uint8_t*>(to);
    for (int j = 0; j < count * 4; ++j)
        out[j] = uint8_t(
            uint16_t(uint16_t(x[j] * uint16_t(256 - weights[j])) + uint16_t(y[j] * weights[j])) >>
            8);
}

void Finish(uint32_t* pixels, int count, bool dim, uint32_t alpha) {
    if (dim)
        for (int i = 0; i < count; ++i)
            pixels[i] = (pixels[i] >> 1 & 0x7F7F7F) | alpha;
    else if (alpha)
        for (int i = 0; i < count; ++i)
            pixels[i] |= alpha;
}

// The taps of one axis, kept while its sizes stay the same, with each tap's
// weight repeated for the four bytes of a pixel.
struct AxisTaps {
    int frameSize = 0, size = 0, whole = 0;
    std::vector<SmoothTap> taps;
    std::vector<uint16_t> byteWeights;
};

const std::vector<SmoothTap>& TapsFor(AxisTaps& kept, int frameSize, int size, int whole) {
    if (kept.frameSize != frameSize || kept.size != size || kept.whole != whole) {
        kept.taps.resize(size_t(size));
        kept.byteWeights.resize(size_t(size) * 4);
        for (int i = 0; i < size; ++i) {
            kept.taps[size_t(i)] = SmoothTapOf(i, size, frameSize, whole);
            std::fill_n(kept.byteWeights.begin() + i * 4, 4, uint16_t(kept.taps[size_t(i)].weight));
        }
        kept.frameSize = frameSize;
        kept.size = size;
        kept.whole = whole;
    }
    return kept.taps;
}

// One frame row scaled across `count` output columns: each column's two
// frame pixels gathered, then mixed.
void SmoothRow(const uint32_t* from, const SmoothTap* columns, const uint16_t* byteWeights,
               int count, uint32_t* to) {
    if (MixWords) {
        // Gathered and mixed at once; a column of weight 0 is its pixel.
        for (int i = 0; i < count; ++i) {
            const SmoothTap tap = columns[i];
            to[i] = tap.weight ? MixPixel(from[tap.from], from[tap.from + 1], uint32_t(tap.weight))
                               : from[tap.from];
        }
        return;
    }
    static std::vector<uint32_t> left, right;
    left.resize(size_t(count));
    right.resize(size_t(count));
    for (int i = 0; i < count; ++i) {
        const SmoothTap tap = columns[i];
        left[size_t(i)] = from[tap.from];
        right[size_t(i)] = from[tap.from + (tap.weight > 0 ? 1 : 0)];
    }
    MixRowsWeighted(left.data(), right.data(), byteWeights, to, count);
}

// Writes the output pixels [left, right) x [top, bottom) of the rectangle,
// relative to it and already inside the output. Two frame rows scaled
// across are kept, so each is scaled once however many output rows use it.
void SmoothRegion(const FramePixels& frame, const OutputPixels& output, int x, int y, int width,
                  int height, int whole, int left, int right, int top, int bottom, bool dim,
                  uint32_t alpha) {
    static AxisTaps keptColumns, keptRows;
    static std::vector<uint32_t> scaled[2];
    const SmoothTap* columns = TapsFor(keptColumns, frame.width, width, whole).data() + left;
    const uint16_t* byteWeights = keptColumns.byteWeights.data() + size_t(left) * 4;
    const std::vector<SmoothTap>& rows = TapsFor(keptRows, frame.height, height, whole);
    const int count = right - left;
    int scaledRow[2] = {-1, -1};
    auto scaledOf = [&](int frameRow) -> const uint32_t* {
        for (int k = 0; k < 2; ++k)
            if (scaledRow[k] == frameRow)
                return scaled[k].data();
        // The older of the two gives way: rows go down the frame.
        const int k = scaledRow[0] < scaledRow[1] ? 0 : 1;
        scaled[k].resize(size_t(count));
        SmoothRow(frame.pixels + size_t(frameRow) * size_t(frame.pitch), columns, byteWeights,
                  count, scaled[k].data());
        scaledRow[k] = frameRow;
        return scaled[k].data();
    };
    const uint32_t* lastRow = nullptr;
    SmoothTap lastTap{-1, -1};
    for (int row = top; row < bottom; ++row) {
        const SmoothTap tap = rows[size_t(row)];
        uint32_t* to = output.pixels + size_t(y + row) * size_t(output.pitch) + (x + left);
        if (lastRow && tap.from == lastTap.from && tap.weight == lastTap.weight) {
            std::memcpy(to, lastRow, size_t(count) * 4);
        } else if (tap.weight == 0) {
            std::memcpy(to, scaledOf(tap.from), size_t(count) * 4);
            Finish(to, count, dim, alpha);
        } else {
            const uint32_t* a = scaledOf(tap.from);
            MixRows(a, scaledOf(tap.from + 1), uint32_t(tap.weight), to, count);
            Finish(to, count, dim, alpha);
        }
        lastRow = to;
        lastTap = tap;
    }
}

// The output positions whose taps read frame positions [from, to): the first
// whose upper tap reaches `from`, up to the first whose lower tap is past it.
void ShowingRange(const std::vector<SmoothTap>& taps, int from, int to, int& first, int& end) {
    auto reaches = [from](const SmoothTap& t) { return t.from + (t.weight > 0 ? 1 : 0) < from; };
    auto before = [to](const SmoothTap& t) { return t.from < to; };
    first = int(std::partition_point(taps.begin(), taps.end(), reaches) - taps.begin());
    end = int(std::partition_point(taps.begin(), taps.end(), before) - taps.begin());
}

}  // namespace

uint32_t MixPixel(uint32_t a, uint32_t b, uint32_t weight) {
    const uint32_t keep = 256 - weight;
    // Each channel's sum is at most 255 * 256: it stays in its 16-bit half.
    const uint32_t redBlue = ((a & 0xFF00FFu) * keep + (b & 0xFF00FFu) * weight) >> 8 & 0xFF00FFu;
    const uint32_t greenTop =
        ((a >> 8 & 0xFF00FFu) * keep + (b >> 8 & 0xFF00FFu) * weight) & 0xFF00FF00u;
    return redBlue | greenTop;
}

SmoothTap SmoothTapOf(int i, int size, int frameSize, int whole) {
    whole = std::max(1, whole);
    // The output pixel's centre in frame pixels, moved towards the centre of
    // the frame pixel it falls in, as far as the whole multiple keeps a
    // block of that pixel: only a band about one output pixel wide at each
    // edge between two frame pixels is left to blend.
    const double t = (i + 0.5) * frameSize / size;
    const double base = std::floor(t);
    const double offset = t - base - 0.5;
    const double flat = 0.5 - 0.5 / whole;
    const double f = (offset - std::clamp(offset, -flat, flat)) * whole + 0.5;
    const double c = base + f - 0.5;
    int from = int(std::floor(c));
    int weight = int(std::lround((c - from) * 256));
    if (weight >= 256) {
        ++from;
        weight = 0;
    }
    if (from < 0) {
        from = 0;
        weight = 0;
    }
    if (from >= frameSize - 1) {
        from = frameSize - 1;
        weight = 0;
    }
    return {from, weight};
}

void ScaleFrameSmooth(const FramePixels& frame, const OutputPixels& output, int x, int y, int width,
                      int height, int whole, bool dim, uint32_t alpha) {
    if (frame.width <= 0 || frame.height <= 0 || width <= 0 || height <= 0)
        return;
    const int left = std::max(0, -x), right = std::min(width, output.width - x);
    const int top = std::max(0, -y), bottom = std::min(height, output.height - y);
    if (left >= right || top >= bottom)
        return;
    SmoothRegion(frame, output, x, y, width, height, whole, left, right, top, bottom, dim, alpha);
}

OutputRect ScaleFrameSmoothPart(const FramePixels& frame, const OutputPixels& output, int x, int y,
                                int width, int height, int whole, uint32_t alpha, int fx, int fy,
                                int fw, int fh) {
    if (frame.width <= 0 || frame.height <= 0 || width <= 0 || height <= 0 || fw <= 0 || fh <= 0)
        return {};
    static AxisTaps columns, rows;
    int left = 0, right = 0, top = 0, bottom = 0;
    ShowingRange(TapsFor(columns, frame.width, width, whole), std::clamp(fx, 0, frame.width),
                 std::clamp(fx + fw, 0, frame.width), left, right);
    ShowingRange(TapsFor(rows, frame.height, height, whole), std::clamp(fy, 0, frame.height),
                 std::clamp(fy + fh, 0, frame.height), top, bottom);
    left = std::max(left, -x);
    right = std::min(right, output.width - x);
    top = std::max(top, -y);
    bottom = std::min(bottom, output.height - y);
    if (left >= right || top >= bottom)
        return {};
    SmoothRegion(frame, output, x, y, width, height, whole, left, right, top, bottom, false, alpha);
    return {x + left, y + top, right - left, bottom - top};
}

}  // namespace shared
