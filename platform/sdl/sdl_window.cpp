// The desktop window of the SDL2 backend: the fixed-size game window, its
// message loop and window timers, the modal message boxes, the keyboard and
// mouse, and the showing of every frame that the game copies to the window.
#include <SDL.h>
#include <png.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <vector>

#include "platform/key_map.h"
#include "platform/platform.h"
#include "platform/sdl/sdl_backend.h"
#include "platform/sdl/sdl_controls.h"
#include "platform/software/resources.h"
#include "platform/software/surfaces.h"

struct platform::WindowData {
    SDL_Window* sdlWindow = nullptr;
    SDL_Renderer* renderer = nullptr;
    SDL_Texture* texture = nullptr;
    platform::WindowProcedure procedure = nullptr;
    bool destroyed = false;
    // The activation and size state as last told to the window procedure,
    // so that each change is delivered once however SDL reports it.
    bool active = false;
    bool minimized = false;
};

namespace {

constexpr int ClientWidth = 960;
constexpr int ClientHeight = 704;
// The game asks for outer sizes: what a captioned, fixed-size window adds
// to its client area on Windows.
constexpr int FrameExtraWidth = 6;
constexpr int FrameExtraHeight = 28;

constexpr uintptr_t MK_LBUTTON = 0x0001;
constexpr uintptr_t MK_RBUTTON = 0x0002;
constexpr uintptr_t MK_SHIFT = 0x0004;
constexpr uintptr_t MK_CONTROL = 0x0008;
constexpr uintptr_t MK_MBUTTON = 0x0010;

struct WindowTimer {
    uint32_t periodMs = 10;
    uint64_t dueMs = 0;
};

struct DesktopState {
    bool videoStarted = false;
    platform::WindowProcedure classProcedure = nullptr;
    int iconResource = 0;
    platform::WindowData window;
    bool windowCreated = false;
    platform::Surface windowSurface = nullptr;
    SDL_Cursor* cursor = nullptr;
    std::map<uintptr_t, WindowTimer> timers;
    bool quitPosted = false;
    int quitCode = 0;
};

DesktopState State;

bool WindowLive() {
    return State.windowCreated && !State.window.destroyed && State.window.sdlWindow;
}

void Deliver(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (!State.windowCreated || State.window.destroyed || !State.window.procedure)
        return;
    State.window.procedure(&State.window, message, wParam, lParam);
}

intptr_t PackPoint(int x, int y) {
    // MAKELPARAM: each coordinate as 16 bits, negative ones included.
    return intptr_t(uint32_t((uint32_t(y) & 0xFFFF) << 16 | (uint32_t(x) & 0xFFFF)));
}

// ---- Showing frames ------------------------------------------------------

void ShowPicture(const platform::SurfaceData& picture) {
    platform::WindowData& window = State.window;
    if (!WindowLive() || !window.texture)
        return;
    SDL_UpdateTexture(window.texture, nullptr, picture.pixels.data(), picture.width * 4);
    if (window.minimized)
        return;
    SDL_SetRenderDrawColor(window.renderer, 0, 0, 0, 255);
    SDL_RenderClear(window.renderer);
    SDL_RenderCopy(window.renderer, window.texture, nullptr, nullptr);
    SDL_RenderPresent(window.renderer);
}

// Shows the window's surface again (it holds the last frame copied to the
// window, black before the first), after the window was covered, restored
// or first shown.
void Redraw() {
    if (!State.windowSurface)
        State.windowSurface = software::WindowSurface(ClientWidth, ClientHeight);
    ShowPicture(*State.windowSurface);
}

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

// ---- Activation ----------------------------------------------------------

void SetActive(bool active) {
    if (!WindowLive() || State.window.active == active)
        return;
    State.window.active = active;
    Deliver(platform::WM_ACTIVATE, active ? platform::WA_ACTIVE : platform::WA_INACTIVE, 0);
}

// Follows the keyboard focus as SDL knows it after reading every pending
// event, so that a focus change that was undone before it was read is
// never delivered.
void FollowFocus() {
    if (!WindowLive())
        return;
    uint32_t flags = SDL_GetWindowFlags(State.window.sdlWindow);
    SetActive((flags & SDL_WINDOW_INPUT_FOCUS) != 0 && !State.window.minimized);
}

// Forgets what the window received while a message box was open: the box had
// the keyboard (keys that reached the window meanwhile are not the game's),
// and it took the focus and gave it back, which the window was told already.
void DropEventsOfBox() {
    SDL_PumpEvents();
    SDL_FlushEvents(SDL_KEYDOWN, SDL_TEXTINPUT);
    std::vector<SDL_Event> kept;
    SDL_Event event;
    while (SDL_PeepEvents(&event, 1, SDL_GETEVENT, SDL_WINDOWEVENT, SDL_WINDOWEVENT) == 1) {
        if (event.window.event != SDL_WINDOWEVENT_FOCUS_GAINED &&
            event.window.event != SDL_WINDOWEVENT_FOCUS_LOST)
            kept.push_back(event);
    }
    if (!kept.empty())
        SDL_PeepEvents(kept.data(), int(kept.size()), SDL_ADDEVENT, 0, 0);
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
    platform::WindowData& window = State.window;
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
                        PackPoint(ClientWidth, ClientHeight));
                FollowFocus();
                Redraw();
            }
            break;
        case SDL_WINDOWEVENT_FOCUS_GAINED:
        case SDL_WINDOWEVENT_FOCUS_LOST:
            FollowFocus();
            break;
        case SDL_WINDOWEVENT_SHOWN:
        case SDL_WINDOWEVENT_EXPOSED:
        case SDL_WINDOWEVENT_SIZE_CHANGED:
            Redraw();
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
        case SDL_KEYDOWN: {
            int volumeSteps = 0;
            if (sdl::IsVolumeKey(event.key.keysym, volumeSteps)) {
                sdl::StepVolume(volumeSteps);
                break;
            }
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
        case SDL_MOUSEMOTION:
            Deliver(platform::WM_MOUSEMOVE, MouseKeyFlags(),
                    PackPoint(event.motion.x, event.motion.y));
            break;
        case SDL_RENDER_TARGETS_RESET:
        case SDL_RENDER_DEVICE_RESET:
            Redraw();
            break;
        default:
            // SDL_QUIT is ignored: closing the window arrives as its own event.
            break;
    }
}

// Like window timers: a tick that falls due while the program is busy is
// delivered once, late, and the ticks missed meanwhile are not made up.
void DeliverDueTimers() {
    if (State.timers.empty())
        return;
    std::vector<uintptr_t> ids;
    for (const auto& [id, timer] : State.timers)
        ids.push_back(id);
    for (uintptr_t id : ids) {
        auto found = State.timers.find(id);
        if (found == State.timers.end())
            continue;
        uint64_t now = SDL_GetTicks64();
        WindowTimer& timer = found->second;
        if (now < timer.dueMs)
            continue;
        timer.dueMs += timer.periodMs;
        if (timer.dueMs <= now)
            timer.dueMs = now + timer.periodMs;
        Deliver(platform::WM_TIMER, id, 0);
        if (State.quitPosted)
            return;
    }
}

// Milliseconds until the next timer falls due; -1 when no timer is set.
int MillisecondsToNextTimer() {
    if (State.timers.empty())
        return -1;
    uint64_t due = UINT64_MAX;
    for (const auto& [id, timer] : State.timers)
        due = std::min(due, timer.dueMs);
    uint64_t now = SDL_GetTicks64();
    return due <= now ? 0 : int(std::min<uint64_t>(due - now, 1000));
}

}  // namespace

namespace sdl {

bool StartVideo() {
    if (State.videoStarted)
        return true;
    // Ctrl+C and kill end the program as usual; SDL would turn them into a
    // quit event that the game does not know.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_SetHint(SDL_HINT_APP_NAME, "Morvask");
    // A game in a window, not a full-screen one: leave the compositor on.
    SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
    // The frame is scaled with sharp pixels, and presenting never waits for
    // the screen's refresh, so the ticks keep their pace on any display.
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "0");
    SDL_SetHint(SDL_HINT_RENDER_VSYNC, "0");
    // SDL's own drawing into the window's frame buffer: one copy per frame
    // costs little, and it starts in a few milliseconds and a few megabytes
    // where a 3D driver takes a tenth of a second and tens of megabytes.
    // SDL_RENDER_DRIVER in the environment still chooses another.
    SDL_SetHint(SDL_HINT_RENDER_DRIVER, "software");
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "morvask: cannot open the display: %s\n", SDL_GetError());
        return false;
    }
    // The game reads keys, not text: no input method is wanted.
    SDL_StopTextInput();
    State.videoStarted = true;
    return true;
}

void StopAll() {
    SDL_Quit();
}

}  // namespace sdl

namespace platform {

void RegisterClass(const char*, uint32_t, int iconResource, WindowProcedure procedure) {
    State.classProcedure = procedure;
    State.iconResource = iconResource;
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
        clientWidth = ClientWidth;
        clientHeight = ClientHeight;
    }
    // SDL's position is that of the client area; a window manager that
    // honours it places the frame's corner there, as Windows does. A window
    // that is not resizable gets neither sizing border nor maximise button.
    SDL_Window* sdlWindow = SDL_CreateWindow(titleUtf8, x, y, clientWidth, clientHeight,
                                             SDL_WINDOW_HIDDEN | SDL_WINDOW_ALLOW_HIGHDPI);
    if (!sdlWindow) {
        std::fprintf(stderr, "morvask: cannot create the window: %s\n", SDL_GetError());
        return nullptr;
    }
    WindowData& window = State.window;
    window = WindowData{};
    window.sdlWindow = sdlWindow;
    window.procedure = State.classProcedure;
    window.renderer = SDL_CreateRenderer(sdlWindow, -1, 0);
    if (!window.renderer)
        window.renderer = SDL_CreateRenderer(sdlWindow, -1, SDL_RENDERER_SOFTWARE);
    if (window.renderer) {
        // On a high-density display the field keeps its size in pixels of
        // the game, and mouse positions arrive in them.
        SDL_RenderSetLogicalSize(window.renderer, ClientWidth, ClientHeight);
        window.texture = SDL_CreateTexture(window.renderer, SDL_PIXELFORMAT_RGB888,
                                           SDL_TEXTUREACCESS_STREAMING, ClientWidth, ClientHeight);
    }
    if (SDL_Surface* icon = DecodeIcon(State.iconResource)) {
        SDL_SetWindowIcon(sdlWindow, icon);
        SDL_FreeSurface(icon);
    }
    if (!State.cursor)
        State.cursor = SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_CROSSHAIR);
    if (State.cursor)
        SDL_SetCursor(State.cursor);
    State.windowCreated = true;
    software::SetPresentHook(ShowPicture);
    return &window;
}

void ShowWindow(Window window, int) {
    if (window != &State.window || !WindowLive())
        return;
    SDL_ShowWindow(window->sdlWindow);
    SDL_RaiseWindow(window->sdlWindow);
    // A new window is shown restored and becomes the active one.
    Deliver(WM_SIZE, SIZE_RESTORED, PackPoint(ClientWidth, ClientHeight));
    SetActive(true);
    Redraw();
}

void UpdateWindow(Window window) {
    if (window == &State.window)
        Redraw();
}

int RunMessageLoop() {
    while (!State.quitPosted) {
        SDL_Event event;
        int wait = MillisecondsToNextTimer();
        int got = 0;
        if (wait == 0)
            got = SDL_PollEvent(&event);
        else
            // Without a timer (minimised, or a box's owner) the program sleeps.
            got = SDL_WaitEventTimeout(&event, wait < 0 ? 1000 : wait);
        if (got)
            HandleEvent(event);
        if (!State.quitPosted)
            DeliverDueTimers();
    }
    return State.quitCode;
}

void PostQuitMessage(int exitCode) {
    State.quitPosted = true;
    State.quitCode = exitCode;
}

intptr_t DefWindowProc(Window window, uint32_t message, uintptr_t, intptr_t) {
    if (message == WM_CLOSE && window == &State.window && WindowLive()) {
        SDL_HideWindow(window->sdlWindow);
        State.timers.clear();
        // Destroying the window sends WM_DESTROY before it returns.
        Deliver(WM_DESTROY, 0, 0);
        window->destroyed = true;
        if (window->texture)
            SDL_DestroyTexture(window->texture);
        if (window->renderer)
            SDL_DestroyRenderer(window->renderer);
        SDL_DestroyWindow(window->sdlWindow);
        window->texture = nullptr;
        window->renderer = nullptr;
        window->sdlWindow = nullptr;
    }
    return 0;
}

void SetTimer(Window window, uintptr_t timerId, uint32_t periodMs) {
    if (window != &State.window || window->destroyed)
        return;
    // Windows raises shorter periods to 10 ms.
    uint32_t period = periodMs < 10 ? 10 : periodMs;
    State.timers[timerId] = WindowTimer{.periodMs = period, .dueMs = SDL_GetTicks64() + period};
}

void KillTimer(Window, uintptr_t timerId) {
    State.timers.erase(timerId);
}

namespace {
const char* OkText = "确定";
const char* YesText = "是";
const char* NoText = "否";
}  // namespace

void SetBoxButtonTexts(const char* ok, const char* yes, const char* no) {
    OkText = ok;
    YesText = yes;
    NoText = no;
}

int MessageBox(Window owner, const char* textUtf8, const char* captionUtf8, uint32_t type) {
    bool yesNo = (type & 0xF) == MB_YESNO;
    bool owned = owner == &State.window && WindowLive();
    bool hadFocus = owned && (SDL_GetWindowFlags(owner->sdlWindow) & SDL_WINDOW_INPUT_FOCUS) != 0;
    // The owner is inactive while its box is open, and active again after.
    if (owned)
        SetActive(false);

    const SDL_MessageBoxButtonData okButtons[] = {
        {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, IDOK,
         OkText},
    };
    const SDL_MessageBoxButtonData yesNoButtons[] = {
        {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, IDYES, YesText},
        {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, IDNO, NoText},
    };
    uint32_t flags = SDL_MESSAGEBOX_BUTTONS_LEFT_TO_RIGHT;
    if ((type & 0xF0) == MB_ICONWARNING)
        flags |= SDL_MESSAGEBOX_WARNING;
    SDL_MessageBoxData box{};
    box.flags = flags;
    box.window = owned ? owner->sdlWindow : nullptr;
    box.title = captionUtf8 ? captionUtf8 : "";
    box.message = textUtf8 ? textUtf8 : "";
    box.numbuttons = yesNo ? 2 : 1;
    box.buttons = yesNo ? yesNoButtons : okButtons;

    int pressed = -1;
    int answer = yesNo ? IDNO : IDOK;
    if (SDL_ShowMessageBox(&box, &pressed) != 0) {
        // No box can be shown (no display, no font): say it where it can be
        // read and take the answer that changes nothing, so the game goes on.
        std::fprintf(stderr, "morvask: %s: %s [%s]\n", box.title, box.message, yesNo ? "no" : "ok");
        std::fflush(stderr);
    } else if (pressed == IDOK || pressed == IDYES || pressed == IDNO) {
        answer = pressed;
    }

    if (owned && WindowLive()) {
        DropEventsOfBox();
        // Closing an owned box gives the keyboard back to its owner.
        if (hadFocus && !State.window.minimized)
            SDL_SetWindowInputFocus(owner->sdlWindow);
        SetActive(true);
    }
    return answer;
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
    return keymap::GameKeyDown(virtualKey, KeyboardKeyDown) ? int16_t(0x8000) : int16_t(0);
}

Surface GetDC(Window) {
    if (!State.windowSurface)
        State.windowSurface = software::WindowSurface(ClientWidth, ClientHeight);
    return State.windowSurface;
}

}  // namespace platform
