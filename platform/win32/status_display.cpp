// The status around the field on Windows: the panel in the black bar right
// of the field where it has room, else the compact form after the game's
// title, as the program chose; asked for with every frame shown, and shown
// again only when it changed.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/shared/status_panel.h"
#include "platform/win32/backend.h"

namespace {

struct StatusState {
    host::StatusPlace place = host::StatusOff;
    void (*source)(host::StatusShown& shown) = nullptr;
    std::wstring gameTitle;
    bool gameTitleKept = false;
    std::string shownSuffix;
    host::StatusShown drawn;
    shared::PixelRect drawnAt;  // empty while no panel shows
    // The panel's pixels, which GDI also draws the sheets' sprites into.
    platform::SurfaceData panel;
    std::FILE* trace = nullptr;
    std::string traced;
    // The brief indicator after the caption, until its time is over.
    HWND window = nullptr;
    std::string indicator;
    ULONGLONG indicatorUntil = 0;
    // What the caption says after the status (a replay plays).
    std::string tag;
    host::IndicatorTexts texts;
};

StatusState Status;

// A sheet's sprite into the panel's DIB (whose pixels `out` shows) as the
// game draws sprites: the mask ORed, then the image ANDed.
void DrawSprite(const shared::PanelPixels& out, const host::SheetSprite& sprite, int x, int y,
                int size) {
    if (out.pixels != Status.panel.pixels || !sprite.sheet->dc || size <= 0)
        return;
    const HDC sheet = sprite.sheet->dc;
    ::StretchBlt(Status.panel.dc, x, y, size, size, sheet, sprite.x, sprite.y + sprite.height,
                 sprite.width, sprite.height, SRCPAINT);
    ::StretchBlt(Status.panel.dc, x, y, size, size, sheet, sprite.x, sprite.y, sprite.width,
                 sprite.height, SRCAND);
    // The text after it is written into the pixels straight.
    ::GdiFlush();
}

std::wstring TitleWith(const std::string& suffix) {
    return suffix.empty() ? Status.gameTitle
                          : Status.gameTitle + L" \u2014 " + win32::Widen(suffix.c_str());
}

// The caption with the indicator after it while it shows.
void ShowCaption(HWND window) {
    std::wstring title = TitleWith(Status.shownSuffix) + win32::Widen(Status.tag.c_str());
    if (!Status.indicator.empty())
        title += L" \u2014 " + win32::Widen(Status.indicator.c_str());
    ::DefWindowProcW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(title.c_str()));
}

void KeepGameTitle(HWND window) {
    if (Status.gameTitleKept)
        return;
    // The game's own title, as the game gave it at creation.
    wchar_t text[256] = {};
    ::GetWindowTextW(window, text, 256);
    Status.gameTitle = text;
    Status.gameTitleKept = true;
    Status.window = window;
}

// The compact form after the game's title, or the game's own title for an
// empty one; the caption changes only when it does.
void SetTitleSuffix(HWND window, const std::string& suffix) {
    KeepGameTitle(window);
    if (suffix == Status.shownSuffix)
        return;
    Status.shownSuffix = suffix;
    ShowCaption(window);
}

void Trace(const host::StatusShown& shown, bool panel) {
    if (!Status.trace)
        return;
    const std::string title = Status.shownSuffix.empty()
                                  ? std::string()
                                  : win32::Narrow(TitleWith(Status.shownSuffix).c_str());
    const std::string line = shared::StatusTraceLine(shown, panel, title);
    if (line == Status.traced)
        return;
    Status.traced = line;
    std::fprintf(Status.trace, "%s\n", line.c_str());
    std::fflush(Status.trace);
}

// The panel drawn at `at` in its DIB and sent to the window.
void SendPanel(HDC dc, const shared::StatusPanelPlace& at, const host::StatusShown& shown) {
    const shared::PixelRect& r = at.rect;
    platform::SurfaceData& p = Status.panel;
    if (!win32::KeepPixelSurface(p, dc, r.width, r.height))
        return;
    // Nearest neighbour, as the SDL2 window scales the sprites.
    ::SetStretchBltMode(p.dc, COLORONCOLOR);
    ::GdiFlush();
    std::fill_n(p.pixels, size_t(p.width) * size_t(p.height), 0u);
    shared::DrawStatusPanel({p.pixels, p.width, p.height, p.width}, r.x, r.y, at, shown,
                            DrawSprite);
    ::BitBlt(dc, r.x, r.y, r.width, r.height, p.dc, 0, 0, SRCCOPY);
}

bool SameRect(const shared::PixelRect& a, const shared::PixelRect& b) {
    return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height;
}

}  // namespace

namespace win32 {

void ExpireIndicator() {
    if (Status.indicator.empty() || ::GetTickCount64() < Status.indicatorUntil)
        return;
    Status.indicator.clear();
    if (Status.window) {
        ::KillTimer(Status.window, IndicatorTimer);
        ShowCaption(Status.window);
    }
}

void ShowStatus(HWND window, HDC dc, const shared::PixelRect& field, int clientWidth,
                int clientHeight, bool everything) {
    ExpireIndicator();
    if (!Status.source || Status.place == host::StatusOff || !window || !dc)
        return;
    host::StatusShown shown;
    Status.source(shown);
    const shared::StatusPanelPlace at =
        shared::PlaceStatusPanel(field, clientWidth, clientHeight, shown);
    const shared::StatusPlacing placing = shared::PlaceStatus(Status.place, shown, at.fits);
    const bool panel = placing.panel;
    const bool title = placing.title;
    SetTitleSuffix(window, title ? shown.titleSuffix : std::string());
    const shared::PixelRect rect = panel ? at.rect : shared::PixelRect{};
    if (everything || !SameRect(rect, Status.drawnAt) || !(shown == Status.drawn)) {
        const shared::PixelRect& old = Status.drawnAt;
        if (!everything && old.width > 0 && old.height > 0) {
            // The bar was black before the panel; the old one goes first.
            const RECT gone{old.x, old.y, old.x + old.width, old.y + old.height};
            ::FillRect(dc, &gone, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
        }
        if (panel)
            SendPanel(dc, at, shown);
    }
    Status.drawn = shown;
    Status.drawnAt = rect;
    Trace(shown, panel);
}

void ShowIndicator(const std::string& text) {
    HWND window = Hooks.window ? Hooks.window->handle : nullptr;
    if (!window)
        return;
    KeepGameTitle(window);
    Status.indicator = text;
    Status.indicatorUntil = ::GetTickCount64() + 1000;
    ::SetTimer(window, IndicatorTimer, 1050, nullptr);
    ShowCaption(window);
}

void SetCaptionTag(const std::string& tag) {
    HWND window = Hooks.window ? Hooks.window->handle : nullptr;
    Status.tag = tag;
    if (!window)
        return;
    KeepGameTitle(window);
    ShowCaption(window);
}

void IndicateVolume() {
    const int percent = host::Volume();
    ShowIndicator(Status.texts.volume ? Status.texts.volume(percent)
                                      : std::to_string(percent) + "%");
}

void IndicateScaleMode() {
    const host::ScaleMode mode = CurrentScaleMode();
    ShowIndicator(Status.texts.scaleMode ? Status.texts.scaleMode(mode, ScaleModeShownAs())
                                         : host::ScaleModeName(mode));
}

}  // namespace win32

namespace host {

void SetStatusDisplay(StatusPlace place, void (*source)(StatusShown& shown)) {
    Status.place = place;
    Status.source = source;
    const char* path = std::getenv("MORVASK_STATUS_FILE");
    if (path && *path && !Status.trace)
        Status.trace = std::fopen(path, "w");
}

void SetIndicatorTexts(const IndicatorTexts& texts) {
    Status.texts = texts;
}

}  // namespace host
