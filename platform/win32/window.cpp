// The window, its messages and timers, and the keyboard, over the real USER
// calls (its message boxes: boxes.cpp). The game's procedure sees the
// window's messages as those of a fixed 960 x 704 window: the backend keeps
// to itself what a scalable window adds (painting, resizing, DPI, full
// screen, volume keys, gamepads) and gives pointer positions in field pixels.
#include <string>

#include "platform/input/key_map.h"
#include "platform/win32/backend.h"

namespace {

platform::WindowProcedure ClassProcedure = nullptr;
// The record of the window being created: messages arrive before
// CreateWindowExA returns its handle (WM_GETMINMAXINFO, WM_NCCREATE, WM_CREATE,
// WM_SIZE), and the game must see those too.
platform::WindowData* WindowBeingCreated = nullptr;
// Whether the game was last told that its window is minimised; the first
// WM_SIZE is always told.
bool GameSeesMinimized = false;
bool GameToldSize = false;
// Whether the game was last told that its window is active, and whether an
// activation was kept from it while a box had the window disabled.
bool GameSeesActive = false;
bool ActivationHeldBack = false;

// Told each time F10 changes the scale mode.
void (*ScaleModeObserver)(host::ScaleMode mode) = nullptr;

bool IsAscii(const char* text) {
    for (const char* c = text; *c; ++c)
        if (static_cast<unsigned char>(*c) >= 0x80)
            return false;
    return true;
}

platform::WindowData* WindowOf(HWND handle) {
    auto* window =
        reinterpret_cast<platform::WindowData*>(::GetWindowLongPtrA(handle, GWLP_USERDATA));
    if (!window && WindowBeingCreated) {
        window = WindowBeingCreated;
        window->handle = handle;
        ::SetWindowLongPtrA(handle, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(window));
    }
    return window;
}

// F10 (a system key on Windows), unless the player gave it to a play action.
bool IsScaleModeKey(UINT message, WPARAM key) {
    if ((message != WM_KEYDOWN && message != WM_SYSKEYDOWN) || key != VK_F10)
        return false;
    int messages[2];
    const int count = keymap::KeyDownMessages(VK_F10, messages);
    return count == 1 && messages[0] == VK_F10;
}

}  // namespace

namespace win32 {

bool WindowKey(HWND window, UINT message, WPARAM key, LPARAM flags) {
    const bool repeat = (flags & (LPARAM(1) << 30)) != 0;
    const bool alt = (flags & (LPARAM(1) << 29)) != 0;
    if ((message == WM_KEYDOWN && key == VK_F11) ||
        (message == WM_SYSKEYDOWN && key == VK_RETURN && alt)) {
        if (!repeat)
            ToggleFullscreen(window);
        return true;
    }
    if (IsScaleModeKey(message, key)) {
        if (!repeat)
            StepScaleMode(window);
        return true;
    }
    if (message != WM_KEYDOWN)
        return false;
    // '+' shares its key with '=' on most layouts: either raises the volume.
    if (key == VK_OEM_PLUS || key == VK_ADD || key == VK_OEM_MINUS || key == VK_SUBTRACT) {
        host::StepVolume(key == VK_OEM_PLUS || key == VK_ADD ? 1 : -1);
        IndicateVolume();
        return true;
    }
    return false;
}

}  // namespace win32

namespace {

// Start and Back on the driving pad: the key-downs of P and H, or in an
// online game (no key-down reaches it) keys the player's next poll reads.
void PadCommand(HWND handle, int virtualKey) {
    platform::WindowData* window = WindowOf(handle);
    if (window && window->procedure && !win32::Hooks.replaying)
        win32::DeliverToGame(window, WM_KEYDOWN, WPARAM(virtualKey), 1);
    else if (win32::Hooks.replaying && win32::Hooks.replay.live)
        keymap::NotePadCommand(virtualKey);
}

// The size messages the game would see from a window of fixed size: a
// minimise, a restore, and the first one; never the resizing in between.
bool ToldAsFixed(WPARAM kind, LPARAM& size) {
    const bool minimized = kind == SIZE_MINIMIZED;
    if (GameToldSize && minimized == GameSeesMinimized)
        return false;
    GameToldSize = true;
    GameSeesMinimized = minimized;
    size = minimized ? 0 : MAKELPARAM(shared::FieldPixelsWide, shared::FieldPixelsHigh);
    return true;
}

// The messages the backend answers itself; true when `result` is the answer.
bool OwnMessage(HWND handle, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    result = 0;
    switch (message) {
        case WM_PAINT:
            win32::PaintWindow(handle);
            return true;
        case WM_ERASEBKGND:
            // The bars and the field are painted whole in WM_PAINT.
            result = 1;
            return true;
        case WM_GETMINMAXINFO:
            result = ::DefWindowProcW(handle, message, wParam, lParam);
            win32::LimitTracking(handle, reinterpret_cast<MINMAXINFO*>(lParam));
            return true;
        case WM_GETDPISCALEDSIZE:
            result = win32::DpiScaledSize(handle, int(wParam), reinterpret_cast<SIZE*>(lParam));
            return true;
        case WM_DPICHANGED:
            win32::DpiChanged(handle, LOWORD(wParam), reinterpret_cast<const RECT*>(lParam));
            return true;
        case WM_DISPLAYCHANGE:
            win32::DisplayChanged(handle);
            return false;
        case WM_TIMER:
            if (wParam == win32::IndicatorTimer) {
                win32::ExpireIndicator();
                return true;
            }
            return win32::BoxTimerTick(wParam);
        case WM_KEYDOWN:
            return win32::WindowKey(handle, message, wParam, lParam);
        case WM_SYSKEYDOWN:
            if (!win32::WindowKey(handle, message, wParam, lParam))
                return false;
            // The default processing learns that Alt was not pressed alone
            // (which would open the window's menu).
            result = ::DefWindowProcW(handle, message, wParam, lParam);
            return true;
        case WM_SYSKEYUP:
            // F10's release would open the window's menu, which it has not.
            return wParam == VK_F10;
        case WM_SYSCHAR:
            // Alt+Enter: no beep for a menu key the window has not.
            return wParam == VK_RETURN;
        case WM_DROPFILES:
            if (platform::WindowData* window = WindowOf(handle); !win32::Hooks.replaying)
                win32::DropFiles(window, reinterpret_cast<HDROP>(wParam));
            else
                ::DragFinish(reinterpret_cast<HDROP>(wParam));
            return true;
        default:
            return false;
    }
}

LRESULT CALLBACK ClassWindowProcedure(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
    platform::WindowData* window = WindowOf(handle);
    if (!window || !window->procedure)
        return ::DefWindowProcA(handle, message, wParam, lParam);
    LRESULT result = 0;
    if (OwnMessage(handle, message, wParam, lParam, result))
        return result;
    if (win32::Hooks.replaying && win32::HandleReplayInput(handle, message, wParam, lParam))
        return ::DefWindowProcW(handle, message == WM_CLOSE ? WM_NULL : message, wParam, lParam);
    switch (message) {
        case WM_KEYDOWN: {
            // The player's own keys arrive as the keys the game knows.
            int keys[2];
            int count = keymap::KeyDownMessages(int(wParam), keys);
            for (int k = 0; k < count; ++k)
                result = win32::DeliverToGame(window, message, WPARAM(keys[k]), lParam);
            return result;
        }
        case WM_MOUSEMOVE:
            lParam = win32::FieldPosition(lParam);
            break;
        case WM_SIZE:
            if (wParam != SIZE_MINIMIZED)
                win32::PlaceField(handle);
            if (!ToldAsFixed(wParam, lParam))
                return 0;
            wParam = GameSeesMinimized ? SIZE_MINIMIZED : SIZE_RESTORED;
            break;
        case WM_TIMER:
            // The pads are read once a tick, before the game polls its keys.
            win32::PollPads(handle, PadCommand);
            break;
        case WM_ACTIVATE:
            // While a box is open the game stands still: a disabled window
            // activated meanwhile (full screen switched from the box, the
            // window system's focus) is not the game's to know.
            if (LOWORD(wParam) != WA_INACTIVE && !::IsWindowEnabled(handle)) {
                ActivationHeldBack = true;
                return 0;
            }
            GameSeesActive = LOWORD(wParam) != WA_INACTIVE;
            break;
        default:
            break;
    }
    return win32::DeliverToGame(window, message, wParam, lParam);
}

}  // namespace

namespace platform {

void RegisterClass(const char* className, uint32_t classStyle, int iconResource,
                   WindowProcedure procedure) {
    ClassProcedure = procedure;
    HINSTANCE module = ::GetModuleHandleA(nullptr);
    WNDCLASSA windowClass = {};
    // The window's device context is fetched once and drawn into for the
    // whole run: a class DC of its own keeps it valid between messages.
    windowClass.style = classStyle | CS_OWNDC;
    windowClass.lpfnWndProc = ClassWindowProcedure;
    windowClass.hInstance = module;
    windowClass.hIcon = ::LoadIconA(module, MAKEINTRESOURCEA(iconResource));
    windowClass.hCursor = ::LoadCursorA(nullptr, IDC_CROSS);
    windowClass.hbrBackground = static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = className;
    // A game started again in this process (online, from the menu) finds
    // the class there already.
    if (!::RegisterClassA(&windowClass) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        win32::Fail("无法注册窗口类。");
}

int GetSystemMetrics(int index) {
    return ::GetSystemMetrics(index);
}

Window CreateWindow(const char* className, const char* titleUtf8, uint32_t style, int x, int y,
                    int width, int height) {
    auto* window = new WindowData;
    window->procedure = ClassProcedure;
    // The game asks for a fixed window in the middle of the screen; it opens
    // resizable and maximisable, at the size its monitor suggests.
    const DWORD windowStyle = style | WS_THICKFRAME | WS_MAXIMIZEBOX;
    const RECT placed = win32::StartRect({x + width / 2, y + height / 2}, windowStyle);
    WindowBeingCreated = window;
    // An ANSI window can carry only the ANSI code page's characters in its
    // title; any other title is stored in UTF-16 straight after creation.
    const bool ascii = IsAscii(titleUtf8);
    HWND handle =
        ::CreateWindowExA(0, className, ascii ? titleUtf8 : "", windowStyle, placed.left,
                          placed.top, placed.right - placed.left, placed.bottom - placed.top,
                          nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr);
    WindowBeingCreated = nullptr;
    if (!handle)
        win32::Fail("无法创建窗口。");
    window->handle = handle;
    win32::Hooks.window = window;
    win32::WatchStops(handle);
    ::DragAcceptFiles(handle, TRUE);
    if (!ascii) {
        std::wstring title = win32::Widen(titleUtf8);
        ::DefWindowProcW(handle, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(title.c_str()));
    }
    win32::WindowCreated(handle);
    return window;
}

void ShowWindow(Window window, int showCommand) {
    win32::ShowAtStart(window->handle, showCommand);
}

void UpdateWindow(Window window) {
    ::UpdateWindow(window->handle);
}

int RunMessageLoop() {
    win32::Hooks.loopRunning = true;
    if (win32::Hooks.replaying)
        return win32::RunReplayLoop();
    win32::DropPendingText(win32::Hooks.window);
    MSG message = {};
    while (::GetMessageA(&message, nullptr, 0, 0) > 0) {
        // Between two messages: what the run did so far is whole.
        if (win32::StopSignal() != 0)
            return 128 + win32::StopSignal();
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
    }
    return int(message.wParam);
}

void PostQuitMessage(int exitCode) {
    ::PostQuitMessage(exitCode);
}

intptr_t DefWindowProc(Window window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    return ::DefWindowProcA(window->handle, message, wParam, lParam);
}

void SetTimer(Window window, uintptr_t timerId, uint32_t periodMs) {
    win32::Hooks.gameTimers.insert(timerId);
    ::SetTimer(window->handle, timerId, periodMs, nullptr);
}

void KillTimer(Window window, uintptr_t timerId) {
    win32::Hooks.gameTimers.erase(timerId);
    ::KillTimer(window->handle, timerId);
}

int16_t GetAsyncKeyState(int virtualKey) {
    // The keys of a replay are those the game saw, after the key bindings.
    if (win32::Hooks.replaying)
        return virtualKey >= 0 && virtualKey < 256 &&
                       win32::Hooks.replayedKeys.test(size_t(virtualKey))
                   ? int16_t(0x8000)
                   : int16_t(0);
    bool down = keymap::GameKeyDown(virtualKey, win32::PhysicalKeyDown);
    return down ? int16_t(0x8000) : int16_t(0);
}

}  // namespace platform

namespace host {

bool PlayerKeyDown(int virtualKey) {
    return keymap::PlayerKeyDown(virtualKey, win32::PhysicalKeyDown);
}

// The game's procedure is let go first, so that the window's destruction
// tells the game nothing (no farewell): the program posts the quit itself.
void EndGameInWindow() {
    platform::WindowData* window = win32::Hooks.window;
    if (window && window->handle && ::IsWindow(window->handle)) {
        window->procedure = nullptr;
        for (uintptr_t id : win32::Hooks.gameTimers)
            ::KillTimer(window->handle, id);
        ::DestroyWindow(window->handle);
    }
    win32::Hooks.gameTimers.clear();
    win32::Hooks.window = nullptr;
    ::PostQuitMessage(0);
}

}  // namespace host

namespace win32 {

void BoxClosed(platform::Window owner) {
    // The window was active already when the box closed, so the system told
    // nothing: the game is told now.
    if (ActivationHeldBack && !GameSeesActive && owner && owner->handle &&
        ::GetActiveWindow() == owner->handle && owner->procedure) {
        GameSeesActive = true;
        DeliverToGame(owner, WM_ACTIVATE, WA_ACTIVE, 0);
    }
    ActivationHeldBack = false;
}

void StepScaleMode(HWND window) {
    SetScaleMode(host::NextScaleMode(CurrentScaleMode()));
    PlaceField(window);
    ::InvalidateRect(window, nullptr, FALSE);
    IndicateScaleMode();
    if (ScaleModeObserver)
        ScaleModeObserver(CurrentScaleMode());
}

}  // namespace win32

namespace host {

// The Win32 window needs nothing before it is created.
bool Start() {
    return true;
}

void Stop() {
    win32::ReleaseSurfaces();
}

void SetScaleModeObserver(void (*observer)(ScaleMode mode)) {
    ScaleModeObserver = observer;
}

void ChooseScaleMode(ScaleMode mode) {
    platform::WindowData* window = win32::Hooks.window;
    for (int step = 0; step < ScaleModeCount && win32::CurrentScaleMode() != mode; ++step)
        if (window && window->handle)
            win32::StepScaleMode(window->handle);
}

}  // namespace host
