// Opening the SDL2 backend's display: the driver the environment names, a
// guard against X's late errors at the end, and the screen's size.
#include <SDL.h>
#include <X11/Xlib.h>
#include <X11/Xproto.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/platform.h"
#include "platform/sdl/sdl_desktop.h"

namespace {

using sdl::Desktop;

// SDL wakes its own wait by an event sent to the window over a second X
// connection. The X server may take the window's destruction from the main
// connection first, and then fails the wake-up with BadWindow, which Xlib's
// default handler turns into exit(1) - losing, say, the replay being written.
// The error is read late, when SDL closes that connection at its end, after
// it has put back the handler it found when it opened the display: so this
// one goes in before SDL opens it. A wake-up to a window already gone is
// harmless: that error is dropped and every other one goes to Xlib's.
XErrorHandler PreviousXErrorHandler = nullptr;

int IgnoreLateWakeups(Display* display, XErrorEvent* error) {
    if (error->error_code == BadWindow && error->request_code == X_SendEvent)
        return 0;
    return PreviousXErrorHandler ? PreviousXErrorHandler(display, error) : 0;
}

void GuardAgainstLateWakeups() {
    // Loaded, not linked: without the library there is no X display either.
    void* library = SDL_LoadObject("libX11.so.6");
    if (!library)
        return;
    using SetHandler = XErrorHandler (*)(XErrorHandler);
    auto set = reinterpret_cast<SetHandler>(SDL_LoadFunction(library, "XSetErrorHandler"));
    if (set)
        PreviousXErrorHandler = set(IgnoreLateWakeups);
}

// Opens the display the environment names: X11 for DISPLAY, Wayland for
// WAYLAND_DISPLAY. Left to itself SDL would go on to other drivers, down to
// one that shows nothing, and those it tries write their own complaints.
bool InitVideoDriver() {
    const char* asked = SDL_getenv("SDL_VIDEODRIVER");
    if (asked && *asked)
        return SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
    std::vector<const char*> drivers;
    const char* x11 = SDL_getenv("DISPLAY");
    const char* wayland = SDL_getenv("WAYLAND_DISPLAY");
    if (x11 && *x11)
        drivers.push_back("x11");
    if (wayland && *wayland)
        drivers.push_back("wayland");
    if (drivers.empty())
        return SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
    for (const char* driver : drivers) {
        SDL_SetHint(SDL_HINT_VIDEODRIVER, driver);
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) == 0)
            return true;
    }
    return false;
}

}  // namespace

namespace sdl {

bool StartVideo() {
    if (Desktop.videoStarted)
        return true;
    // Ctrl+C and kill end the program as usual; SDL would turn them into a
    // quit event that the game does not know.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_SetHint(SDL_HINT_APP_NAME, "Morvask");
    // A game in a window, not a full-screen one: leave the compositor on.
    SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
    // Frames go straight into the window's own pixels. Without this SDL
    // would open a 3D context behind them at start, which takes a tenth of a
    // second and tens of megabytes.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    GuardAgainstLateWakeups();
    if (!InitVideoDriver()) {
        std::fprintf(stderr, "morvask: cannot open the display: %s\n", SDL_GetError());
        return false;
    }
    // The game reads keys, not text: no input method is wanted.
    SDL_StopTextInput();
    // Tests follow the boxes from outside: each one opened and answered.
    Desktop.traceDialogs = std::getenv("MORVASK_TRACE_DIALOGS") != nullptr;
    Desktop.videoStarted = true;
    return true;
}

void StopAll() {
    SDL_Quit();
}

}  // namespace sdl

namespace {

bool Set(const char* name) {
    const char* value = std::getenv(name);
    return value && *value;
}

// SDL's drivers that show nothing to anybody.
bool DriverIsInvisible(const char* driver) {
    return driver && (std::strcmp(driver, "dummy") == 0 || std::strcmp(driver, "offscreen") == 0);
}

}  // namespace

namespace host {

// A game nobody can see is never run.
bool Start() {
    if (!Set("SDL_VIDEODRIVER") && !Set("DISPLAY") && !Set("WAYLAND_DISPLAY")) {
        std::fprintf(stderr,
                     "morvask: no display to show the game on (neither DISPLAY nor "
                     "WAYLAND_DISPLAY is set)\n");
        return false;
    }
    if (!sdl::StartVideo())
        return false;
    if (DriverIsInvisible(SDL_GetCurrentVideoDriver())) {
        std::fprintf(stderr, "morvask: the video driver \"%s\" shows no window\n",
                     SDL_GetCurrentVideoDriver());
        sdl::StopAll();
        return false;
    }
    return true;
}

void Stop() {
    sdl::StopAll();
}

}  // namespace host

namespace platform {

int GetSystemMetrics(int index) {
    if (!sdl::StartVideo())
        return 0;
    SDL_Rect bounds{};
    if (SDL_GetDisplayBounds(0, &bounds) != 0)
        return 0;
    if (index == SM_CXSCREEN)
        return bounds.w;
    if (index == SM_CYSCREEN)
        return bounds.h;
    return 0;
}

}  // namespace platform
