// The desktop window of the SDL2 backend: the game's window, its message
// loop and window timers.
#include <SDL.h>
#include <png.h>
#include <signal.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/input/key_map.h"
#include "platform/platform.h"
#include "platform/sdl/sdl_desktop.h"
#include "platform/shared/resources.h"
#include "platform/shared/surfaces.h"

namespace {

using sdl::Deliver;
using sdl::Desktop;
using sdl::FieldHeight;
using sdl::FieldWidth;
using sdl::HandleWindowKey;
using sdl::MouseKeyFlags;
using sdl::Redraw;
using sdl::RunReplayLoop;
using sdl::SetActive;
using sdl::VirtualKeyOf;
using sdl::WindowLive;

// The game asks for outer sizes: what a captioned, fixed-size window adds
// to its client area on Windows.
constexpr int FrameExtraWidth = 6;
constexpr int FrameExtraHeight = 28;

SDL_Surface* DecodeIcon(int resourceId) {
    shared::ResourceBytes bytes = shared::FindResource(resourceId);
    if (!bytes.data)
        return nullptr;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, bytes.data, bytes.size))
        return nullptr;
    // BGRA bytes are SDL's ARGB8888 words on a little-endian machine.
    image.format = SDL_BYTEORDER == SDL_LIL_ENDIAN ? PNG_FORMAT_BGRA : PNG_FORMAT_ARGB;
    SDL_Surface* icon = SDL_CreateRGBSurfaceWithFormat(0, int(image.width), int(image.height), 32,
                                                       SDL_PIXELFORMAT_ARGB8888);
    if (!icon) {
        png_image_free(&image);
        return nullptr;
    }
    if (!png_image_finish_read(&image, nullptr, icon->pixels, icon->pitch, nullptr)) {
        SDL_FreeSurface(icon);
        return nullptr;
    }
    return icon;
}

// Follows the keyboard focus as SDL knows it after reading every pending
// event, so that a focus change that was undone before it was read is
// never delivered.
void FollowFocus() {
    if (!sdl::WindowLive())
        return;
    uint32_t flags = SDL_GetWindowFlags(Desktop.window.sdlWindow);
    sdl::SetActive((flags & SDL_WINDOW_INPUT_FOCUS) != 0 && !Desktop.window.minimized);
}

// ---- The message loop ----------------------------------------------------

void HandleWindowEvent(const SDL_WindowEvent& event) {
    platform::WindowData& window = Desktop.window;
    switch (event.event) {
        case SDL_WINDOWEVENT_CLOSE:
            Deliver(platform::WM_CLOSE, 0, 0);
            break;
        case SDL_WINDOWEVENT_MINIMIZED:
            if (!window.minimized) {
                window.minimized = true;
                SetActive(false);
                Deliver(platform::WM_SIZE, platform::SIZE_MINIMIZED, 0);
            }
            break;
        case SDL_WINDOWEVENT_RESTORED:
            if (window.minimized) {
                window.minimized = false;
                Deliver(platform::WM_SIZE, platform::SIZE_RESTORED,
                        platform::PointParam(FieldWidth, FieldHeight));
                FollowFocus();
                sdl::Redraw();
            }
            break;
        case SDL_WINDOWEVENT_FOCUS_GAINED:
        case SDL_WINDOWEVENT_FOCUS_LOST:
            FollowFocus();
            break;
        case SDL_WINDOWEVENT_SHOWN:
        case SDL_WINDOWEVENT_EXPOSED:
        case SDL_WINDOWEVENT_SIZE_CHANGED:
        case SDL_WINDOWEVENT_MAXIMIZED:
            sdl::Redraw();
            break;
        default:
            break;
    }
}

// Start and Back on the driving pad: the key-downs of P and H.
void PadCommand(int virtualKey) {
    Deliver(platform::WM_KEYDOWN, uintptr_t(virtualKey), 1);
}

void HandleEvent(const SDL_Event& event) {
    if (sdl::HandlePadEvent(event, PadCommand))
        return;
    switch (event.type) {
        case SDL_WINDOWEVENT:
            HandleWindowEvent(event.window);
            break;
        case SDL_DROPFILE:
        case SDL_DROPTEXT:
            sdl::HandleDropEvent(event.drop);
            break;
        case SDL_KEYDOWN: {
            if (HandleWindowKey(event.key))
                break;
            int virtualKey = VirtualKeyOf(event.key.keysym);
            if (virtualKey == 0)
                break;
            // A repeat count of 1, and bit 30 set when the key was down before.
            intptr_t lParam = 1 | (event.key.repeat ? intptr_t(1) << 30 : 0);
            int gameKeys[2];
            int count = keymap::KeyDownMessages(virtualKey, gameKeys);
            for (int k = 0; k < count; ++k)
                Deliver(platform::WM_KEYDOWN, uintptr_t(gameKeys[k]), lParam);
            break;
        }
        case SDL_MOUSEMOTION: {
            // The editor paints the cell under the pointer: positions are
            // in field pixels at every scale.
            int x = 0, y = 0;
            sdl::FieldPoint(sdl::CurrentView(), event.motion.x, event.motion.y, x, y);
            Deliver(platform::WM_MOUSEMOVE, MouseKeyFlags(), platform::PointParam(x, y));
            break;
        }
        default:
            // SDL_QUIT is ignored: closing the window arrives as its own event.
            break;
    }
}

// Like window timers: a tick that falls due while the program is busy is
// delivered once, late, and the ticks missed meanwhile are not made up; the
// ticks after it keep their times (see platform/shared/tick_pacer.h).
void DeliverDueTimers() {
    if (Desktop.timers.empty())
        return;
    std::vector<uintptr_t> ids;
    for (const auto& [id, timer] : Desktop.timers)
        ids.push_back(id);
    for (uintptr_t id : ids) {
        auto found = Desktop.timers.find(id);
        if (found == Desktop.timers.end())
            continue;
        int64_t now = shared::MonotonicNanoseconds();
        if (!shared::TakeDueTick(found->second.schedule, now))
            continue;
        shared::ProbeTick(now);
        Deliver(platform::WM_TIMER, id, 0);
        if (Desktop.quitPosted)
            return;
    }
}

// When the next timer falls due (monotonic nanoseconds); -1 when none is set.
int64_t NextTimerDue() {
    if (Desktop.timers.empty())
        return -1;
    int64_t due = INT64_MAX;
    for (const auto& [id, timer] : Desktop.timers)
        due = std::min(due, timer.schedule.dueNs);
    return due;
}

bool TimerDue() {
    const int64_t due = NextTimerDue();
    return due >= 0 && due <= shared::MonotonicNanoseconds();
}

// The events that came while the loop slept, taken before the tick that
// falls due now: the keys the tick polls are then those held at its time,
// not those of before the sleep, and a key pressed during the sleep moves
// the tank on this tick rather than the next. A stream of events that never
// ends (a pointer moving fast) cannot hold the tick back: only those
// already waiting are taken.
void HandleEventsBeforeTick() {
    SDL_PumpEvents();
    int waiting = SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT);
    SDL_Event event;
    for (; waiting > 0 && !Desktop.quitPosted; --waiting) {
        if (SDL_PeepEvents(&event, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) != 1)
            break;
        HandleEvent(event);
    }
}

// Waits for an event until the next timer falls due. A tick a short way off
// (the game's 10 ms) is waited for in one exact sleep on the clock, and the
// events that came meanwhile are taken right after it, before the tick: a thread that wakes
// once a tick is woken on time far more often than one that wakes twice
// (first from SDL's wait, in whole milliseconds, then for the rest), when
// other processes keep the cores busy. A tick further off is waited for in
// SDL's wait until a millisecond before, then by the exact sleep. True when
// an event was taken.
bool WaitForEventOrTimer(SDL_Event& event) {
    int64_t due = NextTimerDue();
    if (due < 0)
        // Without a timer (minimised, or a box's owner) the program sleeps.
        return SDL_WaitEventTimeout(&event, sdl::IndicatorWaitMs(1000)) != 0;
    int64_t left = due - shared::MonotonicNanoseconds();
    constexpr int64_t Ms = 1'000'000;
    if (left > 20 * Ms)
        return SDL_WaitEventTimeout(
                   &event, sdl::IndicatorWaitMs(int(std::min<int64_t>((left - Ms) / Ms, 1000)))) !=
               0;
    if (SDL_PollEvent(&event))
        return true;
    if (left > 0)
        shared::SleepUntil(due);
    return false;
}

}  // namespace

namespace {

volatile std::sig_atomic_t StopSignalNumber = 0;

void NoteStopSignal(int signalNumber) {
    StopSignalNumber = signalNumber;
}

}  // namespace

namespace sdl {

DesktopState Desktop;

int StopSignal() {
    return int(StopSignalNumber);
}

bool WindowLive() {
    return Desktop.windowCreated && !Desktop.window.destroyed && Desktop.window.sdlWindow;
}

void Deliver(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (!Desktop.windowCreated || Desktop.window.destroyed || !Desktop.window.procedure)
        return;
    // Once the message loop runs, a message delivered while the window
    // procedure is not running comes from outside: the user, the window
    // system or the timer. The rest follow from the game's own calls.
    const bool outside = Desktop.loopRunning && Desktop.deliveryDepth == 0;
    if (outside && Desktop.recorder.arriving)
        Desktop.recorder.arriving(message, wParam, lParam);
    ++Desktop.deliveryDepth;
    Desktop.window.procedure(&Desktop.window, message, wParam, lParam);
    --Desktop.deliveryDepth;
    if (outside && Desktop.recorder.done)
        Desktop.recorder.done(message, wParam);
}

bool HandleWindowKey(const SDL_KeyboardEvent& key) {
    if (sdl::IsFullscreenKey(key)) {
        if (!key.repeat)
            sdl::ToggleFullscreen();
        return true;
    }
    if (sdl::IsScaleModeKey(key)) {
        if (!key.repeat)
            sdl::StepScaleMode();
        return true;
    }
    int volumeSteps = 0;
    if (sdl::IsVolumeKey(key.keysym, volumeSteps)) {
        host::StepVolume(volumeSteps);
        sdl::IndicateVolume(host::Volume());
        return true;
    }
    return false;
}

void SetActive(bool active) {
    if (!WindowLive() || Desktop.window.active == active)
        return;
    Desktop.window.active = active;
    Deliver(platform::WM_ACTIVATE, active ? platform::WA_ACTIVE : platform::WA_INACTIVE, 0);
}

}  // namespace sdl

namespace host {

void StopOnSignals() {
    struct sigaction action {};
    action.sa_handler = NoteStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

void SetInputRecorder(const InputRecorder& recorder) {
    sdl::Desktop.recorder = recorder;
}

void SetWindowOptions(const WindowOptions& options) {
    sdl::Desktop.options = options;
}

void EndGameInWindow() {
    using sdl::Desktop;
    platform::WindowData& window = Desktop.window;
    Desktop.timers.clear();
    if (sdl::WindowLive()) {
        SDL_HideWindow(window.sdlWindow);
        SDL_DestroyWindow(window.sdlWindow);
    }
    window.sdlWindow = nullptr;
    window.destroyed = true;
    Desktop.windowCreated = false;
    platform::PostQuitMessage(0);
}

}  // namespace host

namespace platform {

void RegisterClass(const char*, uint32_t, int iconResource, WindowProcedure procedure) {
    Desktop.classProcedure = procedure;
    Desktop.iconResource = iconResource;
}

Window CreateWindow(const char*, const char* titleUtf8, uint32_t, int x, int y, int width,
                    int height) {
    if (!sdl::StartVideo())
        return nullptr;
    int clientWidth = width - FrameExtraWidth;
    int clientHeight = height - FrameExtraHeight;
    if (clientWidth <= 0 || clientHeight <= 0) {
        clientWidth = FieldWidth;
        clientHeight = FieldHeight;
    }
    // SDL's position is that of the client area; a window manager that
    // honours it places the frame's corner there, as Windows does. The
    // window is sized for the screen before it is shown.
    SDL_Window* sdlWindow =
        SDL_CreateWindow(titleUtf8, x, y, clientWidth, clientHeight,
                         SDL_WINDOW_HIDDEN | SDL_WINDOW_ALLOW_HIGHDPI | SDL_WINDOW_RESIZABLE);
    if (!sdlWindow) {
        std::fprintf(stderr, "morvask: cannot create the window: %s\n", SDL_GetError());
        return nullptr;
    }
    // A window after a game that ended in this process starts a new run.
    if (Desktop.quitPosted) {
        Desktop.quitPosted = false;
        Desktop.quitCode = 0;
        Desktop.closeRequested = false;
        Desktop.loopRunning = false;
        Desktop.replayStopped = false;
    }
    WindowData& window = Desktop.window;
    window = WindowData{};
    window.sdlWindow = sdlWindow;
    window.procedure = Desktop.classProcedure;
    if (SDL_Surface* icon = DecodeIcon(Desktop.iconResource)) {
        SDL_SetWindowIcon(sdlWindow, icon);
        SDL_FreeSurface(icon);
    }
    if (!Desktop.cursor)
        Desktop.cursor = SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_CROSSHAIR);
    if (Desktop.cursor)
        SDL_SetCursor(Desktop.cursor);
    Desktop.windowCreated = true;
    Desktop.windowTitle = titleUtf8 ? titleUtf8 : "";
    if (Desktop.replaying)
        sdl::ShowReplayTitle();
    sdl::PrepareWindow(sdlWindow);
    if (!sdl::CanShow()) {
        // A window nobody can see the game in is no use: say so and stop.
        std::fprintf(stderr, "morvask: cannot draw into the window: %s\n", SDL_GetError());
        SDL_DestroyWindow(sdlWindow);
        window = WindowData{};
        Desktop.windowCreated = false;
        return nullptr;
    }
    shared::SetPresentHook(sdl::PresentGameFrame);
    return &window;
}

void ShowWindow(Window window, int) {
    if (window != &Desktop.window || !WindowLive())
        return;
    sdl::ShowWindowSurely(window->sdlWindow);
    SDL_RaiseWindow(window->sdlWindow);
    // A new window is shown restored and becomes the active one.
    Deliver(WM_SIZE, SIZE_RESTORED, platform::PointParam(FieldWidth, FieldHeight));
    SetActive(true);
    Redraw();
}

void UpdateWindow(Window window) {
    if (window == &Desktop.window)
        Redraw();
}

int RunMessageLoop() {
    Desktop.loopRunning = true;
    if (Desktop.replaying)
        return RunReplayLoop();
    sdl::DropPendingText();
    while (!Desktop.quitPosted) {
        if (sdl::StopSignal() != 0) {
            // Between two messages: what the run did so far is whole.
            PostQuitMessage(128 + sdl::StopSignal());
            break;
        }
        if (Desktop.closeRequested) {
            // The close asked for while a box was open.
            Desktop.closeRequested = false;
            Deliver(WM_CLOSE, 0, 0);
            continue;
        }
        sdl::ExpireIndicator();
        SDL_Event event;
        if (WaitForEventOrTimer(event))
            HandleEvent(event);
        if (!Desktop.quitPosted && TimerDue())
            HandleEventsBeforeTick();
        if (!Desktop.quitPosted)
            DeliverDueTimers();
    }
    return Desktop.quitCode;
}

void PostQuitMessage(int exitCode) {
    Desktop.quitPosted = true;
    Desktop.quitCode = exitCode;
}

intptr_t DefWindowProc(Window window, uint32_t message, uintptr_t, intptr_t) {
    if (message == WM_CLOSE && window == &Desktop.window && WindowLive()) {
        SDL_HideWindow(window->sdlWindow);
        Desktop.timers.clear();
        // Destroying the window sends WM_DESTROY before it returns.
        Deliver(WM_DESTROY, 0, 0);
        window->destroyed = true;
        SDL_DestroyWindow(window->sdlWindow);
        window->sdlWindow = nullptr;
    }
    return 0;
}

void SetTimer(Window window, uintptr_t timerId, uint32_t periodMs) {
    if (window != &Desktop.window || window->destroyed)
        return;
    // Windows raises shorter periods to 10 ms.
    uint32_t period = periodMs < 10 ? 10 : periodMs;
    shared::AskForPromptWakeUps();
    shared::ProbeTimerStart();
    Desktop.timers[timerId] =
        sdl::WindowTimer{.schedule = shared::StartSchedule(int64_t(period) * 1'000'000,
                                                           shared::MonotonicNanoseconds())};
}

void KillTimer(Window, uintptr_t timerId) {
    Desktop.timers.erase(timerId);
}

Surface GetDC(Window) {
    if (!Desktop.windowSurface)
        Desktop.windowSurface = shared::WindowSurface(FieldWidth, FieldHeight);
    return Desktop.windowSurface;
}

}  // namespace platform
