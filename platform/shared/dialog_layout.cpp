// The in-window box's layout: where its caption, text, icon and buttons go
// at a scale, the text made smaller when the box would not fit otherwise.
#include <algorithm>
#include <cmath>

#include "platform/platform.h"
#include "platform/shared/dialog.h"
#include "platform/shared/dialog_parts.h"

namespace dialog {
namespace {

// The buttons' labels, as the game's language gives them.
struct ButtonLabels {
    const char* ok = "确定";
    const char* yes = "是";
    const char* no = "否";
};
ButtonLabels Labels;

// Sizes in field pixels, multiplied by the scale.
constexpr int TextPixels = 16;
constexpr int SmallestTextPixels = 7;
constexpr int Padding = 18;
constexpr int ButtonWidth = 84;
constexpr int ButtonHeight = 28;
constexpr int ButtonGap = 14;
constexpr int IconSize = 32;
constexpr int IconGap = 14;
constexpr int MinimumWidth = 260;
constexpr int AreaMargin = 8;

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

int Scaled(int fieldPixels, double scale) {
    return std::max(1, int(std::lround(fieldPixels * scale)));
}

void SetButtonLabels(const char* ok, const char* yes, const char* no) {
    Labels = {ok, yes, no};
}

Box OpenBox(const char* textUtf8, const char* captionUtf8, uint32_t type) {
    Box box;
    box.okLabel = Labels.ok;
    box.yesLabel = Labels.yes;
    box.noLabel = Labels.no;
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

}  // namespace dialog
