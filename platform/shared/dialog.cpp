// The in-window message box: layout, drawing with the built-in glyphs, and
// the rules of its keys and pointer. No backend code: the SDL and web backends
// run the modal loop around it.
#include "platform/shared/dialog.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <utility>

#include "platform/platform.h"
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

// The box's look: the olive and brass of the game's tanks.
constexpr uint32_t OuterLine = 0x0B0E08;
constexpr uint32_t BorderColour = 0xC9A84C;
constexpr uint32_t CaptionFill = 0x3B4A2F;
constexpr uint32_t CaptionText = 0xF4ECCF;
constexpr uint32_t BodyFill = 0x1F261A;
constexpr uint32_t BodyText = 0xE8E2CC;
constexpr uint32_t ButtonFill = 0x46573A;
constexpr uint32_t ButtonHover = 0x5F744B;
constexpr uint32_t ButtonPressed = 0x2C3725;
constexpr uint32_t ButtonEdge = 0x8C9A70;
constexpr uint32_t FocusRing = 0xF0C24E;
constexpr uint32_t WarningFill = 0xE6B33A;

// Sizes in field pixels, multiplied by the scale.
constexpr int TextPixels = 16;
constexpr int SmallestTextPixels = 7;
constexpr int Border = 2;
constexpr int Padding = 18;
constexpr int ButtonWidth = 84;
constexpr int ButtonHeight = 28;
constexpr int ButtonGap = 14;
constexpr int IconSize = 32;
constexpr int IconGap = 14;
constexpr int MinimumWidth = 260;
constexpr int AreaMargin = 8;

// ---- Text ----------------------------------------------------------------

// The code points of UTF-8 text; a malformed byte stands for itself.
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

// A glyph at the size it is drawn: its coverage and metrics in output pixels.
struct SizedGlyph {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    int advance = 0;  // 1/64 pixel
    const uint8_t* coverage = nullptr;
};

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

// The glyph of a character at a size; null when the atlas lacks it.
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

// The width of a character in 1/64 pixel; a missing glyph is drawn as an
// empty box one em wide.
int AdvanceOf(uint32_t code, int pixels) {
    const SizedGlyph* glyph = GlyphAt(code, pixels);
    return glyph ? glyph->advance : pixels * 64;
}

int TextWidth(const std::vector<uint32_t>& codes, size_t from, size_t to, int pixels) {
    int width = 0;
    for (size_t i = from; i < to; ++i)
        width += AdvanceOf(codes[i], pixels);
    return (width + 63) / 64;
}

int TextWidth(const std::string& text, int pixels) {
    std::vector<uint32_t> codes = CodePoints(text);
    return TextWidth(codes, 0, codes.size(), pixels);
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

// Splits the text into lines at its line feeds, and wraps a line that is
// wider than `maxWidth` after a blank or between ideographs.
std::vector<std::string> WrapText(const std::string& text, int pixels, int maxWidth) {
    std::vector<std::string> lines;
    std::vector<uint32_t> codes = CodePoints(text);
    size_t start = 0;
    while (true) {
        size_t end = start;
        while (end < codes.size() && codes[end] != '\n')
            ++end;
        size_t lineStart = start;
        while (TextWidth(codes, lineStart, end, pixels) > maxWidth) {
            // The longest start of the line that fits, cut where a line may
            // break; a single word wider than the box is cut anywhere.
            size_t fits = lineStart + 1;
            while (fits < end && TextWidth(codes, lineStart, fits + 1, pixels) <= maxWidth)
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

// ---- Pixels --------------------------------------------------------------

struct Canvas {
    uint32_t* pixels;
    int width;
    int height;
    int pitch;
    int originX;
    int originY;
};

void FillRect(const Canvas& canvas, Rect rect, uint32_t colour) {
    int x0 = std::max(rect.x - canvas.originX, 0);
    int y0 = std::max(rect.y - canvas.originY, 0);
    int x1 = std::min(rect.x + rect.width - canvas.originX, canvas.width);
    int y1 = std::min(rect.y + rect.height - canvas.originY, canvas.height);
    if (x0 >= x1)
        return;
    for (int y = y0; y < y1; ++y)
        std::fill(canvas.pixels + size_t(y) * size_t(canvas.pitch) + x0,
                  canvas.pixels + size_t(y) * size_t(canvas.pitch) + x1, colour);
}

// A frame `thickness` pixels wide just inside `rect`.
void FrameRect(const Canvas& canvas, Rect rect, int thickness, uint32_t colour) {
    FillRect(canvas, {rect.x, rect.y, rect.width, thickness}, colour);
    FillRect(canvas, {rect.x, rect.y + rect.height - thickness, rect.width, thickness}, colour);
    FillRect(canvas, {rect.x, rect.y, thickness, rect.height}, colour);
    FillRect(canvas, {rect.x + rect.width - thickness, rect.y, thickness, rect.height}, colour);
}

uint32_t Blend(uint32_t under, uint32_t over, int alpha) {
    uint32_t result = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        int a = int(under >> shift & 0xFF), b = int(over >> shift & 0xFF);
        result |= uint32_t(a + ((b - a) * alpha + 127) / 255) << shift;
    }
    return result;
}

void BlendPixel(const Canvas& canvas, int x, int y, uint32_t colour, int alpha) {
    x -= canvas.originX;
    y -= canvas.originY;
    if (alpha <= 0 || x < 0 || y < 0 || x >= canvas.width || y >= canvas.height)
        return;
    uint32_t& pixel = canvas.pixels[size_t(y) * size_t(canvas.pitch) + size_t(x)];
    pixel = Blend(pixel, colour, std::min(alpha, 255));
}

// Draws one line of text with its baseline at y; returns the pen's end.
int DrawText(const Canvas& canvas, const std::string& text, int x, int baseline, int pixels,
             uint32_t colour) {
    int pen = x * 64;
    for (uint32_t code : CodePoints(text)) {
        const SizedGlyph* glyph = GlyphAt(code, pixels);
        int originX = (pen + 32) / 64;
        if (!glyph) {
            // Never for the program's own texts; visible rather than blank.
            FrameRect(canvas, {originX + 1, baseline - pixels * 3 / 4, pixels - 2, pixels * 3 / 4},
                      1, colour);
            pen += pixels * 64;
            continue;
        }
        for (int row = 0; row < glyph->height; ++row)
            for (int column = 0; column < glyph->width; ++column)
                BlendPixel(canvas, originX + glyph->left + column, baseline + glyph->top + row,
                           colour, glyph->coverage[size_t(row) * size_t(glyph->width) + column]);
        pen += glyph->advance;
    }
    return (pen + 63) / 64;
}

// The warning sign: a rounded-off triangle with an exclamation mark, each
// pixel's coverage sampled 4 x 4 times.
void DrawWarningIcon(const Canvas& canvas, Rect icon) {
    double w = icon.width, h = icon.height;
    auto insideTriangle = [w, h](double x, double y) {
        double top = h * 0.06, bottom = h * 0.94;
        if (y < top || y > bottom)
            return false;
        double half = (y - top) / (bottom - top) * w * 0.5;
        return std::abs(x - w * 0.5) <= half;
    };
    auto insideMark = [w, h](double x, double y) {
        double stem = w * 0.06;
        bool bar = std::abs(x - w * 0.5) <= stem && y >= h * 0.36 && y <= h * 0.70;
        double dx = x - w * 0.5, dy = y - h * 0.80;
        bool dot = dx * dx + dy * dy <= (stem * 1.2) * (stem * 1.2);
        return bar || dot;
    };
    for (int y = 0; y < icon.height; ++y)
        for (int x = 0; x < icon.width; ++x) {
            int fill = 0, mark = 0;
            for (int sy = 0; sy < 4; ++sy)
                for (int sx = 0; sx < 4; ++sx) {
                    double px = x + (sx + 0.5) / 4, py = y + (sy + 0.5) / 4;
                    if (insideTriangle(px, py))
                        ++(insideMark(px, py) ? mark : fill);
                }
            BlendPixel(canvas, icon.x + x, icon.y + y, WarningFill, fill * 255 / 16);
            BlendPixel(canvas, icon.x + x, icon.y + y, OuterLine, mark * 255 / 16);
        }
}

int Scaled(int fieldPixels, double scale) {
    return std::max(1, int(std::lround(fieldPixels * scale)));
}

bool Inside(Rect rect, int x, int y) {
    return x >= rect.x && y >= rect.y && x < rect.x + rect.width && y < rect.y + rect.height;
}

int ButtonAt(const Layout& layout, int x, int y) {
    for (int b = 0; b < layout.buttonCount; ++b)
        if (Inside(layout.buttons[b], x, y))
            return b;
    return -1;
}

int AnswerOf(const Box& box, int button) {
    if (!box.yesNo)
        return platform::IDOK;
    return button == 0 ? platform::IDYES : platform::IDNO;
}

// Lays the box out with the text at `pixels`; the caller checks the size.
Layout ArrangeAt(const Box& box, Rect area, double scale, int pixels) {
    Layout layout;
    layout.scale = scale;
    layout.fontPixels = pixels;
    layout.lineHeight = pixels + std::max(1, pixels / 4);
    const int border = Scaled(Border, scale), padding = Scaled(Padding, scale);
    const int iconSpace = box.warning ? Scaled(IconSize + IconGap, scale) : 0;
    const int captionHeight = pixels + Scaled(12, scale);
    const int buttonHeight = std::max(Scaled(ButtonHeight, scale), pixels + Scaled(10, scale));
    const int buttonGap = Scaled(ButtonGap, scale);
    layout.buttonCount = box.yesNo ? 2 : 1;
    const std::string* labels[2] = {box.yesNo ? &box.yesLabel : &box.okLabel, &box.noLabel};
    int buttonWidth = Scaled(ButtonWidth, scale);
    for (int b = 0; b < layout.buttonCount; ++b)
        buttonWidth = std::max(buttonWidth, TextWidth(*labels[b], pixels) + Scaled(28, scale));

    const int margin = Scaled(AreaMargin, scale);
    const int maxTextWidth = area.width - 2 * margin - 2 * border - 2 * padding - iconSpace;
    layout.lines = WrapText(box.text, pixels, std::max(maxTextWidth, pixels * 2));
    int textWidth = 0;
    for (const std::string& line : layout.lines)
        textWidth = std::max(textWidth, TextWidth(line, pixels));
    const int textHeight = int(layout.lines.size()) * layout.lineHeight;
    const int buttonsWidth =
        layout.buttonCount * buttonWidth + (layout.buttonCount - 1) * buttonGap;
    const int captionWidth = TextWidth(box.caption, pixels) + Scaled(24, scale);

    int inner = std::max({textWidth + iconSpace, buttonsWidth, captionWidth,
                          Scaled(MinimumWidth, scale) - 2 * border - 2 * padding});
    int bodyHeight =
        std::max(textHeight, box.warning ? Scaled(IconSize, scale) : 0) + buttonHeight + padding;
    int width = inner + 2 * padding + 2 * border;
    int height = border + captionHeight + padding + bodyHeight + padding + border;
    layout.frame = {area.x + (area.width - width) / 2, area.y + (area.height - height) / 2, width,
                    height};
    const Rect& f = layout.frame;
    layout.captionBar = {f.x + border, f.y + border, f.width - 2 * border, captionHeight};
    int bodyTop = layout.captionBar.y + captionHeight + padding;
    if (box.warning)
        layout.icon = {f.x + border + padding, bodyTop, Scaled(IconSize, scale),
                       Scaled(IconSize, scale)};
    layout.textX = f.x + border + padding + iconSpace;
    layout.textY = bodyTop;
    if (box.warning && textHeight < layout.icon.height)
        layout.textY = bodyTop + (layout.icon.height - textHeight) / 2;
    int buttonsTop = f.y + f.height - border - padding - buttonHeight;
    int buttonsLeft = f.x + (f.width - buttonsWidth) / 2;
    for (int b = 0; b < layout.buttonCount; ++b)
        layout.buttons[b] = {buttonsLeft + b * (buttonWidth + buttonGap), buttonsTop, buttonWidth,
                             buttonHeight};
    return layout;
}

}  // namespace

Box OpenBox(const char* textUtf8, const char* captionUtf8, uint32_t type) {
    Box box;
    box.text = textUtf8 ? textUtf8 : "";
    box.caption = captionUtf8 ? captionUtf8 : "";
    box.yesNo = (type & 0xF) == platform::MB_YESNO;
    box.warning = (type & 0xF0) == platform::MB_ICONWARNING;
    return box;
}

Layout Arrange(const Box& box, Rect area, double scale) {
    if (scale <= 0)
        scale = 1;
    int pixels = std::max(SmallestTextPixels, int(std::lround(TextPixels * scale)));
    Layout layout = ArrangeAt(box, area, scale, pixels);
    const int margin = Scaled(AreaMargin, scale);
    while (pixels > SmallestTextPixels && (layout.frame.height > area.height - 2 * margin ||
                                           layout.frame.width > area.width - 2 * margin)) {
        --pixels;
        layout = ArrangeAt(box, area, scale, pixels);
    }
    return layout;
}

void Draw(const Box& box, const Layout& layout, uint32_t* pixels, int width, int height, int pitch,
          int originX, int originY) {
    const Canvas canvas{pixels, width, height, pitch, originX, originY};
    const double scale = layout.scale;
    const int border = Scaled(Border, scale);
    const Rect& f = layout.frame;
    FillRect(canvas, f, BodyFill);
    FrameRect(canvas, f, border, BorderColour);
    FrameRect(canvas, {f.x - 1, f.y - 1, f.width + 2, f.height + 2}, 1, OuterLine);
    FillRect(canvas, layout.captionBar, CaptionFill);
    FillRect(canvas,
             {layout.captionBar.x, layout.captionBar.y + layout.captionBar.height - border,
              layout.captionBar.width, border},
             BorderColour);

    const int pixelsOfText = layout.fontPixels;
    const int captionBaseline = layout.captionBar.y +
                                (layout.captionBar.height - border - pixelsOfText) / 2 +
                                pixelsOfText * 7 / 8;
    DrawText(canvas, box.caption, layout.captionBar.x + Scaled(12, scale), captionBaseline,
             pixelsOfText, CaptionText);

    if (box.warning)
        DrawWarningIcon(canvas, layout.icon);
    const int lead = (layout.lineHeight - pixelsOfText) / 2 + pixelsOfText * 7 / 8;
    for (size_t i = 0; i < layout.lines.size(); ++i)
        DrawText(canvas, layout.lines[i], layout.textX,
                 layout.textY + int(i) * layout.lineHeight + lead, pixelsOfText, BodyText);

    const std::string* labels[2] = {box.yesNo ? &box.yesLabel : &box.okLabel, &box.noLabel};
    for (int b = 0; b < layout.buttonCount; ++b) {
        Rect button = layout.buttons[b];
        uint32_t fill = box.pressed == b && box.hover == b ? ButtonPressed
                        : box.hover == b                   ? ButtonHover
                                                           : ButtonFill;
        FillRect(canvas, button, fill);
        FrameRect(canvas, button, std::max(1, border / 2), ButtonEdge);
        if (box.focus == b) {
            int gap = Scaled(3, scale);
            FrameRect(canvas,
                      {button.x - gap - border, button.y - gap - border,
                       button.width + 2 * (gap + border), button.height + 2 * (gap + border)},
                      border, FocusRing);
        }
        int labelWidth = TextWidth(*labels[b], pixelsOfText);
        int baseline = button.y + (button.height - pixelsOfText) / 2 + pixelsOfText * 7 / 8;
        DrawText(canvas, *labels[b], button.x + (button.width - labelWidth) / 2, baseline,
                 pixelsOfText, CaptionText);
    }
}

void Dim(uint32_t* pixels, size_t count) {
    for (size_t i = 0; i < count; ++i)
        pixels[i] = pixels[i] >> 1 & 0x7F7F7F;
}

int PressKey(Box& box, Key key) {
    const int buttons = box.yesNo ? 2 : 1;
    switch (key) {
        case Key::Enter:
        case Key::Space:
            return AnswerOf(box, box.focus);
        case Key::Escape:
            return AnswerOfClose(box);
        case Key::Yes:
            return box.yesNo ? platform::IDYES : 0;
        case Key::No:
            return box.yesNo ? platform::IDNO : 0;
        case Key::Tab:
            box.focus = (box.focus + 1) % buttons;
            return 0;
        case Key::BackTab:
            box.focus = (box.focus + buttons - 1) % buttons;
            return 0;
        case Key::Left:
            box.focus = std::max(0, box.focus - 1);
            return 0;
        case Key::Right:
            box.focus = std::min(buttons - 1, box.focus + 1);
            return 0;
    }
    return 0;
}

bool MovePointer(Box& box, const Layout& layout, int x, int y) {
    int over = ButtonAt(layout, x, y);
    if (over == box.hover)
        return false;
    box.hover = over;
    return true;
}

int PressPointer(Box& box, const Layout& layout, int x, int y) {
    box.hover = ButtonAt(layout, x, y);
    box.pressed = box.hover;
    if (box.pressed >= 0)
        box.focus = box.pressed;
    return 0;
}

int ReleasePointer(Box& box, const Layout& layout, int x, int y) {
    int over = ButtonAt(layout, x, y);
    int started = box.pressed;
    box.pressed = -1;
    box.hover = over;
    return started >= 0 && started == over ? AnswerOf(box, over) : 0;
}

int AnswerOfClose(const Box& box) {
    return box.yesNo ? platform::IDNO : platform::IDOK;
}

std::vector<uint32_t> MissingGlyphs(const std::string& textUtf8) {
    std::vector<uint32_t> missing;
    for (uint32_t code : CodePoints(textUtf8))
        if (code != '\n' && !glyphs::FindGlyph(glyphs::Strikes[0], code))
            missing.push_back(code);
    return missing;
}

}  // namespace dialog
