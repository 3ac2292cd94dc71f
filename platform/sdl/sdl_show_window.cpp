// Showing the window on X11 even when the window manager loses the request:
// SDL waits, without end, for the window to be mapped, and a window manager
// still starting up can drop the map request it was sent.
#include <SDL.h>
#include <SDL_syswm.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <string>
#include <thread>

#include "platform/sdl/sdl_desktop.h"

#if defined(MORVASK_HAVE_X11)
#include <X11/Xlib.h>
#endif

namespace sdl {

namespace {

#if defined(MORVASK_HAVE_X11)

// How long a window manager may take to map the window before it is asked
// again; a running one answers within milliseconds.
constexpr auto RemapAfter = std::chrono::milliseconds(1000);

struct MapWatch {
    std::mutex lock;
    std::condition_variable changed;
    bool shown = false;
};

// Whether the window still waits for its mapping, asked on a connection of
// its own, since the game's own is blocked inside SDL.
bool StillUnmapped(Display* display, ::Window window) {
    XWindowAttributes attributes{};
    return XGetWindowAttributes(display, window, &attributes) && attributes.map_state == IsUnmapped;
}

// Runs beside SDL_ShowWindow: each time the window is not mapped in time,
// it asks again, which reaches the window manager as a new map request.
void WatchMapping(MapWatch& watch, std::string displayName, ::Window window) {
    Display* display = nullptr;
    std::unique_lock<std::mutex> held(watch.lock);
    while (!watch.changed.wait_for(held, RemapAfter, [&] { return watch.shown; })) {
        if (!display && !(display = XOpenDisplay(displayName.c_str())))
            return;
        if (!StillUnmapped(display, window))
            continue;
        std::fprintf(stderr,
                     "morvask: the window manager has not shown the window yet; asking again\n");
        XMapRaised(display, window);
        XFlush(display);
    }
    if (display)
        XCloseDisplay(display);
}

// The X11 display and window of an SDL window, when it has them.
bool X11WindowOf(SDL_Window* window, std::string& displayName, ::Window& x11Window) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11)
        return false;
    const char* name = DisplayString(info.info.x11.display);
    displayName = name ? name : "";
    x11Window = info.info.x11.window;
    return true;
}

#endif

}  // namespace

void ShowWindowSurely(SDL_Window* window) {
#if defined(MORVASK_HAVE_X11)
    std::string displayName;
    ::Window x11Window = 0;
    if (X11WindowOf(window, displayName, x11Window)) {
        MapWatch watch;
        std::thread watcher(WatchMapping, std::ref(watch), displayName, x11Window);
        SDL_ShowWindow(window);
        {
            std::lock_guard<std::mutex> held(watch.lock);
            watch.shown = true;
        }
        watch.changed.notify_one();
        watcher.join();
        return;
    }
#endif
    SDL_ShowWindow(window);
}

}  // namespace sdl
