// The program's own box that waits on the world outside (the other player of
// an online game), and the end of the game in the window by the program's
// own choice, on Win32.
#include <string>

#include "platform/host.h"
#include "platform/win32/backend.h"

namespace {

bool (*Waiting)() = nullptr;
bool ClosedByWaiting = false;
bool ClosePosted = false;

BOOL CALLBACK FindVisibleBox(HWND candidate, LPARAM found) {
    wchar_t name[16];
    if (::IsWindowVisible(candidate) && ::GetClassNameW(candidate, name, 16) &&
        std::wstring(name) == L"#32770") {
        *reinterpret_cast<HWND*>(found) = candidate;
        return FALSE;
    }
    return TRUE;
}

// The box's own message loop runs this thread's timer: a look outside every
// 10 ms, and the box closed (as its button would) once nothing is awaited.
// The close is posted again until the box is there to take it.
void CALLBACK LookOutside(HWND, UINT, UINT_PTR, DWORD) {
    if (!ClosedByWaiting && Waiting && !Waiting())
        ClosedByWaiting = true;
    if (!ClosedByWaiting || ClosePosted)
        return;
    HWND box = nullptr;
    ::EnumThreadWindows(::GetCurrentThreadId(), FindVisibleBox, reinterpret_cast<LPARAM>(&box));
    if (box && ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0))
        ClosePosted = true;
}

}  // namespace

namespace host {

bool ShowWaitingNotice(const char* textUtf8, const char* captionUtf8, bool (*waiting)()) {
    platform::WindowData* window = win32::Hooks.window;
    if (!window || !window->handle || !::IsWindow(window->handle))
        return false;
    Waiting = waiting;
    ClosedByWaiting = false;
    ClosePosted = false;
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 10, LookOutside);
    const std::wstring text = win32::Widen(textUtf8);
    const std::wstring caption = win32::Widen(captionUtf8);
    ::MessageBoxW(window->handle, text.c_str(), caption.c_str(), MB_OK);
    ::KillTimer(nullptr, timer);
    Waiting = nullptr;
    return ClosedByWaiting;
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
