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

// The mixes work on sixteen pixels at once in the compiler's vector types
// (plain loops where the target has no vector instructions). Each pixel's
// channels are split into two words of two 16-bit lanes (blue and red,
// green and the top byte): a channel times at most 256 plus another times
// the rest stays under 65536, so the lanes never carry into each other and
// the sums are those of a byte-by-byte mix (see MixPixel).
// The vector types never cross a function this file does not inline or own.
#pragma GCC diagnostic ignored "-Wpsabi"
#if defined(__GNUC__) && !defined(__clang__)
#define MORVASK_SHUFFLE 1
#if defined(__x86_64__) && defined(__linux__)
// With AVX-512 or AVX2 (the best the processor has, chosen when the program
// starts) the sixteen pixels fill one or two registers instead of four.
#define MORVASK_VECTOR_CLONES __attribute__((target_clones("arch=x86-64-v4", "avx2", "default")))
#endif
#endif
#ifndef MORVASK_VECTOR_CLONES
#define MORVASK_VECTOR_CLONES
#endif

// Without vector instructions (the browser's build) a pixel is mixed two
// channels at a time instead (MixPixel): the same sums, the same results.
#if defined(__wasm__) && !defined(__wasm_simd128__)
constexpr bool PlainWords = true;
#else
constexpr bool PlainWords = false;
#endif

using Lanes = uint16_t __attribute__((vector_size(64)));
using Words = uint32_t __attribute__((vector_size(64)));
constexpr int Width = 16;

[[gnu::always_inline]] inline Words LoadWords(const void* from) {
    Words w;
    std::memcpy(&w, from, sizeof w);
    return w;
}

[[gnu::always_inline]] inline void StoreWords(uint32_t* to, const Words& w) {
    std::memcpy(to, &w, sizeof w);
}

// `a` mixed with `b`, each pixel by its own weight given twice (`w | w << 16`).
[[gnu::always_inline]] inline Words MixWords(const Words& a, const Words& b,
                                             const Words& weightPairs) {
    const Lanes part = Lanes(weightPairs), keep = Lanes(Words{} + 0x01000100u) - part;
    const Lanes redBlue = (Lanes(a & 0xFF00FFu) * keep + Lanes(b & 0xFF00FFu) * part) >> 8;
    const Lanes greenTop = Lanes(a >> 8 & 0xFF00FFu) * keep + Lanes(b >> 8 & 0xFF00FFu) * part;
    return (Words(redBlue) & 0xFF00FFu) | (Words(greenTop) & 0xFF00FF00u);
}

// `count` pixels of `a` mixed with `weight` 256ths of `b`, `alpha` ORed in.
MORVASK_VECTOR_CLONES void MixRows(const uint32_t* a, const uint32_t* b, uint32_t weight,
                                   uint32_t* to, int count, uint32_t alpha) {
    const Words pairs = Words{} + (weight | weight << 16), top = Words{} + alpha;
    if (PlainWords || count < Width) {
        for (int i = 0; i < count; ++i)
            to[i] = MixPixel(a[i], b[i], weight) | alpha;
        return;
    }
    // The last sixteen are mixed whole, over some mixed before: the same values.
    for (int i = 0;; i += Width) {
        i = std::min(i, count - Width);
        StoreWords(to + i, MixWords(LoadWords(a + i), LoadWords(b + i), pairs) | top);
        if (i == count - Width)
            return;
    }
}

void Finish(uint32_t* pixels, int count, bool dim, uint32_t alpha) {
    if (dim)
        for (int i = 0; i < count; ++i)
            pixels[i] = (pixels[i] >> 1 & 0x7F7F7F) | alpha;
    else if (alpha)
        for (int i = 0; i < count; ++i)
            pixels[i] |= alpha;
}

// The taps of one axis, kept while its sizes stay the same, and the same
// as the row pass reads them: the two pixels mixed (a pixel of weight 0 with
// itself) and the weight given twice.
struct AxisTaps {
    int frameSize = 0, size = 0, whole = 0;
    std::vector<SmoothTap> taps;
    std::vector<int> first, second;
    std::vector<uint32_t> weightPairs;
};

const AxisTaps& TapsFor(AxisTaps& kept, int frameSize, int size, int whole) {
    if (kept.frameSize != frameSize || kept.size != size || kept.whole != whole) {
        kept.taps.resize(size_t(size));
        kept.first.resize(size_t(size));
        kept.second.resize(size_t(size));
        kept.weightPairs.resize(size_t(size));
        for (size_t i = 0; i < size_t(size); ++i) {
            const SmoothTap tap = SmoothTapOf(int(i), size, frameSize, whole);
            kept.taps[i] = tap;
            kept.first[i] = tap.from;
            kept.second[i] = tap.from + (tap.weight > 0 ? 1 : 0);
            kept.weightPairs[i] = uint32_t(tap.weight) * 0x10001u;
        }
        kept.frameSize = frameSize;
        kept.size = size;
        kept.whole = whole;
    }
    return kept;
}

// Sixteen columns of a frame row: the pixel each shows and the one it mixes
// with. Enlarged, sixteen columns lie within seventeen frame pixels,
// and two loads and one permute pick them (a column of weight 0 then gets
// the next pixel as its second, which its weight leaves out).
[[gnu::always_inline]] inline void PickColumns(const uint32_t* from,
                                               [[maybe_unused]] int frameWidth, const int* first,
                                               const int* second, Words& a, Words& b) {
#ifdef MORVASK_SHUFFLE
    const int near = first[0];
    if (first[Width - 1] - near < Width && near + Width < frameWidth) {
        const Words picks = LoadWords(first) - uint32_t(near);
        a = __builtin_shuffle(LoadWords(from + near), picks);
        b = __builtin_shuffle(LoadWords(from + near + 1), picks);
        return;
    }
#endif
    for (int k = 0; k < Width; ++k) {
        a[k] = from[first[k]];
        b[k] = from[second[k]];
    }
}

// One frame row scaled across the output columns [left, left + count),
// `alpha` ORed in.
MORVASK_VECTOR_CLONES void SmoothRow(const uint32_t* from, int frameWidth, const AxisTaps& columns,
                                     int left, int count, uint32_t* to, uint32_t alpha) {
    const int* first = columns.first.data() + left;
    const int* second = columns.second.data() + left;
    const uint32_t* pairs = columns.weightPairs.data() + left;
    if (PlainWords || count < Width) {
        for (int i = 0; i < count; ++i)
            to[i] = MixPixel(from[first[i]], from[second[i]], pairs[i] & 0xFFFF) | alpha;
        return;
    }
    const Words top = Words{} + alpha;
    for (int i = 0;; i += Width) {
        i = std::min(i, count - Width);
        Words a, b;
        PickColumns(from, frameWidth, first + i, second + i, a, b);
        StoreWords(to + i, MixWords(a, b, LoadWords(pairs + i)) | top);
        if (i == count - Width)
            return;
    }
}

// The output rows of one region, and the two frame rows last scaled across
// for them: each is scaled once however many output rows use it, into a
// scratch row or, when an output row shows it unmixed, straight into that.
struct RegionPass {
    const FramePixels& frame;
    const AxisTaps& columns;
    int left, count;
    uint32_t alpha;
    // Whether an output row can stand for its scaled frame row: what is
    // ORed in is all or nothing of the top byte, which no mix changes.
    bool reuse;
    int scaledRow[2] = {-1, -1};
    const uint32_t* scaled[2] = {nullptr, nullptr};
};

const uint32_t* ScaledFound(const RegionPass& pass, int frameRow) {
    for (int k = 0; k < 2; ++k)
        if (pass.scaledRow[k] == frameRow)
            return pass.scaled[k];
    return nullptr;
}

// Frame row `frameRow` scaled across, into `into` (an output row) if given.
const uint32_t* Scaled(RegionPass& pass, int frameRow, uint32_t* into) {
    static std::vector<uint32_t> scratch[2];
    if (const uint32_t* found = ScaledFound(pass, frameRow))
        return found;
    // The older of the two gives way: rows go down the frame.
    const int k = pass.scaledRow[0] < pass.scaledRow[1] ? 0 : 1;
    if (!into) {
        scratch[k].resize(size_t(pass.count));
        into = scratch[k].data();
    }
    SmoothRow(pass.frame.pixels + size_t(frameRow) * size_t(pass.frame.pitch), pass.frame.width,
              pass.columns, pass.left, pass.count, into,
              into == scratch[k].data() ? 0 : pass.alpha);
    pass.scaledRow[k] = frameRow;
    pass.scaled[k] = into;
    return into;
}

// Output row `to`, showing frame row `frameRow` unmixed.
void UnmixedRow(RegionPass& pass, int frameRow, uint32_t* to, bool dim) {
    const uint32_t* found = ScaledFound(pass, frameRow);
    if (found == to)
        return;
    if (!found && pass.reuse) {
        Scaled(pass, frameRow, to);
        return;
    }
    std::memcpy(to, found ? found : Scaled(pass, frameRow, nullptr), size_t(pass.count) * 4);
    Finish(to, pass.count, dim, pass.alpha);
}

// Writes the output pixels [left, right) x [top, bottom) of the rectangle,
// relative to it and already inside the output.
void SmoothRegion(const FramePixels& frame, const OutputPixels& output, int x, int y, int width,
                  int height, int whole, int left, int right, int top, int bottom, bool dim,
                  uint32_t alpha) {
    static AxisTaps keptColumns, keptRows;
    RegionPass pass{frame, TapsFor(keptColumns, frame.width, width, whole), left, right - left,
                    alpha, !dim && (alpha == 0 || alpha == 0xFF000000u)};
    const std::vector<SmoothTap>& rows = TapsFor(keptRows, frame.height, height, whole).taps;
    const size_t pitch = size_t(output.pitch);
    const uint32_t* lastRow = nullptr;
    SmoothTap lastTap{-1, -1};
    for (int row = top; row < bottom; ++row) {
        const SmoothTap tap = rows[size_t(row)];
        uint32_t* to = output.pixels + size_t(y + row) * pitch + (x + left);
        if (lastRow && tap.from == lastTap.from && tap.weight == lastTap.weight) {
            std::memcpy(to, lastRow, size_t(pass.count) * 4);
        } else if (tap.weight == 0) {
            UnmixedRow(pass, tap.from, to, dim);
        } else {
            // The next row, when it shows the lower frame row unmixed, gets
            // that row's scaling now.
            const bool below = pass.reuse && row + 1 < bottom &&
                               rows[size_t(row + 1)].from == tap.from + 1 &&
                               rows[size_t(row + 1)].weight == 0;
            const uint32_t* a = Scaled(pass, tap.from, nullptr);
            const uint32_t* b = Scaled(pass, tap.from + 1, below ? to + pitch : nullptr);
            MixRows(a, b, uint32_t(tap.weight), to, pass.count, pass.reuse ? alpha : 0);
            if (!pass.reuse)
                Finish(to, pass.count, dim, alpha);
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
    ShowingRange(TapsFor(columns, frame.width, width, whole).taps, std::clamp(fx, 0, frame.width),
                 std::clamp(fx + fw, 0, frame.width), left, right);
    ShowingRange(TapsFor(rows, frame.height, height, whole).taps, std::clamp(fy, 0, frame.height),
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
