// The in-window box's pixels: its frame, caption, text in the built-in
// glyphs, warning sign and buttons, drawn into 32-bit 0x00RRGGBB pixels.
#include <algorithm>
#include <cmath>

#include "platform/shared/dialog.h"
#include "platform/shared/dialog_parts.h"

namespace dialog {
namespace {

// The box's own colours beside those of dialog.h.
constexpr uint32_t ButtonFill = 0x46573A;
constexpr uint32_t ButtonHover = 0x5F744B;
constexpr uint32_t ButtonPressed = 0x2C3725;
constexpr uint32_t ButtonEdge = 0x8C9A70;
constexpr uint32_t FocusRing = 0xF0C24E;
constexpr uint32_t WarningFill = 0xE6B33A;
constexpr const char* GameName = "Morvask";

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

}  // namespace

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
    // Most of the game's boxes have no caption; an empty bar looks broken,
    // so it carries the game's name instead (the box's own texts stay).
    DrawText(canvas, box.caption.empty() ? std::string(GameName) : box.caption,
             layout.captionBar.x + Scaled(12, scale), captionBaseline, pixelsOfText, CaptionText);

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

namespace {

int BadgeTextPixels(double scale) {
    return std::max(16, int(std::lround(16 * scale)));
}

}  // namespace

Rect BadgeRect(const std::string& textUtf8, int centreX, int top, double scale) {
    const int pixels = BadgeTextPixels(scale);
    const int width = TextWidth(textUtf8, pixels) + 2 * Scaled(10, scale);
    const int height = pixels + 2 * Scaled(6, scale);
    return {centreX - width / 2, top, width, height};
}

void DrawBadge(const std::string& textUtf8, const Rect& where, double scale, uint32_t* pixels,
               int width, int height, int pitch) {
    const Canvas canvas{pixels, width, height, pitch, 0, 0};
    const int pixelsOfText = BadgeTextPixels(scale);
    FillRect(canvas, where, BodyFill);
    FrameRect(canvas, where, Scaled(Border, scale), BorderColour);
    FrameRect(canvas, {where.x - 1, where.y - 1, where.width + 2, where.height + 2}, 1, OuterLine);
    const int baseline = where.y + (where.height - pixelsOfText) / 2 + pixelsOfText * 7 / 8;
    DrawText(canvas, textUtf8, where.x + Scaled(10, scale), baseline, pixelsOfText, CaptionText);
}

void DrawLabel(uint32_t* pixels, int width, int height, int pitch, const std::string& text, int x,
               int baseline, int fontPixels, uint32_t colour) {
    DrawText(Canvas{pixels, width, height, pitch, 0, 0}, text, x, baseline, fontPixels, colour);
}

int LabelWidth(const std::string& text, int fontPixels) {
    return TextWidth(text, fontPixels);
}

void Dim(uint32_t* pixels, size_t count) {
    for (size_t i = 0; i < count; ++i)
        pixels[i] = pixels[i] >> 1 & 0x7F7F7F;
}

}  // namespace dialog
