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

#include "platform/input/key_map.h"
#include "platform/sdl/sdl_desktop.h"
#include "platform/shared/frame_scale.h"
#include "platform/shared/surfaces.h"

#if defined(MORVASK_HAVE_X11)
#include <X11/Xlib.h>
#endif

namespace sdl {

using shared::FramePixels;
using shared::OutputPixels;
using shared::OutputRect;

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

// Lays the open box out for the field's place, unless it already is. Below
// 1x the box keeps the size it has at 1x, in the whole window, so that its
// text stays readable.
void ArrangeDialog(const View& view, int outputWidth, int outputHeight) {
    OpenDialog& open = *Desktop.dialog;
    const SDL_Rect& field = view.field;
    if (open.laidOut && std::memcmp(&open.placedIn, &field, sizeof field) == 0)
        return;
    open.layout = view.scale >= 1
                      ? dialog::Arrange(open.box, {field.x, field.y, field.w, field.h}, view.scale)
                      : dialog::Arrange(open.box, {0, 0, outputWidth, outputHeight}, 1);
    open.placedIn = field;
    open.laidOut = true;
}

// The window's own pixels, which SDL makes anew after a resize. They are
// written straight, once per frame, rather than through a renderer's
// texture (a copy into it, a clear, a scaled copy out of it).
SDL_Surface* WindowPixels() {
    static bool hinted = false;
    if (!hinted) {
        // On Linux SDL would otherwise open an OpenGL context to decide
        // whether to back the window's pixels with a texture.
        SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
        hinted = true;
    }
    return SDL_GetWindowSurface(Desktop.window.sdlWindow);
}

// The pixels the frame is scaled into: the window's own when they are
// 0x00RRGGBB (or that with alpha on top), else a buffer SDL converts from.
struct Canvas {
    OutputPixels out;
    uint32_t alpha = 0;
    SDL_Surface* staging = nullptr;  // null: `out` is the window's pixels
};

bool IsNativeFormat(const SDL_PixelFormat& format) {
    return format.BytesPerPixel == 4 && format.Rmask == 0xFF0000 && format.Gmask == 0xFF00 &&
           format.Bmask == 0xFF;
}

Canvas CanvasOf(SDL_Surface* target) {
    Canvas canvas;
    if (IsNativeFormat(*target->format)) {
        canvas.out = {static_cast<uint32_t*>(target->pixels), target->w, target->h,
                      target->pitch / 4};
        canvas.alpha = target->format->Amask;
        return canvas;
    }
    static SDL_Surface* staging = nullptr;
    if (!staging || staging->w != target->w || staging->h != target->h) {
        SDL_FreeSurface(staging);
        staging =
            SDL_CreateRGBSurfaceWithFormat(0, target->w, target->h, 32, SDL_PIXELFORMAT_RGB888);
    }
    if (staging)
        canvas.out = {static_cast<uint32_t*>(staging->pixels), staging->w, staging->h,
                      staging->pitch / 4};
    canvas.staging = staging;
    return canvas;
}

void FillRect(const Canvas& canvas, int x, int y, int width, int height, uint32_t colour) {
    const int left = std::max(0, x), right = std::min(canvas.out.width, x + width);
    const int top = std::max(0, y), bottom = std::min(canvas.out.height, y + height);
    for (int row = top; row < bottom; ++row)
        std::fill_n(canvas.out.pixels + size_t(row) * size_t(canvas.out.pitch) + left,
                    std::max(0, right - left), colour);
}

// Black around a field that does not fill the window.
void PaintBars(const Canvas& canvas, const SDL_Rect& field) {
    const int width = canvas.out.width, height = canvas.out.height;
    const uint32_t black = canvas.alpha;
    FillRect(canvas, 0, 0, width, field.y, black);
    FillRect(canvas, 0, field.y + field.h, width, height - field.y - field.h, black);
    FillRect(canvas, 0, field.y, field.x, field.h, black);
    FillRect(canvas, field.x + field.w, field.y, width - field.x - field.w, field.h, black);
}

// Draws the open box at the output's own resolution (its text stays sharp
// at every scale) over the dimmed field.
void ShowDialog(const View& view, const Canvas& canvas) {
    ArrangeDialog(view, canvas.out.width, canvas.out.height);
    OpenDialog& open = *Desktop.dialog;
    dialog::Draw(open.box, open.layout, canvas.out.pixels, canvas.out.width, canvas.out.height,
                 canvas.out.pitch, 0, 0);
    if (canvas.alpha) {
        // One pixel around the frame holds its dark outline.
        const dialog::Rect& frame = open.layout.frame;
        for (int row = std::max(0, frame.y - 1);
             row < std::min(canvas.out.height, frame.y + frame.height + 1); ++row)
            for (int x = std::max(0, frame.x - 1);
                 x < std::min(canvas.out.width, frame.x + frame.width + 1); ++x)
                canvas.out.pixels[size_t(row) * size_t(canvas.out.pitch) + x] |= canvas.alpha;
    }
}

// The field's place in output pixels of the given size.
View ViewOf(int outputWidth, int outputHeight) {
    View view;
    int unitsWide = 0, unitsHigh = 0;
    SDL_GetWindowSize(Desktop.window.sdlWindow, &unitsWide, &unitsHigh);
    if (outputWidth <= 0 || outputHeight <= 0)
        return view;
    if (unitsWide > 0 && unitsHigh > 0) {
        view.pixelsPerUnitX = double(outputWidth) / unitsWide;
        view.pixelsPerUnitY = double(outputHeight) / unitsHigh;
    }
    const shared::FieldShowing showing =
        shared::ShowField(outputWidth, outputHeight, Desktop.options.scaleMode);
    const double fits =
        std::min(double(outputWidth) / FieldWidth, double(outputHeight) / FieldHeight);
    view.scale = showing.shownAs == host::ScaleInteger && fits >= 1 ? showing.whole : fits;
    view.field = {showing.field.x, showing.field.y, showing.field.width, showing.field.height};
    view.smooth = showing.smooth;
    view.whole = showing.whole;
    return view;
}

// What the window's pixels hold now, so that the bars around the field are
// painted only when they change.
struct Shown {
    SDL_Surface* surface = nullptr;
    void* pixels = nullptr;
    int width = 0;
    int height = 0;
    SDL_Rect field{};
    bool stale = true;  // everything is painted at the next present
    bool box = false;
    uint64_t frameSerial = 0;  // of the frame shown
};
Shown Screen;

}  // namespace

View CurrentView() {
    if (!WindowLive())
        return View{};
    SDL_Surface* target = WindowPixels();
    if (!target)
        return View{};
    return ViewOf(target->w, target->h);
}

bool CanShow() {
    return WindowLive() && WindowPixels() != nullptr;
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
    // at most 2 (but never less than the display's own scale), or smaller
    // than the field where even that does not fit. The window may shrink
    // to half the field, shown smoothly.
    int wanted = 0, high = 0;
    shared::StartClient(usable.w, usable.h, scale, Desktop.options.scale, wanted, high);
    SDL_SetWindowMinimumSize(window, FieldWidth * scale / 2, FieldHeight * scale / 2);
    int width = 0, height = 0;
    SDL_GetWindowSize(window, &width, &height);
    if (width != wanted || height != high) {
        width = wanted;
        height = high;
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
void (*ScaleModeObserver)(host::ScaleMode mode) = nullptr;
}  // namespace

bool IsScaleModeKey(const SDL_KeyboardEvent& key) {
    if (key.keysym.scancode != SDL_SCANCODE_F10)
        return false;
    // A play action the player put on F10 keeps it.
    constexpr int F10 = 0x79;
    int messages[2];
    const int count = keymap::KeyDownMessages(F10, messages);
    return count == 1 && messages[0] == F10;
}

void StepScaleMode() {
    Desktop.options.scaleMode = host::NextScaleMode(Desktop.options.scaleMode);
    if (Desktop.dialog)
        Desktop.dialog->laidOut = false;
    SDL_Surface* target = WindowPixels();
    IndicateScaleMode(
        Desktop.options.scaleMode,
        target ? shared::ShowField(target->w, target->h, Desktop.options.scaleMode).shownAs
               : Desktop.options.scaleMode);
    if (ScaleModeObserver)
        ScaleModeObserver(Desktop.options.scaleMode);
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

namespace {

// The frame that follows the one on screen, told where it changed, needs only
// those parts written and sent; a frame with no change sends nothing.
void PresentChanges(const platform::SurfaceData& frame, const View& view, const Canvas& canvas) {
    static std::vector<SDL_Rect> sent;
    sent.clear();
    const FramePixels pixels{frame.pixels.data(), frame.width, frame.height, frame.width};
    for (const platform::Rect& r : frame.changes) {
        OutputRect part =
            view.smooth
                ? ScaleFrameSmoothPart(pixels, canvas.out, view.field.x, view.field.y, view.field.w,
                                       view.field.h, view.whole, canvas.alpha, r.x, r.y, r.width,
                                       r.height)
                : ScaleFramePart(pixels, canvas.out, view.field.x, view.field.y, view.field.w,
                                 view.field.h, canvas.alpha, r.x, r.y, r.width, r.height);
        if (part.width > 0)
            sent.push_back({part.x, part.y, part.width, part.height});
    }
    const SDL_Rect status = PaintStatus(view, canvas.out.pixels, canvas.out.width,
                                        canvas.out.height, canvas.out.pitch, canvas.alpha, false);
    if (status.w > 0)
        sent.push_back(status);
    // The indicator stays over what changed under it.
    const SDL_Rect over = DrawIndicator(view, canvas.out.pixels, canvas.out.width,
                                        canvas.out.height, canvas.out.pitch, canvas.alpha);
    if (over.w > 0 && !sent.empty())
        sent.push_back(over);
    if (!sent.empty())
        SDL_UpdateWindowSurfaceRects(Desktop.window.sdlWindow, sent.data(), int(sent.size()));
}

// Whether the window's pixels may hold anything but the last frame shown,
// whole and undimmed: then everything is painted, bars included. A box may
// reach beyond the field, and new pixels hold anything.
bool MustPaintEverything(bool stale, const Canvas& canvas, const SDL_Surface* target,
                         const View& view) {
    return stale || canvas.staging || Screen.surface != target || Screen.pixels != target->pixels ||
           Screen.width != target->w || Screen.height != target->h ||
           std::memcmp(&Screen.field, &view.field, sizeof view.field) || Screen.box ||
           Desktop.dialog;
}

// Paints the field, dimmed behind an open box, and the box over it; the bars
// around the field and the status beside it too when `everything`. Gives
// the part of the status's place that changed otherwise.
SDL_Rect PaintFrame(const platform::SurfaceData* frame, const View& view, const Canvas& canvas,
                    bool everything) {
    if (everything)
        PaintBars(canvas, view.field);
    if (frame && frame->width > 0 && frame->height > 0) {
        // The field stays visible behind an open box, dimmed.
        const FramePixels pixels{frame->pixels.data(), frame->width, frame->height, frame->width};
        if (view.smooth)
            ScaleFrameSmooth(pixels, canvas.out, view.field.x, view.field.y, view.field.w,
                             view.field.h, view.whole, Desktop.dialog != nullptr, canvas.alpha);
        else
            ScaleFrame(pixels, canvas.out, view.field.x, view.field.y, view.field.w, view.field.h,
                       Desktop.dialog != nullptr, canvas.alpha);
    } else {
        FillRect(canvas, view.field.x, view.field.y, view.field.w, view.field.h, canvas.alpha);
    }
    if (Desktop.dialog)
        ShowDialog(view, canvas);
    DrawIndicator(view, canvas.out.pixels, canvas.out.width, canvas.out.height, canvas.out.pitch,
                  canvas.alpha);
    return PaintStatus(view, canvas.out.pixels, canvas.out.width, canvas.out.height,
                       canvas.out.pitch, canvas.alpha, everything);
}

// Sends the painted pixels to the screen: the whole window, or the field
// and the part of the status that changed.
void SendFrame(SDL_Surface* target, const View& view, const Canvas& canvas, bool everything,
               const SDL_Rect& status) {
    if (canvas.staging)
        SDL_BlitSurface(canvas.staging, nullptr, target, nullptr);
    if (everything) {
        SDL_UpdateWindowSurface(Desktop.window.sdlWindow);
    } else {
        SDL_Rect parts[2] = {view.field, status};
        SDL_UpdateWindowSurfaceRects(Desktop.window.sdlWindow, parts, status.w > 0 ? 2 : 1);
    }
}

}  // namespace

void PresentFrame(const platform::SurfaceData* fresh) {
    // What is not shown now must be shown whole later.
    const bool stale = Screen.stale;
    Screen.stale = true;
    if (!WindowLive() || Desktop.window.minimized)
        return;
    // The window surface always holds the last frame.
    const platform::SurfaceData* frame = fresh ? fresh : Desktop.windowSurface;
    SDL_Surface* target = WindowPixels();
    if (!target)
        return;
    const View view = ViewOf(target->w, target->h);
    const Canvas canvas = CanvasOf(target);
    if (!canvas.out.pixels)
        return;
    // Written straight only when they are the window's own pixels; SDL
    // copies a staging buffer over on its own.
    const bool lock = !canvas.staging && SDL_MUSTLOCK(target);
    if (lock && SDL_LockSurface(target) != 0)
        return;
    const bool everything = MustPaintEverything(stale, canvas, target, view);
    if (!everything && frame && frame->changesKnown &&
        frame->frameSerial == Screen.frameSerial + 1) {
        PresentChanges(*frame, view, canvas);
        if (lock)
            SDL_UnlockSurface(target);
        Screen.stale = false;
        Screen.frameSerial = frame->frameSerial;
        return;
    }
    const SDL_Rect status = PaintFrame(frame, view, canvas, everything);
    if (lock)
        SDL_UnlockSurface(target);
    SendFrame(target, view, canvas, everything, status);
    Screen = {target,
              target->pixels,
              target->w,
              target->h,
              view.field,
              false,
              Desktop.dialog != nullptr,
              frame ? frame->frameSerial : 0};
}

void Redraw() {
    if (!Desktop.windowSurface)
        Desktop.windowSurface = shared::WindowSurface(FieldWidth, FieldHeight);
    Screen.stale = true;
    PresentFrame(Desktop.windowSurface);
}

}  // namespace sdl

namespace host {

void SetScaleModeObserver(void (*observer)(ScaleMode mode)) {
    sdl::ScaleModeObserver = observer;
}

void SetFullscreenObserver(void (*observer)(bool fullscreen)) {
    sdl::FullscreenObserver = observer;
}

void ChooseFullscreen(bool fullscreen) {
    if (!sdl::WindowLive())
        return;
    const bool full =
        (SDL_GetWindowFlags(sdl::Desktop.window.sdlWindow) & SDL_WINDOW_FULLSCREEN) != 0;
    if (full != fullscreen)
        sdl::ToggleFullscreen();
}

void ChooseScaleMode(ScaleMode mode) {
    for (int step = 0; step < ScaleModeCount && sdl::Desktop.options.scaleMode != mode; ++step)
        sdl::StepScaleMode();
}

}  // namespace host
