// The Win32 window's size and place: the start size for its monitor and
// that monitor's DPI, the minimum size, the move to a monitor of another DPI,
// and borderless full screen on the window's monitor. The DPI calls of newer
// systems are looked up at run time, so the program still starts without them.
#include <algorithm>

#include "platform/win32/backend.h"

namespace {

using GetDpiForWindowCall = UINT(WINAPI*)(HWND);
using AdjustForDpiCall = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
using GetDpiForMonitorCall = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);

struct DpiCalls {
    bool looked = false;
    GetDpiForWindowCall forWindow = nullptr;
    AdjustForDpiCall adjust = nullptr;
    GetDpiForMonitorCall forMonitor = nullptr;
};

struct Placement {
    host::WindowOptions options;
    void (*fullscreenObserver)(bool fullscreen) = nullptr;
    // The DPI of the window's monitor, as last told.
    int dpi = 96;
    // The client size chosen at start.
    int startWidth = 0;
    int startHeight = 0;
    bool fullscreen = false;
    // What full screen replaced, to put back: the frame's style bits and
    // the place.
    LONG_PTR savedStyle = 0;
    WINDOWPLACEMENT saved = {};
};

DpiCalls Calls;
Placement Placed;

const DpiCalls& Dpi() {
    if (!Calls.looked) {
        Calls.looked = true;
        HMODULE user = ::GetModuleHandleW(L"user32.dll");
        if (user) {
            Calls.forWindow = reinterpret_cast<GetDpiForWindowCall>(
                reinterpret_cast<void*>(::GetProcAddress(user, "GetDpiForWindow")));
            Calls.adjust = reinterpret_cast<AdjustForDpiCall>(
                reinterpret_cast<void*>(::GetProcAddress(user, "AdjustWindowRectExForDpi")));
        }
        // Windows 8.1 and later; a system DLL, loaded only when it is there.
        HMODULE shcore = ::LoadLibraryW(L"shcore.dll");
        if (shcore)
            Calls.forMonitor = reinterpret_cast<GetDpiForMonitorCall>(
                reinterpret_cast<void*>(::GetProcAddress(shcore, "GetDpiForMonitor")));
    }
    return Calls;
}

int SystemDpi() {
    HDC screen = ::GetDC(nullptr);
    int dpi = screen ? ::GetDeviceCaps(screen, LOGPIXELSX) : 96;
    if (screen)
        ::ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 96;
}

int MonitorDpi(HMONITOR monitor) {
    UINT x = 0, y = 0;
    // 0: MDT_EFFECTIVE_DPI, the scale the user chose for that monitor.
    if (Dpi().forMonitor && Dpi().forMonitor(monitor, 0, &x, &y) == S_OK && x > 0)
        return int(x);
    return SystemDpi();
}

int WindowDpi(HWND window) {
    if (Dpi().forWindow) {
        UINT dpi = Dpi().forWindow(window);
        if (dpi > 0)
            return int(dpi);
    }
    return SystemDpi();
}

// The outer size of a window of `style` around a client of the given size.
SIZE OuterSize(int clientWidth, int clientHeight, DWORD style, int dpi) {
    RECT rect{0, 0, clientWidth, clientHeight};
    if (!(Dpi().adjust && Dpi().adjust(&rect, style, FALSE, 0, UINT(dpi))))
        ::AdjustWindowRectEx(&rect, style, FALSE, 0);
    return {rect.right - rect.left, rect.bottom - rect.top};
}

MONITORINFO MonitorOf(HWND window) {
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    ::GetMonitorInfoW(::MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &info);
    return info;
}

DWORD StyleOf(HWND window) {
    return DWORD(::GetWindowLongPtrW(window, GWL_STYLE));
}

// Sets the client to the size given, centred on `centre`. The frame is
// measured again afterwards: right after a change of DPI the system may
// still draw it at the old one.
void SetClient(HWND window, int width, int height, POINT centre) {
    SIZE outer = OuterSize(width, height, StyleOf(window), Placed.dpi);
    const UINT flags = SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER;
    ::SetWindowPos(window, nullptr, centre.x - outer.cx / 2, centre.y - outer.cy / 2, outer.cx,
                   outer.cy, flags);
    RECT client{};
    ::GetClientRect(window, &client);
    if (client.right == width && client.bottom == height)
        return;
    outer.cx += width - client.right;
    outer.cy += height - client.bottom;
    ::SetWindowPos(window, nullptr, centre.x - outer.cx / 2, centre.y - outer.cy / 2, outer.cx,
                   outer.cy, flags);
}

void CoverMonitor(HWND window) {
    const RECT& screen = MonitorOf(window).rcMonitor;
    ::SetWindowPos(window, HWND_TOP, screen.left, screen.top, screen.right - screen.left,
                   screen.bottom - screen.top, SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void EnterFullscreen(HWND window) {
    Placed.saved.length = sizeof Placed.saved;
    ::GetWindowPlacement(window, &Placed.saved);
    // Only the frame's bits are swapped: the others (disabled while a box
    // is open, visible) stay what they are at each switch.
    Placed.savedStyle = ::GetWindowLongPtrW(window, GWL_STYLE) & LONG_PTR(WS_OVERLAPPEDWINDOW);
    ::SetWindowLongPtrW(
        window, GWL_STYLE,
        (::GetWindowLongPtrW(window, GWL_STYLE) & ~LONG_PTR(WS_OVERLAPPEDWINDOW)) | WS_POPUP);
    Placed.fullscreen = true;
    CoverMonitor(window);
}

void LeaveFullscreen(HWND window) {
    ::SetWindowLongPtrW(
        window, GWL_STYLE,
        (::GetWindowLongPtrW(window, GWL_STYLE) & ~LONG_PTR(WS_POPUP)) | Placed.savedStyle);
    Placed.fullscreen = false;
    // Full screen from the start saved a window not shown yet; and the
    // window comes back shown, maximised or not, never minimised, and
    // without taking the activation (from a box, say).
    if (Placed.saved.showCmd != SW_SHOWMAXIMIZED)
        Placed.saved.showCmd = SW_SHOWNOACTIVATE;
    ::SetWindowPlacement(window, &Placed.saved);
    ::SetWindowPos(window, nullptr, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOOWNERZORDER | SWP_NOACTIVATE |
                       SWP_FRAMECHANGED);
}

}  // namespace

namespace host {

void SetWindowOptions(const WindowOptions& options) {
    Placed.options = options;
    win32::SetScaleMode(options.scaleMode);
}

void SetFullscreenObserver(void (*observer)(bool fullscreen)) {
    Placed.fullscreenObserver = observer;
}

void ChooseFullscreen(bool fullscreen) {
    platform::WindowData* window = win32::Hooks.window;
    if (window && window->handle && Placed.fullscreen != fullscreen)
        win32::ToggleFullscreen(window->handle);
}

}  // namespace host

namespace win32 {

RECT StartRect(POINT point, DWORD style) {
    HMONITOR monitor = ::MonitorFromPoint(point, MONITOR_DEFAULTTOPRIMARY);
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    ::GetMonitorInfoW(monitor, &info);
    const RECT& work = info.rcWork;
    Placed.dpi = MonitorDpi(monitor);
    const int factor = shared::StartFactor(work.right - work.left, work.bottom - work.top,
                                           shared::DisplayScale(Placed.dpi), Placed.options.scale);
    Placed.startWidth = shared::FieldPixelsWide * factor;
    Placed.startHeight = shared::FieldPixelsHigh * factor;
    SIZE outer = OuterSize(Placed.startWidth, Placed.startHeight, style, Placed.dpi);
    // Centred on the work area; a window larger than it starts at its corner.
    const LONG x = work.left + std::max(0L, (work.right - work.left - outer.cx) / 2);
    const LONG y = work.top + std::max(0L, (work.bottom - work.top - outer.cy) / 2);
    return {x, y, x + outer.cx, y + outer.cy};
}

void WindowCreated(HWND window) {
    const int chosen = Placed.dpi;
    Placed.dpi = WindowDpi(window);
    RECT client{}, outer{};
    ::GetClientRect(window, &client);
    ::GetWindowRect(window, &outer);
    const POINT centre{(outer.left + outer.right) / 2, (outer.top + outer.bottom) / 2};
    int width = Placed.startWidth, height = Placed.startHeight;
    // Opened on a monitor of another scale than the one asked about.
    if (shared::DisplayScale(chosen) != shared::DisplayScale(Placed.dpi))
        shared::RescaledClient(width, height, shared::DisplayScale(chosen),
                               shared::DisplayScale(Placed.dpi), width, height);
    if (client.right != width || client.bottom != height)
        SetClient(window, width, height, centre);
}

void LimitTracking(HWND window, MINMAXINFO* limits) {
    if (Placed.fullscreen)
        return;
    // The field at the display's scale, or what the work area holds of it,
    // inside the frame the window has now (once it has one).
    const int scale = shared::DisplayScale(Placed.dpi);
    const int width = shared::FieldPixelsWide * scale;
    const int height = shared::FieldPixelsHigh * scale;
    SIZE outer = OuterSize(width, height, StyleOf(window), Placed.dpi);
    RECT client{}, frame{};
    if (::GetClientRect(window, &client) && ::GetWindowRect(window, &frame) && client.right > 0 &&
        client.bottom > 0 && !::IsIconic(window))
        outer = {width + (frame.right - frame.left) - client.right,
                 height + (frame.bottom - frame.top) - client.bottom};
    const RECT& work = MonitorOf(window).rcWork;
    limits->ptMinTrackSize.x = std::min<LONG>(outer.cx, work.right - work.left);
    limits->ptMinTrackSize.y = std::min<LONG>(outer.cy, work.bottom - work.top);
}

bool DpiScaledSize(HWND window, int dpi, SIZE* size) {
    if (Placed.fullscreen || ::IsZoomed(window) || ::IsIconic(window))
        return false;
    RECT client{};
    ::GetClientRect(window, &client);
    int width = 0, height = 0;
    shared::RescaledClient(client.right, client.bottom, shared::DisplayScale(Placed.dpi),
                           shared::DisplayScale(dpi), width, height);
    *size = OuterSize(width, height, StyleOf(window), dpi);
    return true;
}

void DpiChanged(HWND window, int dpi, const RECT* suggested) {
    const int from = shared::DisplayScale(Placed.dpi);
    const int to = shared::DisplayScale(dpi);
    Placed.dpi = dpi;
    if (Placed.fullscreen) {
        CoverMonitor(window);
        return;
    }
    if (::IsZoomed(window) || ::IsIconic(window)) {
        if (suggested)
            ::SetWindowPos(window, nullptr, suggested->left, suggested->top,
                           suggested->right - suggested->left, suggested->bottom - suggested->top,
                           SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
        return;
    }
    RECT client{}, outer{};
    ::GetClientRect(window, &client);
    ::GetWindowRect(window, &outer);
    const RECT& around = suggested ? *suggested : outer;
    const POINT centre{(around.left + around.right) / 2, (around.top + around.bottom) / 2};
    int width = 0, height = 0;
    shared::RescaledClient(client.right, client.bottom, from, to, width, height);
    SetClient(window, width, height, centre);
}

void ToggleFullscreen(HWND window) {
    if (Placed.fullscreen)
        LeaveFullscreen(window);
    else
        EnterFullscreen(window);
    // Switched from a box (the window is disabled meanwhile): the box keeps
    // the keyboard.
    if (!::IsWindowEnabled(window)) {
        HWND box = ::GetLastActivePopup(window);
        if (box && box != window)
            ::SetActiveWindow(box);
    }
    if (Placed.fullscreenObserver)
        Placed.fullscreenObserver(Placed.fullscreen);
}

void ShowAtStart(HWND window, int showCommand) {
    if (Placed.options.fullscreen) {
        EnterFullscreen(window);
        // A full-screen window is not maximised as well.
        if (showCommand == SW_SHOWMAXIMIZED)
            showCommand = SW_SHOWNORMAL;
    }
    ::ShowWindow(window, showCommand);
}

void DisplayChanged(HWND window) {
    if (Placed.fullscreen)
        CoverMonitor(window);
}

}  // namespace win32
