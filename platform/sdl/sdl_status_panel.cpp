// The status panel in the black bar beside the field, drawn at the screen's
// own resolution in the look of the in-window boxes with the game's own
// sprites, and the title's compact form where the bar has no room for it.
#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/sdl/sdl_desktop.h"
#include "platform/sdl/sdl_status.h"
#include "platform/shared/dialog.h"
#include "platform/shared/surfaces.h"

#if defined(MORVASK_HAVE_X11)
#include <SDL_syswm.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#endif

namespace sdl {
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

struct Out {
    uint32_t* pixels;
    int width, height, pitch;
};

struct StatusState {
    StatusPlace place = StatusPlace::Off;
    void (*source)(StatusShown& shown) = nullptr;
    std::FILE* trace = nullptr;
    std::string traced;
    StatusShown drawn;
    SDL_Rect drawnAt{};  // empty while no panel shows
    std::string titleSuffix;
};
StatusState Shown;

void Fill(const Out& out, int x, int y, int width, int height, uint32_t colour) {
    const int left = std::max(0, x), right = std::min(out.width, x + width);
    const int top = std::max(0, y), bottom = std::min(out.height, y + height);
    for (int row = top; row < bottom; ++row)
        std::fill_n(out.pixels + size_t(row) * size_t(out.pitch) + left, std::max(0, right - left),
                    colour);
}

// A sheet sprite scaled to size x size at (x, y), nearest neighbour, over
// what is there as the game draws it: (under | mask) & image.
void Sprite(const Out& out, const SheetSprite& sprite, int x, int y, int size) {
    const platform::SurfaceData* sheet = sprite.sheet;
    if (!sheet || size <= 0 || sprite.width <= 0 ||
        size_t(sprite.y + 2 * sprite.height) * size_t(sheet->width) > sheet->pixels.size() ||
        sprite.x + sprite.width > sheet->width)
        return;
    // Only the bands of the sprite: the tank sheet is decoded as drawn.
    software::ReadyRows(const_cast<platform::Surface>(sheet), sprite.y,
                        sprite.y + 2 * sprite.height);
    for (int row = std::max(0, -y); row < size && y + row < out.height; ++row) {
        const int sy = sprite.y + row * sprite.height / size;
        const uint32_t* image = sheet->pixels.data() + size_t(sy) * size_t(sheet->width);
        const uint32_t* mask = image + size_t(sprite.height) * size_t(sheet->width);
        uint32_t* line = out.pixels + size_t(y + row) * size_t(out.pitch);
        for (int column = std::max(0, -x); column < size && x + column < out.width; ++column) {
            const int sx = sprite.x + column * sprite.width / size;
            uint32_t& pixel = line[x + column];
            pixel = ((pixel | mask[sx]) & image[sx]) & 0xFFFFFF;
        }
    }
}

// Where the panel goes: in the bar right of the field, as large as the bar
// allows up to the field's height (a game's panel), never under 1 unit a
// pixel.
struct PanelPlace {
    bool fits = false;
    int x = 0, y = 0;
    double unit = 1.0;  // output pixels a unit
};

PanelPlace PlaceOf(const View& view, const Out& out, int height) {
    PanelPlace at;
    const int barX = view.field.x + view.field.w;
    const int bar = out.width - barX;
    if (bar < StatusPanelRoom)
        return at;
    at.unit = std::max(1.0, std::min(double(bar) / StatusPanelRoom,
                                     double(view.field.h) / std::max(height, GameHeight)));
    const int width = int(std::lround(PanelWidth * at.unit));
    at.x = barX + (bar - width) / 2;
    at.y = std::max(0, view.field.y);
    at.fits = at.y + int(std::lround(height * at.unit)) <= out.height;
    return at;
}

struct Pen {
    const Out& out;
    int x0, y0;
    double unit;
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
};

// One row of a count: its label, the picture (drawn in layers) and the
// number after a times sign.
void CountRow(const Pen& pen, int top, const std::string& label, const SheetSprite* layers,
              int count, int32_t value) {
    pen.Text(label, 10, top + 14, 14, BodyText);
    for (int k = 0; k < count; ++k)
        Sprite(pen.out, layers[k], pen.X(8), pen.Y(top + 20), pen.U(44));
    pen.Text(std::string(Times) + std::to_string(value), 58, top + 54, 28, CaptionText);
}

// The four upgrades, one row each: the item's picture and a pip for each it
// can take, filled for those taken.
void UpgradeRows(const Pen& pen, int top, const SheetSprite* items, const int32_t* upgrades,
                 const int32_t* caps) {
    for (int u = 0; u < 4; ++u) {
        const int row = top + u * UpgradeRow;
        Sprite(pen.out, items[u], pen.X(6), pen.Y(row - 2), pen.U(34));
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
    Sprite(pen.out, plate, pen.X(9), pen.Y(top + 21), pen.U(15));
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

void DrawPanel(const Out& out, const StatusShown& shown, const PanelPlace& at, int height) {
    const Pen pen{out, at.x, at.y, at.unit};
    pen.Box(0, 0, PanelWidth, height, OuterLine);
    pen.Box(1, 1, PanelWidth - 2, height - 2, BorderColour);
    pen.Box(3, 3, PanelWidth - 6, height - 6, BodyFill);
    pen.Box(3, 3, PanelWidth - 6, 24, CaptionFill);
    pen.Centred(shown.heading, 21, 16, CaptionText);
    pen.Centred(std::to_string(shown.level), 74, 44, CaptionText);
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

void OrAlpha(const Out& out, const SDL_Rect& rect, uint32_t alpha) {
    if (!alpha)
        return;
    for (int row = std::max(0, rect.y); row < std::min(out.height, rect.y + rect.h); ++row)
        for (int x = std::max(0, rect.x); x < std::min(out.width, rect.x + rect.w); ++x)
            out.pixels[size_t(row) * size_t(out.pitch) + x] |= alpha;
}

SDL_Rect Union(const SDL_Rect& a, const SDL_Rect& b) {
    if (a.w <= 0 || a.h <= 0)
        return b;
    if (b.w <= 0 || b.h <= 0)
        return a;
    SDL_Rect both;
    SDL_UnionRect(&a, &b, &both);
    return both;
}

// The title's compact form in force: the caption changes only when it does.
void SetTitleSuffix(const std::string& suffix) {
    if (suffix == Shown.titleSuffix)
        return;
    Shown.titleSuffix = suffix;
    if (Desktop.replaying)
        ShowReplayTitle();
    else
        SetCaption(TitleWithStatus());
}

void Trace(const StatusShown& shown, bool panel) {
    if (!Shown.trace)
        return;
    char line[200];
    if (panel)
        std::snprintf(line, sizeof line, "panel level=%d tanks=%d enemies=%d upgrades=%d/%d/%d/%d",
                      int(shown.level), int(shown.tanks), int(shown.enemies),
                      int(shown.upgrades[0]), int(shown.upgrades[1]), int(shown.upgrades[2]),
                      int(shown.upgrades[3]));
    if (panel && shown.twoPlayers) {
        const size_t at = std::strlen(line);
        std::snprintf(line + at, sizeof line - at, " tanks2=%d upgrades2=%d/%d/%d/%d",
                      int(shown.tanks2), int(shown.upgrades2[0]), int(shown.upgrades2[1]),
                      int(shown.upgrades2[2]), int(shown.upgrades2[3]));
    }
    std::string text = panel                       ? std::string(line)
                       : Shown.titleSuffix.empty() ? std::string("none")
                                                   : "title " + TitleWithStatus();
    if (!shown.game && panel)
        text = "panel editor level=" + std::to_string(shown.level);
    if (text == Shown.traced)
        return;
    Shown.traced = text;
    std::fprintf(Shown.trace, "%s\n", text.c_str());
    std::fflush(Shown.trace);
}

}  // namespace

void SetStatusDisplay(StatusPlace place, void (*source)(StatusShown& shown)) {
    Shown.place = place;
    Shown.source = source;
    const char* path = std::getenv("MORVASK_STATUS_FILE");
    if (path && *path && !Shown.trace)
        Shown.trace = std::fopen(path, "w");
}

#if defined(MORVASK_HAVE_X11)
// The title without its bytes beyond ASCII, each run of them one space.
std::string AsciiOnly(const std::string& title) {
    std::string ascii;
    for (unsigned char c : title) {
        if (c < 0x80)
            ascii += char(c);
        else if (ascii.empty() || ascii.back() != ' ')
            ascii += ' ';
    }
    return ascii;
}
#endif

void SetCaption(const std::string& title) {
    if (!WindowLive())
        return;
#if defined(MORVASK_HAVE_X11)
    // SDL converts the title through the C library's locale, which the
    // program leaves at "C": text beyond ASCII (the dash, the Chinese) never
    // reaches _NET_WM_NAME, which window managers show, and the failed
    // conversion leaks its buffer in SDL 2.26. SDL gets the ASCII part (for
    // the old WM_NAME); _NET_WM_NAME is UTF-8 by definition and is set whole.
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(Desktop.window.sdlWindow, &info) || info.subsystem != SDL_SYSWM_X11) {
        SDL_SetWindowTitle(Desktop.window.sdlWindow, title.c_str());
        return;
    }
    SDL_SetWindowTitle(Desktop.window.sdlWindow, AsciiOnly(title).c_str());
    Display* display = info.info.x11.display;
    const Atom name = XInternAtom(display, "_NET_WM_NAME", False);
    const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    XChangeProperty(display, info.info.x11.window, name, utf8, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(title.data()), int(title.size()));
    XFlush(display);
#else
    SDL_SetWindowTitle(Desktop.window.sdlWindow, title.c_str());
#endif
}

std::string TitleWithStatus() {
    return Shown.titleSuffix.empty() ? Desktop.windowTitle
                                     : Desktop.windowTitle + " — " + Shown.titleSuffix;
}

SDL_Rect PaintStatus(const View& view, uint32_t* pixels, int width, int height, int pitch,
                     uint32_t alpha, bool everything) {
    if (!Shown.source || Shown.place == StatusPlace::Off)
        return {};
    StatusShown shown;
    Shown.source(shown);
    const Out out{pixels, width, height, pitch};
    const int panelHeight = !shown.game        ? EditorHeight
                            : shown.twoPlayers ? TwoPlayersHeight
                                               : GameHeight;
    const PanelPlace at = PlaceOf(view, out, panelHeight);
    const bool side = Shown.place == StatusPlace::Auto || Shown.place == StatusPlace::Side;
    const bool panel = shown.shown && side && at.fits;
    const bool title = shown.shown && (Shown.place == StatusPlace::Title ||
                                       (Shown.place == StatusPlace::Auto && !at.fits));
    SetTitleSuffix(title ? shown.titleSuffix : std::string());
    const SDL_Rect rect = panel ? SDL_Rect{at.x, at.y, int(std::lround(PanelWidth * at.unit)),
                                           int(std::lround(panelHeight * at.unit))}
                                : SDL_Rect{};
    const bool moved = std::memcmp(&rect, &Shown.drawnAt, sizeof rect) != 0;
    SDL_Rect changed{};
    if (everything || moved || !(shown == Shown.drawn)) {
        if (!everything) {
            // The bar was black before the panel; the old one goes first.
            Fill(out, Shown.drawnAt.x, Shown.drawnAt.y, Shown.drawnAt.w, Shown.drawnAt.h, alpha);
            changed = Union(Shown.drawnAt, rect);
        }
        if (panel) {
            DrawPanel(out, shown, at, panelHeight);
            OrAlpha(out, rect, alpha);
        }
    }
    Shown.drawn = shown;
    Shown.drawnAt = rect;
    Trace(shown, panel);
    return changed;
}

}  // namespace sdl
