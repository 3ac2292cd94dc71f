// The status panel beside the field, drawn at the screen's own resolution
// in the look of the in-window boxes, the same on every desktop backend.
#include "platform/shared/status_panel.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "platform/shared/dialog.h"

namespace shared {
namespace {

// The boxes' olive and brass.
using dialog::BodyFill;
using dialog::BodyText;
using dialog::BorderColour;
using dialog::CaptionFill;
using dialog::CaptionText;
using dialog::OuterLine;
constexpr uint32_t PipEmpty = 0x46573A;
constexpr uint32_t PipFull = 0xF0C24E;
constexpr const char* Times = "×";

// The panel in its units: 128 wide, with a margin of 16 on either side in
// the bar; the rows of a game, or the heading alone in the editor.
constexpr int PanelWidth = 128;
constexpr int GameHeight = 396;
// Two players: a row of tanks and a block of upgrades more.
constexpr int TwoPlayersHeight = 644;
constexpr int EditorHeight = 88;
constexpr int UpgradeTop = 248;
constexpr int UpgradeRow = 36;

void Fill(const PanelPixels& out, int x, int y, int width, int height, uint32_t colour) {
    const int left = std::max(0, x), right = std::min(out.width, x + width);
    const int top = std::max(0, y), bottom = std::min(out.height, y + height);
    for (int row = top; row < bottom; ++row)
        std::fill_n(out.pixels + size_t(row) * size_t(out.pitch) + left, std::max(0, right - left),
                    colour);
}

// Draws in panel units: (0, 0) is the panel's corner.
struct Pen {
    const PanelPixels& out;
    int x0, y0;
    double unit;
    PanelSpriteDrawer drawSprite;
    int X(int units) const { return x0 + int(std::lround(units * unit)); }
    int Y(int units) const { return y0 + int(std::lround(units * unit)); }
    int U(int units) const { return std::max(1, int(std::lround(units * unit))); }
    void Box(int x, int y, int w, int h, uint32_t colour) const {
        Fill(out, X(x), Y(y), U(w), U(h), colour);
    }
    void Text(const std::string& text, int x, int baseline, int size, uint32_t colour) const {
        dialog::DrawLabel(out.pixels, out.width, out.height, out.pitch, text, X(x), Y(baseline),
                          U(size), colour);
    }
    void Centred(const std::string& text, int baseline, int size, uint32_t colour) const {
        const int width = dialog::LabelWidth(text, U(size));
        dialog::DrawLabel(out.pixels, out.width, out.height, out.pitch, text,
                          X(PanelWidth / 2) - width / 2, Y(baseline), U(size), colour);
    }
    void Sprite(const SheetSprite& sprite, int x, int y, int size) const {
        if (sprite.sheet && drawSprite)
            drawSprite(out, sprite, X(x), Y(y), U(size));
    }
};

// One row of a count: its label, the picture (drawn in layers) and the
// number after a times sign.
void CountRow(const Pen& pen, int top, const std::string& label, const SheetSprite* layers,
              int count, int32_t value) {
    pen.Text(label, 10, top + 14, 14, BodyText);
    for (int k = 0; k < count; ++k)
        pen.Sprite(layers[k], 8, top + 20, 44);
    pen.Text(std::string(Times) + std::to_string(value), 58, top + 54, 28, CaptionText);
}

// The four upgrades, one row each: the item's picture and a pip for each it
// can take, filled for those taken.
void UpgradeRows(const Pen& pen, int top, const SheetSprite* items, const int32_t* upgrades,
                 const int32_t* caps) {
    for (int u = 0; u < 4; ++u) {
        const int row = top + u * UpgradeRow;
        pen.Sprite(items[u], 6, row - 2, 34);
        for (int k = 0; k < std::min(caps[u], 4); ++k) {
            pen.Box(48 + k * 18, row + 9, 14, 14, PipEmpty);
            if (k < upgrades[u])
                pen.Box(50 + k * 18, row + 11, 10, 10, PipFull);
        }
    }
}

// A player's plate where it sits on a tank in play (22 of 64 pixels, 2 in),
// on the 44-unit tank of the count row at `top`.
void RowPlate(const Pen& pen, int top, const SheetSprite& plate) {
    pen.Sprite(plate, 9, top + 21, 15);
}

void DrawTwoPlayers(const Pen& pen, const StatusShown& shown) {
    CountRow(pen, 92, shown.player1Label, shown.playerTank, 2, shown.tanks);
    RowPlate(pen, 92, shown.playerMark[0]);
    CountRow(pen, 160, shown.player2Label, shown.playerTank, 2, shown.tanks2);
    RowPlate(pen, 160, shown.playerMark[1]);
    CountRow(pen, 228, shown.enemiesLabel, shown.enemyTank, 2, shown.enemies);
    pen.Box(10, 294, PanelWidth - 20, 1, BorderColour);
    pen.Text(shown.player1Label, 10, 312, 14, BodyText);
    UpgradeRows(pen, 320, shown.items, shown.upgrades, shown.upgradeCaps);
    pen.Text(shown.player2Label, 10, 482, 14, BodyText);
    UpgradeRows(pen, 490, shown.items, shown.upgrades2, shown.upgradeCaps);
}

// The hint under the rows (Esc opens the menu) takes a strip of its own.
constexpr int HintHeight = 30;

int UnitsHigh(const StatusShown& shown) {
    const int rows = !shown.game ? EditorHeight : shown.twoPlayers ? TwoPlayersHeight : GameHeight;
    return rows + (shown.hint.empty() ? 0 : HintHeight);
}

void DrawHint(const Pen& pen, const StatusShown& shown, int height) {
    if (shown.hint.empty())
        return;
    pen.Box(10, height - HintHeight, PanelWidth - 20, 1, BorderColour);
    pen.Centred(shown.hint, height - 10, 13, BodyText);
}

}  // namespace

StatusPanelPlace PlaceStatusPanel(const PixelRect& field, int outWidth, int outHeight,
                                  const StatusShown& shown) {
    StatusPanelPlace at;
    at.unitsHigh = UnitsHigh(shown);
    const int barX = field.x + field.width;
    const int bar = outWidth - barX;
    if (bar < StatusPanelRoom)
        return at;
    at.unit = std::max(1.0, std::min(double(bar) / StatusPanelRoom,
                                     double(field.height) / std::max(at.unitsHigh, GameHeight)));
    const int width = int(std::lround(PanelWidth * at.unit));
    const int height = int(std::lround(at.unitsHigh * at.unit));
    const int y = std::max(0, field.y);
    if (y + height > outHeight)
        return at;
    at.fits = true;
    at.rect = {barX + (bar - width) / 2, y, width, height};
    return at;
}

void DrawStatusPanel(const PanelPixels& out, int originX, int originY,
                     const StatusPanelPlace& place, const StatusShown& shown,
                     PanelSpriteDrawer drawSprite) {
    if (!place.fits)
        return;
    // Whatever the output holds around the panel, nothing past its edges.
    const int left = std::max(0, place.rect.x - originX);
    const int top = std::max(0, place.rect.y - originY);
    const int right = std::min(out.width, place.rect.x - originX + place.rect.width);
    const int bottom = std::min(out.height, place.rect.y - originY + place.rect.height);
    if (left >= right || top >= bottom)
        return;
    const PanelPixels clipped{out.pixels + size_t(top) * size_t(out.pitch) + left, right - left,
                              bottom - top, out.pitch};
    const Pen pen{clipped, place.rect.x - originX - left, place.rect.y - originY - top, place.unit,
                  drawSprite};
    const int height = place.unitsHigh;
    pen.Box(0, 0, PanelWidth, height, OuterLine);
    pen.Box(1, 1, PanelWidth - 2, height - 2, BorderColour);
    pen.Box(3, 3, PanelWidth - 6, height - 6, BodyFill);
    pen.Box(3, 3, PanelWidth - 6, 24, CaptionFill);
    pen.Centred(shown.heading, 21, 16, CaptionText);
    pen.Centred(std::to_string(shown.level), 74, 44, CaptionText);
    DrawHint(pen, shown, height);
    if (!shown.game)
        return;
    pen.Box(10, 86, PanelWidth - 20, 1, BorderColour);
    if (shown.twoPlayers) {
        DrawTwoPlayers(pen, shown);
        return;
    }
    CountRow(pen, 92, shown.tanksLabel, shown.playerTank, 2, shown.tanks);
    CountRow(pen, 160, shown.enemiesLabel, shown.enemyTank, 2, shown.enemies);
    pen.Box(10, 226, PanelWidth - 20, 1, BorderColour);
    pen.Text(shown.upgradesLabel, 10, 244, 14, BodyText);
    UpgradeRows(pen, UpgradeTop + 4, shown.items, shown.upgrades, shown.upgradeCaps);
}

std::string StatusTraceLine(const StatusShown& shown, bool panel, const std::string& title) {
    if (panel && !shown.game)
        return "panel editor level=" + std::to_string(shown.level);
    if (!panel)
        return title.empty() ? std::string("none") : "title " + title;
    char line[200];
    std::snprintf(line, sizeof line, "panel level=%d tanks=%d enemies=%d upgrades=%d/%d/%d/%d",
                  int(shown.level), int(shown.tanks), int(shown.enemies), int(shown.upgrades[0]),
                  int(shown.upgrades[1]), int(shown.upgrades[2]), int(shown.upgrades[3]));
    if (shown.twoPlayers) {
        const size_t at = std::strlen(line);
        std::snprintf(line + at, sizeof line - at, " tanks2=%d upgrades2=%d/%d/%d/%d",
                      int(shown.tanks2), int(shown.upgrades2[0]), int(shown.upgrades2[1]),
                      int(shown.upgrades2[2]), int(shown.upgrades2[3]));
    }
    return line;
}

StatusPlacing PlaceStatus(host::StatusPlace place, const StatusShown& shown, bool panelFits) {
    const bool side = place == host::StatusAuto || place == host::StatusSide;
    StatusPlacing placing;
    placing.panel = shown.shown && side && panelFits;
    placing.title =
        shown.shown && (place == host::StatusTitle || (place == host::StatusAuto && !panelFits));
    return placing;
}

}  // namespace shared
