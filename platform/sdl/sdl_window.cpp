// The desktop window of the SDL2 backend: the game's window, its message
// loop and window timers, the keyboard and the mouse.
#include <SDL.h>
#include <X11/Xlib.h>
#include <X11/Xproto.h>
#include <png.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/input/key_map.h"
#include "platform/platform.h"
#include "platform/sdl/sdl_controls.h"
#include "platform/sdl/sdl_desktop.h"
#include "platform/shared/resources.h"
#include "platform/shared/surfaces.h"

namespace {

using sdl::Deliver;
using sdl::Desktop;
using sdl::FieldHeight;
using sdl::FieldWidth;
using sdl::PackPoint;
using sdl::Redraw;
using sdl::SetActive;
using sdl::WindowLive;

// The game asks for outer sizes: what a captioned, fixed-size window adds
// to its client area on Windows.
constexpr int FrameExtraWidth = 6;
constexpr int FrameExtraHeight = 28;

constexpr uintptr_t MK_LBUTTON = 0x0001;
constexpr uintptr_t MK_RBUTTON = 0x0002;
constexpr uintptr_t MK_SHIFT = 0x0004;
constexpr uintptr_t MK_CONTROL = 0x0008;
constexpr uintptr_t MK_MBUTTON = 0x0010;

SDL_Surface* DecodeIcon(int resourceId) {
    software::ResourceBytes bytes = software::FindResource(resourceId);
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

// ---- Keys ----------------------------------------------------------------

struct KeyName {
    int virtualKey;
    SDL_Scancode scancode;
};

// The keys that do not depend on the keyboard layout. Letters go by the
// letter the key types, so they are not here.
constexpr KeyName FixedKeys[] = {
    {0x08, SDL_SCANCODE_BACKSPACE}, {0x09, SDL_SCANCODE_TAB},    {0x0D, SDL_SCANCODE_RETURN},
    {0x0D, SDL_SCANCODE_KP_ENTER},  {0x10, SDL_SCANCODE_LSHIFT}, {0x10, SDL_SCANCODE_RSHIFT},
    {0x11, SDL_SCANCODE_LCTRL},     {0x11, SDL_SCANCODE_RCTRL},  {0x12, SDL_SCANCODE_LALT},
    {0x12, SDL_SCANCODE_RALT},      {0x13, SDL_SCANCODE_PAUSE},  {0x1B, SDL_SCANCODE_ESCAPE},
    {0x20, SDL_SCANCODE_SPACE},     {0x21, SDL_SCANCODE_PAGEUP}, {0x22, SDL_SCANCODE_PAGEDOWN},
    {0x23, SDL_SCANCODE_END},       {0x24, SDL_SCANCODE_HOME},   {0x25, SDL_SCANCODE_LEFT},
    {0x26, SDL_SCANCODE_UP},        {0x27, SDL_SCANCODE_RIGHT},  {0x28, SDL_SCANCODE_DOWN},
    {0x2D, SDL_SCANCODE_INSERT},    {0x2E, SDL_SCANCODE_DELETE}, {'0', SDL_SCANCODE_0},
    {'1', SDL_SCANCODE_1},          {'2', SDL_SCANCODE_2},       {'3', SDL_SCANCODE_3},
    {'4', SDL_SCANCODE_4},          {'5', SDL_SCANCODE_5},       {'6', SDL_SCANCODE_6},
    {'7', SDL_SCANCODE_7},          {'8', SDL_SCANCODE_8},       {'9', SDL_SCANCODE_9},
    {0x60, SDL_SCANCODE_KP_0},      {0x61, SDL_SCANCODE_KP_1},   {0x62, SDL_SCANCODE_KP_2},
    {0x63, SDL_SCANCODE_KP_3},      {0x64, SDL_SCANCODE_KP_4},   {0x65, SDL_SCANCODE_KP_5},
    {0x66, SDL_SCANCODE_KP_6},      {0x67, SDL_SCANCODE_KP_7},   {0x68, SDL_SCANCODE_KP_8},
    {0x69, SDL_SCANCODE_KP_9},      {0x70, SDL_SCANCODE_F1},     {0x71, SDL_SCANCODE_F2},
    {0x72, SDL_SCANCODE_F3},        {0x73, SDL_SCANCODE_F4},     {0x74, SDL_SCANCODE_F5},
    {0x75, SDL_SCANCODE_F6},        {0x76, SDL_SCANCODE_F7},     {0x77, SDL_SCANCODE_F8},
    {0x78, SDL_SCANCODE_F9},        {0x79, SDL_SCANCODE_F10},    {0x7A, SDL_SCANCODE_F11},
    {0x7B, SDL_SCANCODE_F12},
};

int VirtualKeyOf(const SDL_Keysym& key) {
    if (key.sym >= SDLK_a && key.sym <= SDLK_z)
        return 'A' + (key.sym - SDLK_a);
    for (const KeyName& name : FixedKeys)
        if (name.scancode == key.scancode)
            return name.virtualKey;
    // A key of a layout without Latin letters stands for the letter of its
    // place, as the layouts of Windows give their letter keys.
    if (key.scancode >= SDL_SCANCODE_A && key.scancode <= SDL_SCANCODE_Z)
        return 'A' + (key.scancode - SDL_SCANCODE_A);
    return 0;
}

bool LetterIsDown(int letter, const Uint8* keys) {
    SDL_Scancode typing = SDL_GetScancodeFromKey(SDL_Keycode(SDLK_a + (letter - 'A')));
    if (typing != SDL_SCANCODE_UNKNOWN)
        return keys[typing] != 0;
    return keys[SDL_SCANCODE_A + (letter - 'A')] != 0;
}

uintptr_t MouseKeyFlags() {
    uint32_t buttons = SDL_GetMouseState(nullptr, nullptr);
    SDL_Keymod mods = SDL_GetModState();
    uintptr_t flags = 0;
    if (buttons & SDL_BUTTON_LMASK)
        flags |= MK_LBUTTON;
    if (buttons & SDL_BUTTON_RMASK)
        flags |= MK_RBUTTON;
    if (buttons & SDL_BUTTON_MMASK)
        flags |= MK_MBUTTON;
    if (mods & KMOD_SHIFT)
        flags |= MK_SHIFT;
    if (mods & KMOD_CTRL)
        flags |= MK_CONTROL;
    return flags;
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
                        PackPoint(FieldWidth, FieldHeight));
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

// The window's own keys, which the game never sees: full screen and the
// volume. True when the key was one of them.
bool HandleWindowKey(const SDL_KeyboardEvent& key) {
    if (sdl::IsFullscreenKey(key)) {
        if (!key.repeat)
            sdl::ToggleFullscreen();
        return true;
    }
    int volumeSteps = 0;
    if (sdl::IsVolumeKey(key.keysym, volumeSteps)) {
        sdl::StepVolume(volumeSteps);
        return true;
    }
    return false;
}

void HandleEvent(const SDL_Event& event) {
    if (sdl::HandlePadEvent(event, PadCommand))
        return;
    switch (event.type) {
        case SDL_WINDOWEVENT:
            HandleWindowEvent(event.window);
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
            Deliver(platform::WM_MOUSEMOVE, MouseKeyFlags(), PackPoint(x, y));
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
        int64_t now = software::MonotonicNanoseconds();
        if (!software::TakeDueTick(found->second.schedule, now))
            continue;
        software::ProbeTick(now);
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

// Waits for an event until the next timer falls due. A tick a short way off
// (the game's 10 ms) is waited for in one exact sleep on the clock, and the
// events that came meanwhile are taken right after it: a thread that wakes
// once a tick is woken on time far more often than one that wakes twice
// (first from SDL's wait, in whole milliseconds, then for the rest), when
// other processes keep the cores busy. A tick further off is waited for in
// SDL's wait until a millisecond before, then by the exact sleep. True when
// an event was taken.
bool WaitForEventOrTimer(SDL_Event& event) {
    int64_t due = NextTimerDue();
    if (due < 0)
        // Without a timer (minimised, or a box's owner) the program sleeps.
        return SDL_WaitEventTimeout(&event, 1000) != 0;
    int64_t left = due - software::MonotonicNanoseconds();
    constexpr int64_t Ms = 1'000'000;
    if (left > 20 * Ms)
        return SDL_WaitEventTimeout(&event, int(std::min<int64_t>((left - Ms) / Ms, 1000))) != 0;
    if (SDL_PollEvent(&event))
        return true;
    if (left > 0)
        software::SleepUntil(due);
    return false;
}

// ---- Playing a replay ----------------------------------------------------

// What the viewer may do while a replay plays: nothing of it reaches the
// game. P pauses, closing the window stops, and the window's own keys (full
// screen, volume) work as ever.
void HandleReplayEvent(const SDL_Event& event) {
    if (sdl::HandlePadEvent(event, nullptr))
        return;
    switch (event.type) {
        case SDL_WINDOWEVENT:
            switch (event.window.event) {
                case SDL_WINDOWEVENT_CLOSE:
                    Desktop.replayStopped = true;
                    break;
                case SDL_WINDOWEVENT_SHOWN:
                case SDL_WINDOWEVENT_EXPOSED:
                case SDL_WINDOWEVENT_SIZE_CHANGED:
                case SDL_WINDOWEVENT_MAXIMIZED:
                case SDL_WINDOWEVENT_RESTORED:
                    sdl::Redraw();
                    break;
                default:
                    break;
            }
            break;
        case SDL_KEYDOWN: {
            if (event.key.repeat || HandleWindowKey(event.key))
                break;
            if (VirtualKeyOf(event.key.keysym) == 'P')
                sdl::ToggleReplayPause();
            break;
        }
        default:
            break;
    }
}

// Plays the replay at its speed on the monotonic clock: the n-th tick after
// a start falls due n periods after it. Ticks that fell behind are made up a
// few at a time, so a fast playback keeps its speed when a frame takes
// longer than a period, and the window still answers between them; after a
// pause or a box, or when far behind, the count starts again from now.
int RunReplayLoop() {
    const int64_t period = int64_t(Desktop.replay.tickMs) * 1'000'000 / Desktop.replay.speed;
    constexpr int MostTicksAtOnce = 8;
    int64_t start = software::MonotonicNanoseconds();
    int64_t played = 0;
    bool going = true;
    while (going && !Desktop.replayStopped) {
        if (Desktop.replayPaused) {
            sdl::ShowWaitingFrame();
            SDL_Event event;
            if (SDL_WaitEventTimeout(&event, 500))
                HandleReplayEvent(event);
            Desktop.replayClockStale = true;
            continue;
        }
        int64_t now = software::MonotonicNanoseconds();
        if (Desktop.replayClockStale ||
            now - (start + played * period) > 20 * period + 100'000'000) {
            start = now - period;
            played = 0;
            Desktop.replayClockStale = false;
        }
        SDL_Event event;
        int64_t due = start + (played + 1) * period;
        if (due - now > 2'000'000) {
            sdl::ShowWaitingFrame();
            if (SDL_WaitEventTimeout(&event, int((due - now) / 1'000'000 - 1)))
                HandleReplayEvent(event);
            continue;
        }
        while (SDL_PollEvent(&event))
            HandleReplayEvent(event);
        if (Desktop.replayStopped || Desktop.replayPaused)
            continue;
        software::SleepUntil(due);
        for (int n = 0; n < MostTicksAtOnce && going; ++n) {
            going = Desktop.replay.playTick();
            ++played;
            if (Desktop.replayClockStale ||
                start + (played + 1) * period > software::MonotonicNanoseconds())
                break;
        }
        if (software::MonotonicNanoseconds() - Desktop.lastFrameShownNs >=
            int64_t(Desktop.replay.tickMs) * 1'000'000)
            sdl::ShowWaitingFrame();
    }
    sdl::ShowWaitingFrame();
    return Desktop.quitCode;
}

// ---- X11 errors ------------------------------------------------------------

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

DesktopState Desktop;

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

void SetInputRecorder(const InputRecorder& recorder) {
    Desktop.recorder = recorder;
}

void SetReplayDriver(const ReplayDriver& driver) {
    Desktop.replay = driver;
    Desktop.replaying = driver.playTick != nullptr;
    if (Desktop.replay.speed < 1)
        Desktop.replay.speed = 1;
}

void SetReplayedKeys(const std::bitset<256>& keys) {
    Desktop.replayedKeys = keys;
}

bool DeliverReplayed(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (message == platform::WM_TIMER && Desktop.timers.count(wParam) == 0)
        return false;
    // The game's own calls look at what it was told last, as they did when
    // the run was recorded.
    if (message == platform::WM_ACTIVATE)
        Desktop.window.active = wParam != platform::WA_INACTIVE;
    if (message == platform::WM_SIZE)
        Desktop.replayedMinimized = wParam == platform::SIZE_MINIMIZED;
    Deliver(message, wParam, lParam);
    return true;
}

void PresentGameFrame(const platform::SurfaceData& frame) {
    // A fast playback shows frames as often as the game does at its own
    // pace: drawing every tick's frame would cost the speed asked for.
    if (Desktop.replaying && Desktop.replay.speed > 1) {
        int64_t now = software::MonotonicNanoseconds();
        if (now - Desktop.lastFrameShownNs < int64_t(Desktop.replay.tickMs) * 1'000'000) {
            Desktop.frameWaiting = &frame;
            return;
        }
        Desktop.lastFrameShownNs = now;
    }
    Desktop.frameWaiting = nullptr;
    PresentFrame(&frame);
}

void ShowWaitingFrame() {
    if (!Desktop.frameWaiting)
        return;
    const platform::SurfaceData* frame = Desktop.frameWaiting;
    Desktop.frameWaiting = nullptr;
    Desktop.lastFrameShownNs = software::MonotonicNanoseconds();
    PresentFrame(frame);
}

bool ReplayStoppedByViewer() {
    return Desktop.replayStopped;
}

bool GameSeesMinimized() {
    return Desktop.replaying ? Desktop.replayedMinimized : Desktop.window.minimized;
}

void ToggleReplayPause() {
    Desktop.replayPaused = !Desktop.replayPaused;
    ShowReplayTitle();
}

void ShowReplayTitle() {
    if (!WindowLive())
        return;
    std::string title = Desktop.windowTitle;
    if (Desktop.replayPaused)
        title += " - replay paused (P goes on)";
    else if (Desktop.replay.speed > 1)
        title += " - replay x" + std::to_string(Desktop.replay.speed);
    else
        title += " - replay";
    SDL_SetWindowTitle(Desktop.window.sdlWindow, title.c_str());
}

intptr_t PackPoint(int x, int y) {
    // MAKELPARAM: each coordinate as 16 bits, negative ones included.
    return intptr_t(uint32_t((uint32_t(y) & 0xFFFF) << 16 | (uint32_t(x) & 0xFFFF)));
}

void SetActive(bool active) {
    if (!WindowLive() || Desktop.window.active == active)
        return;
    Desktop.window.active = active;
    Deliver(platform::WM_ACTIVATE, active ? platform::WA_ACTIVE : platform::WA_INACTIVE, 0);
}

void SetWindowOptions(const WindowOptions& options) {
    Desktop.options = options;
}

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

namespace platform {

void RegisterClass(const char*, uint32_t, int iconResource, WindowProcedure procedure) {
    Desktop.classProcedure = procedure;
    Desktop.iconResource = iconResource;
}

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
    software::SetPresentHook(sdl::PresentGameFrame);
    return &window;
}

void ShowWindow(Window window, int) {
    if (window != &Desktop.window || !WindowLive())
        return;
    SDL_ShowWindow(window->sdlWindow);
    SDL_RaiseWindow(window->sdlWindow);
    // A new window is shown restored and becomes the active one.
    Deliver(WM_SIZE, SIZE_RESTORED, PackPoint(FieldWidth, FieldHeight));
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
    while (!Desktop.quitPosted) {
        if (Desktop.closeRequested) {
            // The close asked for while a box was open.
            Desktop.closeRequested = false;
            Deliver(WM_CLOSE, 0, 0);
            continue;
        }
        SDL_Event event;
        if (WaitForEventOrTimer(event))
            HandleEvent(event);
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
    software::AskForPromptWakeUps();
    software::ProbeTimerStart();
    Desktop.timers[timerId] =
        sdl::WindowTimer{.schedule = software::StartSchedule(int64_t(period) * 1'000'000,
                                                             software::MonotonicNanoseconds())};
}

void KillTimer(Window, uintptr_t timerId) {
    Desktop.timers.erase(timerId);
}

// A key of the keyboard or a mouse button as SDL sees it now.
static bool KeyboardKeyDown(int virtualKey) {
    bool down = false;
    if (virtualKey == VK_LBUTTON || virtualKey == VK_RBUTTON || virtualKey == 0x04) {
        uint32_t buttons = SDL_GetMouseState(nullptr, nullptr);
        uint32_t mask = virtualKey == VK_LBUTTON   ? SDL_BUTTON_LMASK
                        : virtualKey == VK_RBUTTON ? SDL_BUTTON_RMASK
                                                   : SDL_BUTTON_MMASK;
        down = (buttons & mask) != 0;
    } else {
        const Uint8* keys = SDL_GetKeyboardState(nullptr);
        if (virtualKey >= 'A' && virtualKey <= 'Z') {
            down = LetterIsDown(virtualKey, keys);
        } else {
            for (const KeyName& name : FixedKeys)
                if (name.virtualKey == virtualKey && keys[name.scancode])
                    down = true;
        }
    }
    return down;
}

int16_t GetAsyncKeyState(int virtualKey) {
    // The keys of a replay are those the game saw, after the key bindings.
    if (Desktop.replaying)
        return virtualKey >= 0 && virtualKey < 256 && Desktop.replayedKeys.test(size_t(virtualKey))
                   ? int16_t(0x8000)
                   : int16_t(0);
    return keymap::GameKeyDown(virtualKey, KeyboardKeyDown) ? int16_t(0x8000) : int16_t(0);
}

Surface GetDC(Window) {
    if (!Desktop.windowSurface)
        Desktop.windowSurface = software::WindowSurface(FieldWidth, FieldHeight);
    return Desktop.windowSurface;
}

}  // namespace platform
