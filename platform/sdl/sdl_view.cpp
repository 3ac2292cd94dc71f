// How the desktop window shows the 960 x 704 field: the start and minimum
// sizes for the screen and its density, desktop full screen, the scale modes
// (whole multiples, or any factor that keeps the aspect), the mapping of the
// pointer back to field pixels, and the showing of each frame with the open
// message box over it.
#include <SDL.h>
#include <SDL_syswm.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/sdl/sdl_controls.h"
#include "platform/sdl/sdl_desktop.h"
#include "platform/software/surfaces.h"

#if defined(MORVASK_HAVE_X11)
#include <X11/Xlib.h>
#endif

namespace sdl {
namespace {

// The display's scale as X11 desktops announce it: Xft.dpi in the resource
// database, 96 for scale 1. Wayland and the others report sizes in points,
// which SDL turns into pixels itself.
int DisplayScaleOf(SDL_Window* window) {
#if defined(MORVASK_HAVE_X11)
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11)
        return 1;
    const char* resources = XResourceManagerString(info.info.x11.display);
    if (!resources)
        return 1;
    for (const char* line = resources; line && *line;) {
        if (std::strncmp(line, "Xft.dpi:", 8) == 0) {
            double dpi = std::atof(line + 8);
            // 144 dpi (1.5) opens at 2: the field is shown in whole pixels.
            int scale = int(std::lround(dpi / 96.0));
            return std::clamp(scale, 1, 8);
        }
        line = std::strchr(line, '\n');
        if (line)
            ++line;
    }
#else
    (void)window;
#endif
    return 1;
}

// Lays the open box out for the field's place, unless it already is.
void ArrangeDialog(const View& view) {
    OpenDialog& open = *Desktop.dialog;
    const SDL_Rect& field = view.field;
    if (open.laidOut && std::memcmp(&open.placedIn, &field, sizeof field) == 0)
        return;
    open.layout = dialog::Arrange(open.box, {field.x, field.y, field.w, field.h}, view.scale);
    open.placedIn = field;
    open.laidOut = true;
}

// Draws the open box at the output's own resolution (its text stays sharp
// at every scale) and copies it over the field.
void ShowDialog(const View& view) {
    ArrangeDialog(view);
    OpenDialog& open = *Desktop.dialog;
    // One pixel around the frame holds its dark outline.
    const dialog::Rect& frame = open.layout.frame;
    SDL_Rect place{frame.x - 1, frame.y - 1, frame.width + 2, frame.height + 2};
    SDL_Renderer* renderer = Desktop.window.renderer;
    if (!open.texture || open.textureWidth != place.w || open.textureHeight != place.h) {
        if (open.texture)
            SDL_DestroyTexture(open.texture);
        open.texture = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_RGB888,
                                         SDL_TEXTUREACCESS_STREAMING, place.w, place.h);
        open.textureWidth = place.w;
        open.textureHeight = place.h;
        if (!open.texture)
            return;
    }
    std::vector<uint32_t> pixels(size_t(place.w) * size_t(place.h), 0);
    dialog::Draw(open.box, open.layout, pixels.data(), place.w, place.h, place.w, place.x, place.y);
    SDL_UpdateTexture(open.texture, nullptr, pixels.data(), place.w * 4);
    SDL_RenderCopy(renderer, open.texture, nullptr, &place);
}

}  // namespace

View CurrentView() {
    View view;
    platform::WindowData& window = Desktop.window;
    if (!WindowLive() || !window.renderer)
        return view;
    int outputWidth = 0, outputHeight = 0, unitsWide = 0, unitsHigh = 0;
    SDL_GetRendererOutputSize(window.renderer, &outputWidth, &outputHeight);
    SDL_GetWindowSize(window.sdlWindow, &unitsWide, &unitsHigh);
    if (outputWidth <= 0 || outputHeight <= 0)
        return view;
    if (unitsWide > 0 && unitsHigh > 0) {
        view.pixelsPerUnitX = double(outputWidth) / unitsWide;
        view.pixelsPerUnitY = double(outputHeight) / unitsHigh;
    }
    double fits = std::min(double(outputWidth) / FieldWidth, double(outputHeight) / FieldHeight);
    double whole = std::floor(fits);
    // A window smaller than the field shrinks it in either mode.
    view.scale = Desktop.options.fitMode || whole < 1 ? fits : whole;
    int width = int(std::lround(FieldWidth * view.scale));
    int height = int(std::lround(FieldHeight * view.scale));
    view.field = {(outputWidth - width) / 2, (outputHeight - height) / 2, width, height};
    return view;
}

void OutputPoint(const View& view, int x, int y, int& outputX, int& outputY) {
    outputX = int(std::floor(x * view.pixelsPerUnitX));
    outputY = int(std::floor(y * view.pixelsPerUnitY));
}

void FieldPoint(const View& view, int x, int y, int& fieldX, int& fieldY) {
    int outputX = 0, outputY = 0;
    OutputPoint(view, x, y, outputX, outputY);
    // Rounded down, so that a point left of or above the field stays
    // negative and one right of or below it stays past the last pixel.
    fieldX = int(std::floor(double(outputX - view.field.x) * FieldWidth / view.field.w));
    fieldY = int(std::floor(double(outputY - view.field.y) * FieldHeight / view.field.h));
}

void PrepareWindow(SDL_Window* window) {
    // The display's scale in window units (2 on an X11 screen of 192 dpi;
    // 1 where SDL itself counts in points).
    const int scale = DisplayScaleOf(window);
    int display = std::max(0, SDL_GetWindowDisplayIndex(window));
    SDL_Rect usable{};
    if (SDL_GetDisplayUsableBounds(display, &usable) != 0 || usable.w <= 0 || usable.h <= 0)
        SDL_GetDisplayBounds(display, &usable);

    // The largest whole multiple that fits nine tenths of the usable area,
    // at most 2 (but never less than the display's own scale).
    int factor = 0;
    if (Desktop.options.scale > 0) {
        factor = Desktop.options.scale * scale;
    } else {
        int fits = std::min(usable.w * 9 / 10 / FieldWidth, usable.h * 9 / 10 / FieldHeight);
        factor = std::max(scale, std::min(fits, 2));
    }
    SDL_SetWindowMinimumSize(window, FieldWidth * scale, FieldHeight * scale);
    int width = 0, height = 0;
    SDL_GetWindowSize(window, &width, &height);
    if (width != FieldWidth * factor || height != FieldHeight * factor) {
        width = FieldWidth * factor;
        height = FieldHeight * factor;
        SDL_SetWindowSize(window, width, height);
        SDL_SetWindowPosition(window, usable.x + std::max(0, (usable.w - width) / 2),
                              usable.y + std::max(0, (usable.h - height) / 2));
    }
    if (Desktop.options.fullscreen)
        SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN_DESKTOP);
}

bool IsFullscreenKey(const SDL_KeyboardEvent& key) {
    if (key.keysym.scancode == SDL_SCANCODE_F11)
        return true;
    bool enter =
        key.keysym.scancode == SDL_SCANCODE_RETURN || key.keysym.scancode == SDL_SCANCODE_KP_ENTER;
    return enter && (key.keysym.mod & KMOD_ALT) != 0;
}

namespace {
void (*FullscreenObserver)(bool fullscreen) = nullptr;
}  // namespace

void SetFullscreenObserver(void (*observer)(bool fullscreen)) {
    FullscreenObserver = observer;
}

void ToggleFullscreen() {
    if (!WindowLive())
        return;
    SDL_Window* window = Desktop.window.sdlWindow;
    bool full = (SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN) != 0;
    bool switched = SDL_SetWindowFullscreen(window, full ? 0 : SDL_WINDOW_FULLSCREEN_DESKTOP) == 0;
    Redraw();
    if (switched && FullscreenObserver)
        FullscreenObserver(!full);
}

void PresentFrame(const platform::SurfaceData* fresh) {
    platform::WindowData& window = Desktop.window;
    if (!WindowLive() || !window.texture)
        return;
    if (fresh)
        SDL_UpdateTexture(window.texture, nullptr, fresh->pixels.data(), fresh->width * 4);
    if (window.minimized)
        return;
    const View view = CurrentView();
    // Black only shows around a field that does not fill the window; a
    // covered target is not cleared first.
    int outputWidth = 0, outputHeight = 0;
    SDL_GetRendererOutputSize(window.renderer, &outputWidth, &outputHeight);
    if (view.field.x > 0 || view.field.y > 0 || view.field.w < outputWidth ||
        view.field.h < outputHeight) {
        SDL_SetRenderDrawColor(window.renderer, 0, 0, 0, 255);
        SDL_RenderClear(window.renderer);
    }
    // The field stays visible behind an open box, dimmed.
    const Uint8 level = Desktop.dialog ? 128 : 255;
    SDL_SetTextureColorMod(window.texture, level, level, level);
    SDL_RenderCopy(window.renderer, window.texture, nullptr, &view.field);
    if (Desktop.dialog)
        ShowDialog(view);
    SDL_RenderPresent(window.renderer);
}

void Redraw() {
    if (!Desktop.windowSurface)
        Desktop.windowSurface = software::WindowSurface(FieldWidth, FieldHeight);
    PresentFrame(Desktop.windowSurface);
}

}  // namespace sdl
