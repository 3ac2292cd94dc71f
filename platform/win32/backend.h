// The records behind the layer's handles on Win32, and what the backend's
// files share: a window is its HWND with the game's procedure; a surface is a
// memory device context with its bitmap. The window's own surface holds the
// frame last shown, which the view scales into the window.
#pragma once

#include <bitset>
#include <cstdint>
#include <set>
#include <string>

#include "platform/host.h"
#include "platform/shared/window_layout.h"
#include "platform/win32/win32_api.h"

struct platform::WindowData {
    HWND handle = nullptr;
    platform::WindowProcedure procedure = nullptr;
};

struct platform::SurfaceData {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    // What SelectObject swapped out of a new memory DC: put back before the
    // DC is deleted, so that the DC never deletes our bitmap or leaks its own.
    HGDIOBJ original = nullptr;
    // The pixels of a DIB section (top-down, 0x00RRGGBB), else null.
    uint32_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    // The window whose frame this is (the window's own surface only).
    HWND window = nullptr;
};

namespace win32 {

// UTF-8 (the game's texts and file names) as the UTF-16 that the wide Windows
// calls take; empty for a null or empty text.
std::wstring Widen(const char* utf8);
// UTF-16 from a wide Windows call as UTF-8; empty for a null or empty text.
std::string Narrow(const wchar_t* utf16);

// A resource the program cannot run without is missing: says so in a box
// and ends the process with exit code 1.
[[noreturn]] void Fail(const char* textUtf8);

// Gives every device context and bitmap of the surfaces back to the system;
// called once, after the message loop has ended.
void ReleaseSurfaces();

// A surface of the backend's own (the view's scaled field, the status panel)
// made `width` x `height` pixels, anew only when its size changes; false,
// and the surface empty, when the system gives none (drawing.cpp).
bool KeepPixelSurface(platform::SurfaceData& surface, HDC like, int width, int height);

// The status, where it shows (status_display.cpp): in the caption when its
// compact form changed, and in the panel beside the field (through `dc`, the
// client of clientWidth x clientHeight with the field at `field`) when it
// changed, moved, or `everything` was painted black again.
void ShowStatus(HWND window, HDC dc, const shared::PixelRect& field, int clientWidth,
                int clientHeight, bool everything);

// ---- The view (view.cpp): the frame scaled into the window -----------------

// The window's frame surface is made: the view shows it from now on.
void StartView(HWND window, platform::SurfaceData* frame);
// The client changed size (or the scale mode): the field is placed anew.
void PlaceField(HWND window);
// A new frame is in the frame surface: it goes to the screen, only its
// changed parts when they are known and the window shows the frame before.
void ShowFrame();
// The parts where the next frame differs from the one shown.
void SetFrameChanges(const platform::Rect* rects, int count);
// WM_PAINT: the bars and the whole frame (black before the first).
void PaintWindow(HWND window);
// A WM_MOUSEMOVE position in client pixels as the field pixel it shows.
intptr_t FieldPosition(intptr_t clientPosition);
// The scale mode the field is placed by (PlaceField puts it in force), and
// for auto the mode it chose for the window as it is.
void SetScaleMode(host::ScaleMode mode);
host::ScaleMode CurrentScaleMode();
host::ScaleMode ScaleModeShownAs();

// ---- Size, DPI and full screen (placement.cpp) -----------------------------

// The outer rectangle a new window of `style` opens at: the whole multiple
// of the field that its monitor (the one holding the point) suggests,
// centred on that monitor's work area.
RECT StartRect(POINT point, DWORD style);
// The window exists: its DPI is read, and its client made the size chosen.
void WindowCreated(HWND window);
void LimitTracking(HWND window, MINMAXINFO* limits);
// WM_GETDPISCALEDSIZE: the outer size the window will take at `dpi`, so that
// the system's suggestion in WM_DPICHANGED is that size; false in full
// screen and when maximised or minimised (the system's own size then).
bool DpiScaledSize(HWND window, int dpi, SIZE* size);
// WM_DPICHANGED: the window keeps the field's size in the new display's
// units; `suggested` (may be null) is where the system would put it.
void DpiChanged(HWND window, int dpi, const RECT* suggested);
// Full screen on the window's monitor, without a frame, or back.
void ToggleFullscreen(HWND window);
// F10: the next scale mode, the field placed anew, the player told.
void StepScaleMode(HWND window);
void ShowAtStart(HWND window, int showCommand);
// The screen's size changed: a full-screen window covers it again.
void DisplayChanged(HWND window);

// ---- The window's keys and its boxes (window.cpp, boxes.cpp) ---------------

// The window's own keys, which the game never sees: F11 and Alt+Enter for
// full screen, F10 for the next scale mode, + and - for the volume. True
// when the key was one of them.
bool WindowKey(HWND window, UINT message, WPARAM key, LPARAM flags);
// WM_TIMER: true when `timer` is the open box's, which answers it from the
// driving pad or closes an online game's box the other player answered.
bool BoxTimerTick(WPARAM timer);
// A box over `owner` (may be null) closed: the game is told the activation
// that the system kept from it while the box had the window disabled.
void BoxClosed(platform::Window owner);

// ---- Recording and replaying the run (run_hooks.cpp, replay_loop.cpp) -------

struct RunHooks {
    host::InputRecorder recorder;
    host::ReplayDriver replay;
    bool replaying = false;
    bool paused = false;
    bool stopped = false;  // the viewer closed the window
    std::bitset<256> replayedKeys;
    // The game's window, the timers it set, and whether the game was last
    // told in the replay that the window is minimised.
    platform::WindowData* window = nullptr;
    std::set<uintptr_t> gameTimers;
    bool replayedMinimized = false;
    int quitCode = 0;
    // Whether the message loop runs, how deep the game's procedure is
    // nested now, and the keyboard as it stood when the message being
    // handled arrived.
    bool loopRunning = false;
    int depth = 0;
    std::bitset<256> keysAtArrival;
    // The last drop's text until the game takes it, and the one to drop when
    // the message loop starts.
    std::string dropped;
    std::string dropAtStart;
};
extern RunHooks Hooks;

// Every message the game's procedure gets passes here; one from outside the
// game is told to the recorder before and after.
LRESULT DeliverToGame(platform::WindowData* window, UINT message, WPARAM wParam, LPARAM lParam);
// Whether a key of the keyboard is down, as the game's polls see it.
bool PhysicalKeyDown(int key);
// A text the game reads from outside (the clipboard, a drop): what the
// recording keeps, or what the replay says.
std::string GivenText(std::string text);
// Text dropped on the window: kept for the game, which is told with a
// key-down of VK_DROP; a file is dropped as its bytes.
void DropText(platform::WindowData* window, std::string text);
void DropFiles(platform::WindowData* window, HDROP drop);
void DropPendingText(platform::WindowData* window);
// While a replay plays, the viewer's input reaches nothing of the game: P
// pauses, closing the window stops. True when the message was handled here.
bool HandleReplayInput(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
int RunReplayLoop();
// The console's Ctrl+C or close that is ending the run; 0 when none is.
int StopSignal();
void WatchStops(HWND window);

// ---- The brief indicator (status_display.cpp) -------------------------------

// Shows a line (the volume, a scale mode) after the caption for a second.
// A timer of its own takes it away, also while a box holds the game still
// and no frame is shown.
void ShowIndicator(const std::string& text);
inline constexpr UINT_PTR IndicatorTimer = 0x4D49;
// The line gone once its second is over (IndicatorTimer's turn).
void ExpireIndicator();
void IndicateVolume();
// What the caption says after the game's title and the status.
void SetCaptionTag(const std::string& tag);
void IndicateScaleMode();

// ---- Gamepads (pads.cpp) ---------------------------------------------------

// Reads the pads: the driving pad's held keys go to the key state the game
// polls; a press of its Start or Back gives `command` the key it stands for.
void PollPads(HWND window, void (*command)(HWND window, int virtualKey));
// While a box is open: 1 when the driving pad's south button was pressed
// since the last poll, -1 for the east one, else 0.
int PollPadsForBox();

}  // namespace win32
