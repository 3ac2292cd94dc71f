// The status panel in the black bar beside the field of the SDL window, its
// sprites read from the game's sheets, and the title's compact form where the
// bar has no room for it.
#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/sdl/sdl_desktop.h"
#include "platform/shared/status_panel.h"
#include "platform/shared/surfaces.h"

#if defined(MORVASK_HAVE_X11)
#include <SDL_syswm.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#endif

namespace sdl {
namespace {

using shared::PanelPixels;

struct StatusState {
    StatusPlace place = host::StatusOff;
    void (*source)(StatusShown& shown) = nullptr;
    std::FILE* trace = nullptr;
    std::string traced;
    StatusShown drawn;
    SDL_Rect drawnAt{};  // empty while no panel shows
    std::string titleSuffix;
};
StatusState Shown;

// A sheet sprite scaled to size x size at (x, y), nearest neighbour, over
// what is there as the game draws it: (under | mask) & image.
void Sprite(const PanelPixels& out, const SheetSprite& sprite, int x, int y, int size) {
    const platform::SurfaceData* sheet = sprite.sheet;
    if (!sheet || size <= 0 || sprite.width <= 0 ||
        size_t(sprite.y + 2 * sprite.height) * size_t(sheet->width) > sheet->pixels.size() ||
        sprite.x + sprite.width > sheet->width)
        return;
    // Only the bands of the sprite: the tank sheet is decoded as drawn.
    shared::ReadyRows(const_cast<platform::Surface>(sheet), sprite.y, sprite.y + 2 * sprite.height);
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

// The rectangle's pixels set to `colour`, or given `alpha` over theirs.
void Fill(const PanelPixels& out, const SDL_Rect& rect, uint32_t colour) {
    for (int row = std::max(0, rect.y); row < std::min(out.height, rect.y + rect.h); ++row)
        for (int x = std::max(0, rect.x); x < std::min(out.width, rect.x + rect.w); ++x)
            out.pixels[size_t(row) * size_t(out.pitch) + x] = colour;
}

void OrAlpha(const PanelPixels& out, const SDL_Rect& rect, uint32_t alpha) {
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
    const std::string text = shared::StatusTraceLine(
        shown, panel, Shown.titleSuffix.empty() ? std::string() : TitleWithStatus());
    if (text == Shown.traced)
        return;
    Shown.traced = text;
    std::fprintf(Shown.trace, "%s\n", text.c_str());
    std::fflush(Shown.trace);
}

}  // namespace

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
    if (!Shown.source || Shown.place == host::StatusOff)
        return {};
    StatusShown shown;
    Shown.source(shown);
    const PanelPixels out{pixels, width, height, pitch};
    const shared::StatusPanelPlace at = shared::PlaceStatusPanel(
        {view.field.x, view.field.y, view.field.w, view.field.h}, width, height, shown);
    const shared::StatusPlacing placing = shared::PlaceStatus(Shown.place, shown, at.fits);
    const bool panel = placing.panel;
    const bool title = placing.title;
    SetTitleSuffix(title ? shown.titleSuffix : std::string());
    const SDL_Rect rect =
        panel ? SDL_Rect{at.rect.x, at.rect.y, at.rect.width, at.rect.height} : SDL_Rect{};
    const bool moved = std::memcmp(&rect, &Shown.drawnAt, sizeof rect) != 0;
    SDL_Rect changed{};
    if (everything || moved || !(shown == Shown.drawn)) {
        if (!everything) {
            // The bar was black before the panel; the old one goes first.
            Fill(out, Shown.drawnAt, alpha);
            changed = Union(Shown.drawnAt, rect);
        }
        if (panel) {
            shared::DrawStatusPanel(out, 0, 0, at, shown, Sprite);
            OrAlpha(out, rect, alpha);
        }
    }
    Shown.drawn = shown;
    Shown.drawnAt = rect;
    Trace(shown, panel);
    return changed;
}

}  // namespace sdl

namespace host {

void SetStatusDisplay(StatusPlace place, void (*source)(StatusShown& shown)) {
    sdl::Shown.place = place;
    sdl::Shown.source = source;
    const char* path = std::getenv("MORVASK_STATUS_FILE");
    if (path && *path && !sdl::Shown.trace)
        sdl::Shown.trace = std::fopen(path, "w");
}

}  // namespace host
