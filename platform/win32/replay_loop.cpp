// A replay played in the Win32 window: the recorded ticks at the replay's
// pace, P to pause, closing the window to stop; the window still paints,
// resizes and switches full screen meanwhile.

#include <string>

#include "platform/win32/backend.h"

namespace {

using win32::Hooks;

// The caption says that a replay plays, how fast, or that it is paused.
void ShowReplayCaption() {
    if (Hooks.replay.live)
        win32::SetCaptionTag(" - online");
    else if (Hooks.paused)
        win32::SetCaptionTag(" - replay paused (P goes on)");
    else if (Hooks.replay.titleTag)
        win32::SetCaptionTag(Hooks.replay.titleTag);
    else if (Hooks.replay.speed > 1)
        win32::SetCaptionTag(" - replay x" + std::to_string(Hooks.replay.speed));
    else
        win32::SetCaptionTag(" - replay");
}

// Handles what waits in the queue; false once the quit message came.
bool PumpMessages() {
    MSG message = {};
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            Hooks.quitCode = int(message.wParam);
            return false;
        }
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    return true;
}

void WaitForMessages(DWORD ms) {
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, ms, QS_ALLINPUT);
}

}  // namespace

namespace win32 {

bool HandleReplayInput(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CLOSE:
            Hooks.stopped = true;
            return true;
        case WM_KEYDOWN:
            // P pauses or goes on; a held key's repeats do nothing. In an
            // online game P is the game's, read with the other keys.
            if (wParam == 'P' && (lParam & (LPARAM(1) << 30)) == 0 && !Hooks.replay.live) {
                Hooks.paused = !Hooks.paused;
                ShowReplayCaption();
            }
            return true;
        case WM_SIZE:
            if (wParam != SIZE_MINIMIZED)
                PlaceField(window);
            return true;
        case WM_TIMER:
        case WM_ACTIVATE:
        case WM_MOUSEMOVE:
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP:
        case WM_RBUTTONDOWN:
        case WM_RBUTTONUP:
        case WM_CHAR:
        case WM_KEYUP:
        case WM_DROPFILES:
            return true;
        default:
            return false;
    }
}

// The n-th tick after a start falls due n periods after it; after a pause,
// or when far behind, the count starts again from now.
int RunReplayLoop() {
    ::timeBeginPeriod(1);
    ShowReplayCaption();
    const double period = double(Hooks.replay.tickMs) / Hooks.replay.speed;
    double due = double(::timeGetTime()) + period;
    bool going = true;
    while (going && !Hooks.stopped && StopSignal() == 0) {
        if (!PumpMessages())
            break;
        const double now = double(::timeGetTime());
        if (Hooks.paused) {
            WaitForMessages(50);
            due = now + period;
            continue;
        }
        if (due > now + 1) {
            WaitForMessages(DWORD(due - now));
            continue;
        }
        going = Hooks.replay.playTick();
        due = now - due > 200 ? now + period : due + period;
    }
    ::timeEndPeriod(1);
    if (Hooks.replay.finished)
        Hooks.replay.finished();
    return StopSignal() != 0 ? 128 + StopSignal() : Hooks.quitCode;
}

}  // namespace win32

namespace host {

bool DeliverReplayed(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (!Hooks.window || !Hooks.window->procedure)
        return false;
    if (message == WM_TIMER && Hooks.gameTimers.count(wParam) == 0)
        return false;
    if (message == WM_SIZE)
        Hooks.replayedMinimized = wParam == SIZE_MINIMIZED;
    win32::DeliverToGame(Hooks.window, message, wParam, lParam);
    return true;
}

}  // namespace host
