// The menu's picture: the frame it opened over, dimmed, with a panel in the
// boxes' colours and glyphs, its caption, rows (the one in focus lit), and a
// note and hint under them. Drawn into a surface of its own and copied to
// the window whole, so the back buffer and the frames' layers stay the
// game's; the frame it covered is copied back when it closes.
#include <algorithm>

#include "levels/level_grid.h"
#include "render/draw.h"
#include "render/sheets.h"
#include "shell/menu.h"
#include "texts/menu_texts.h"

namespace {

// The boxes' colours: the olive and brass of the game's tanks.
constexpr uint32_t OuterLine = 0x0B0E08;
constexpr uint32_t BorderColour = 0xC9A84C;
constexpr uint32_t CaptionFill = 0x3B4A2F;
constexpr uint32_t CaptionText = 0xF4ECCF;
constexpr uint32_t BodyFill = 0x1F261A;
constexpr uint32_t BodyText = 0xE8E2CC;
constexpr uint32_t FocusFill = 0x46573A;
constexpr uint32_t FocusRing = 0xF0C24E;
constexpr uint32_t ValueText = 0xF0C24E;
constexpr uint32_t HintText = 0xA9B08F;
constexpr uint32_t NoteText = 0xFFB070;

// The panel's measures in field pixels.
constexpr int32_t PanelWidth = 640;
constexpr int32_t Border = 3;
constexpr int32_t CaptionHeight = 40;
constexpr int32_t RowHeight = 30;
constexpr int32_t FooterHeight = 64;
constexpr int32_t TextPixels = 18;
constexpr int32_t CaptionPixels = 22;
constexpr int32_t SmallPixels = 15;
constexpr int32_t Inset = 18;

platform::Surface Under = nullptr;
platform::Surface Canvas = nullptr;

struct Panel {
    int32_t x, y, width, height, firstRowY, rows;
};

Panel PanelFor(int32_t rowCount) {
    const int32_t rows = std::min(rowCount, MenuRowsShown);
    const int32_t height = 2 * Border + CaptionHeight + 8 + rows * RowHeight + FooterHeight;
    const int32_t x = (FieldWidth - PanelWidth) / 2, y = (FieldHeight - height) / 2;
    return {x, y, PanelWidth, height, y + Border + CaptionHeight + 4, rows};
}

void Fill(int32_t x, int32_t y, int32_t w, int32_t h, uint32_t colour) {
    platform::FillSurfaceRect(Canvas, x, y, w, h, colour);
}

void Frame(int32_t x, int32_t y, int32_t w, int32_t h, int32_t t, uint32_t colour) {
    Fill(x, y, w, t, colour);
    Fill(x, y + h - t, w, t, colour);
    Fill(x, y, t, h, colour);
    Fill(x + w - t, y, t, h, colour);
}

// Text cut with "…" to fit `width`.
std::string Fitted(std::string text, int32_t pixels, int32_t width) {
    if (platform::TextLineWidth(text, pixels) <= width)
        return text;
    while (!text.empty() && platform::TextLineWidth(text + "…", pixels) > width) {
        text.pop_back();
        // Never cut a character of several bytes in two.
        while (!text.empty() && (static_cast<unsigned char>(text.back()) & 0xC0) == 0x80)
            text.pop_back();
        if (!text.empty() && static_cast<unsigned char>(text.back()) >= 0xC0)
            text.pop_back();
    }
    return text + "…";
}

// Text being typed, cut at its start instead, so that its end shows.
std::string FittedEnd(std::string text, int32_t pixels, int32_t width) {
    if (platform::TextLineWidth(text, pixels) <= width)
        return text;
    while (!text.empty() && platform::TextLineWidth("…" + text, pixels) > width) {
        text.erase(0, 1);
        while (!text.empty() && (static_cast<unsigned char>(text.front()) & 0xC0) == 0x80)
            text.erase(0, 1);
    }
    return "…" + text;
}

void DrawRow(const Panel& panel, const MenuEntry& entry, int32_t y, bool focused) {
    const int32_t x = panel.x + Border + 6, w = panel.width - 2 * Border - 12;
    if (focused) {
        Fill(x, y, w, RowHeight - 2, FocusFill);
        Frame(x, y, w, RowHeight - 2, 2, FocusRing);
    }
    const int32_t baseline = y + RowHeight - 9;
    const int32_t valueWidth =
        entry.value.empty() ? 0 : platform::TextLineWidth(entry.value, TextPixels);
    const int32_t room = w - 2 * Inset;
    const std::string value = focused && Menu.typing >= 0
                                  ? FittedEnd(entry.value, TextPixels, room / 2)
                                  : Fitted(entry.value, TextPixels, room / 2);
    const int32_t shownValue = std::min(valueWidth, room / 2);
    platform::DrawTextLine(Canvas, Fitted(entry.label, TextPixels, room - shownValue - 12),
                           x + Inset, baseline, TextPixels, BodyText);
    if (!value.empty())
        platform::DrawTextLine(Canvas, value, x + w - Inset - shownValue, baseline, TextPixels,
                               ValueText);
}

void DrawFooter(const Panel& panel) {
    const int32_t x = panel.x + Border + Inset, w = panel.width - 2 * Border - 2 * Inset;
    const int32_t y = panel.firstRowY + panel.rows * RowHeight + 4;
    if (!Menu.note.empty())
        platform::DrawTextLine(Canvas, Fitted(Menu.note, SmallPixels + 1, w), x, y + 22,
                               SmallPixels + 1, NoteText);
    const MenuTextId hint = Menu.typing == MenuTypingJoinCode  ? MenuJoinHint
                            : Menu.typing >= 0                 ? MenuNameHint
                            : Menu.screen == MenuOptionsScreen ? OptionsHint
                                                               : MenuKeysHint;
    platform::DrawTextLine(Canvas, Fitted(MenuText(hint), SmallPixels, w), x, y + 48, SmallPixels,
                           HintText);
}

// Where rows are hidden above or below those shown, a mark at the caption's
// right says so.
void DrawScrollMarks(const Panel& panel, int32_t count) {
    std::string marks;
    if (Menu.top > 0)
        marks += "▲";
    if (Menu.top + panel.rows < count)
        marks += "▼";
    if (marks.empty())
        return;
    const int32_t width = platform::TextLineWidth(marks, TextPixels);
    platform::DrawTextLine(Canvas, marks, panel.x + panel.width - Border - Inset - width,
                           panel.y + Border + CaptionHeight - 13, TextPixels, ValueText);
}

}  // namespace

void KeepPictureUnderMenu() {
    if (!DrawingEnabled || !WindowSurface)
        return;
    if (!Under) {
        Under = platform::CreateCompatibleSurface(WindowSurface, FieldWidth, FieldHeight);
        Canvas = platform::CreateCompatibleSurface(WindowSurface, FieldWidth, FieldHeight);
    }
    platform::BitBlt(Under, 0, 0, FieldWidth, FieldHeight, WindowSurface, 0, 0, platform::SRCCOPY);
}

void DrawMenu() {
    if (!DrawingEnabled || !Under || !MenuOpen())
        return;
    const std::vector<MenuEntry> rows = MenuEntries();
    const Panel panel = PanelFor(int32_t(rows.size()));
    platform::BitBlt(Canvas, 0, 0, FieldWidth, FieldHeight, Under, 0, 0, platform::SRCCOPY);
    platform::DimSurfaceRect(Canvas, 0, 0, FieldWidth, FieldHeight);
    Fill(panel.x, panel.y, panel.width, panel.height, BodyFill);
    Frame(panel.x, panel.y, panel.width, panel.height, 1, OuterLine);
    Frame(panel.x + 1, panel.y + 1, panel.width - 2, panel.height - 2, Border - 1, BorderColour);
    Fill(panel.x + Border, panel.y + Border, panel.width - 2 * Border, CaptionHeight, CaptionFill);
    platform::DrawTextLine(Canvas, MenuCaptionText(), panel.x + Border + Inset,
                           panel.y + Border + CaptionHeight - 12, CaptionPixels, CaptionText);
    for (int32_t i = 0; i < panel.rows && Menu.top + i < int32_t(rows.size()); ++i) {
        const int32_t index = Menu.top + i;
        DrawRow(panel, rows[index], panel.firstRowY + i * RowHeight, index == Menu.focus);
    }
    DrawFooter(panel);
    DrawScrollMarks(panel, int32_t(rows.size()));
    // The whole picture, as a frame of the game is: no hint of what changed.
    platform::BitBlt(WindowSurface, 0, 0, FieldWidth, FieldHeight, Canvas, 0, 0, platform::SRCCOPY);
}

void RestorePictureUnderMenu() {
    if (!DrawingEnabled || !Under)
        return;
    platform::BitBlt(Canvas, 0, 0, FieldWidth, FieldHeight, Under, 0, 0, platform::SRCCOPY);
    platform::BitBlt(WindowSurface, 0, 0, FieldWidth, FieldHeight, Canvas, 0, 0, platform::SRCCOPY);
}

int32_t MenuRowAt(int32_t x, int32_t y) {
    const int32_t count = int32_t(MenuEntries().size());
    const Panel panel = PanelFor(count);
    if (x < panel.x + Border || x >= panel.x + panel.width - Border || y < panel.firstRowY)
        return -1;
    const int32_t shown = (y - panel.firstRowY) / RowHeight;
    if (shown >= panel.rows || Menu.top + shown >= count)
        return -1;
    return Menu.top + shown;
}

void ForgetMenuPicture() {
    Under = nullptr;
    Canvas = nullptr;
}
