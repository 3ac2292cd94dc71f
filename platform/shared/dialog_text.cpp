// The in-window box's text: UTF-8 to code points and back, the built-in
// glyphs at any size, the width of a line and the wrapping of a text.
#include <algorithm>
#include <cmath>
#include <map>
#include <utility>

#include "platform/shared/dialog.h"
#include "platform/shared/dialog_parts.h"
#include "platform/shared/glyph_atlas.h"

namespace glyphs {

const AtlasGlyph* FindGlyph(const AtlasStrike& strike, uint32_t codePoint) {
    const AtlasGlyph* end = strike.glyphs + strike.glyphCount;
    const AtlasGlyph* found = std::lower_bound(
        strike.glyphs, end, codePoint,
        [](const AtlasGlyph& glyph, uint32_t code) { return glyph.codePoint < code; });
    return found != end && found->codePoint == codePoint ? found : nullptr;
}

}  // namespace glyphs

namespace dialog {
namespace {

std::string Utf8(const std::vector<uint32_t>& codes, size_t from, size_t to) {
    std::string text;
    for (size_t i = from; i < to; ++i) {
        uint32_t c = codes[i];
        if (c < 0x80) {
            text += char(c);
        } else if (c < 0x800) {
            text += char(0xC0 | c >> 6);
            text += char(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            text += char(0xE0 | c >> 12);
            text += char(0x80 | (c >> 6 & 0x3F));
            text += char(0x80 | (c & 0x3F));
        } else {
            text += char(0xF0 | c >> 18);
            text += char(0x80 | (c >> 12 & 0x3F));
            text += char(0x80 | (c >> 6 & 0x3F));
            text += char(0x80 | (c & 0x3F));
        }
    }
    return text;
}

// The strike a size is drawn from: the same size when the atlas has it,
// otherwise the smallest larger one (sampled down), or the largest.
const glyphs::AtlasStrike& StrikeFor(int pixels) {
    const glyphs::AtlasStrike* best = nullptr;
    for (int s = 0; s < glyphs::StrikeCount; ++s) {
        const glyphs::AtlasStrike& strike = glyphs::Strikes[s];
        if (strike.pixelSize >= pixels && (!best || strike.pixelSize < best->pixelSize))
            best = &strike;
    }
    if (!best)
        best = &glyphs::Strikes[glyphs::StrikeCount - 1];
    return *best;
}

// Samples a coverage map to another size by the area each output pixel
// covers, so that smaller text keeps its anti-aliasing.
struct Resampled {
    SizedGlyph glyph;
    std::vector<uint8_t> coverage;
};

void Resample(const glyphs::AtlasGlyph& source, double ratio, Resampled& out) {
    double left = source.left * ratio, top = source.top * ratio;
    int x0 = int(std::floor(left)), y0 = int(std::floor(top));
    int x1 = int(std::ceil((source.left + source.width) * ratio));
    int y1 = int(std::ceil((source.top + source.height) * ratio));
    int width = std::max(0, x1 - x0), height = std::max(0, y1 - y0);
    out.glyph.left = x0;
    out.glyph.top = y0;
    out.glyph.width = width;
    out.glyph.height = height;
    out.glyph.advance = int(std::lround(source.advance * ratio));
    out.coverage.assign(size_t(width) * size_t(height), 0);
    if (width == 0 || height == 0)
        return;
    const uint8_t* map = glyphs::Coverage + source.offset;
    // The weight of source pixel s (0..n-1) in output pixel t: the overlap
    // of [s, s+1) with [(t + start) / ratio - origin, ...).
    auto weights = [ratio](int outputCount, int start, int origin, int sourceCount) {
        std::vector<std::vector<std::pair<int, double>>> table(static_cast<size_t>(outputCount));
        for (int t = 0; t < outputCount; ++t) {
            double from = (t + start) / ratio - origin, to = (t + start + 1) / ratio - origin;
            for (int s = std::max(0, int(std::floor(from))); s < sourceCount && s < to; ++s) {
                double overlap = std::min(to, s + 1.0) - std::max(from, double(s));
                if (overlap > 0)
                    table[size_t(t)].push_back({s, overlap * ratio});
            }
        }
        return table;
    };
    auto columns = weights(width, x0, source.left, source.width);
    auto rows = weights(height, y0, source.top, source.height);
    std::vector<double> horizontal(size_t(width) * source.height, 0.0);
    for (int r = 0; r < source.height; ++r)
        for (int t = 0; t < width; ++t) {
            double sum = 0;
            for (auto [s, w] : columns[size_t(t)])
                sum += w * map[size_t(r) * source.width + size_t(s)];
            horizontal[size_t(r) * size_t(width) + size_t(t)] = sum;
        }
    for (int t = 0; t < height; ++t)
        for (int c = 0; c < width; ++c) {
            double sum = 0;
            for (auto [s, w] : rows[size_t(t)])
                sum += w * horizontal[size_t(s) * size_t(width) + size_t(c)];
            out.coverage[size_t(t) * size_t(width) + size_t(c)] =
                uint8_t(std::clamp(std::lround(sum), 0L, 255L));
        }
}

// The width of a character in 1/64 pixel; a missing glyph is drawn as an
// empty box one em wide.
int AdvanceOf(uint32_t code, int pixels) {
    const SizedGlyph* glyph = GlyphAt(code, pixels);
    return glyph ? glyph->advance : pixels * 64;
}

int TextWidthOf(const std::vector<uint32_t>& codes, size_t from, size_t to, int pixels) {
    int width = 0;
    for (size_t i = from; i < to; ++i)
        width += AdvanceOf(codes[i], pixels);
    return (width + 63) / 64;
}

bool IsIdeograph(uint32_t c) {
    return c >= 0x2E80;
}

// Punctuation that never starts a line.
bool ClosesLine(uint32_t c) {
    switch (c) {
        case 0xFF0C:  // ，
        case 0x3002:  // 。
        case 0xFF01:  // ！
        case 0xFF1F:  // ？
        case 0xFF1A:  // ：
        case 0xFF1B:  // ；
        case 0xFF09:  // ）
        case 0x3001:  // 、
        case ',':
        case '.':
        case '!':
        case '?':
        case ':':
        case ';':
        case ')':
            return true;
        default:
            return false;
    }
}

}  // namespace

std::vector<uint32_t> CodePoints(const std::string& text) {
    std::vector<uint32_t> codes;
    size_t i = 0;
    while (i < text.size()) {
        auto byte = uint8_t(text[i]);
        int extra = byte < 0x80 ? 0 : byte >= 0xF0 ? 3 : byte >= 0xE0 ? 2 : byte >= 0xC0 ? 1 : -1;
        uint32_t code = byte;
        if (extra > 0 && i + size_t(extra) < text.size()) {
            code = byte & (0x3Fu >> extra);
            for (int k = 1; k <= extra; ++k)
                code = code << 6 | (uint8_t(text[i + size_t(k)]) & 0x3F);
            i += size_t(extra) + 1;
        } else {
            i += 1;
        }
        codes.push_back(code);
    }
    return codes;
}

const SizedGlyph* GlyphAt(uint32_t code, int pixels) {
    const glyphs::AtlasStrike& strike = StrikeFor(pixels);
    const glyphs::AtlasGlyph* source = glyphs::FindGlyph(strike, code);
    if (!source)
        return nullptr;
    // Sizes are few (one or two per window size), so every glyph drawn is
    // kept for the rest of the run.
    static std::map<std::pair<int, uint32_t>, Resampled> made;
    auto key = std::make_pair(pixels, code);
    auto found = made.find(key);
    if (found == made.end()) {
        Resampled entry;
        if (strike.pixelSize == pixels) {
            entry.glyph = {source->left,   source->top,     source->width,
                           source->height, source->advance, glyphs::Coverage + source->offset};
        } else {
            Resample(*source, double(pixels) / strike.pixelSize, entry);
        }
        found = made.emplace(key, std::move(entry)).first;
        if (strike.pixelSize != pixels)
            found->second.glyph.coverage = found->second.coverage.data();
    }
    return &found->second.glyph;
}

int TextWidth(const std::string& text, int pixels) {
    std::vector<uint32_t> codes = CodePoints(text);
    return TextWidthOf(codes, 0, codes.size(), pixels);
}

std::vector<std::string> WrapText(const std::string& text, int pixels, int maxWidth) {
    std::vector<std::string> lines;
    std::vector<uint32_t> codes = CodePoints(text);
    size_t start = 0;
    while (true) {
        size_t end = start;
        while (end < codes.size() && codes[end] != '\n')
            ++end;
        size_t lineStart = start;
        while (TextWidthOf(codes, lineStart, end, pixels) > maxWidth) {
            // The longest start of the line that fits, cut where a line may
            // break; a single word wider than the box is cut anywhere.
            size_t fits = lineStart + 1;
            while (fits < end && TextWidthOf(codes, lineStart, fits + 1, pixels) <= maxWidth)
                ++fits;
            size_t cut = fits;
            while (cut > lineStart + 1) {
                uint32_t before = codes[cut - 1], after = codes[cut];
                bool breakable =
                    before == ' ' || after == ' ' ||
                    ((IsIdeograph(before) || IsIdeograph(after)) && !ClosesLine(after));
                if (breakable)
                    break;
                --cut;
            }
            if (cut == lineStart + 1)
                cut = fits;
            size_t lineEnd = cut;
            while (lineEnd > lineStart && codes[lineEnd - 1] == ' ')
                --lineEnd;
            lines.push_back(Utf8(codes, lineStart, lineEnd));
            lineStart = cut;
            while (lineStart < end && codes[lineStart] == ' ')
                ++lineStart;
        }
        lines.push_back(Utf8(codes, lineStart, end));
        if (end >= codes.size())
            break;
        start = end + 1;
    }
    return lines;
}

std::vector<uint32_t> MissingGlyphs(const std::string& textUtf8) {
    std::vector<uint32_t> missing;
    for (uint32_t code : CodePoints(textUtf8))
        if (code != '\n' && !glyphs::FindGlyph(glyphs::Strikes[0], code))
            missing.push_back(code);
    return missing;
}

}  // namespace dialog
