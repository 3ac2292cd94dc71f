// The small Win32-shaped layer between the game and the machine it runs on.
// The game's code sees only this header; each backend (sdl/, headless/, win32/)
// implements it, and on Win32 every call is the real one of the same name.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

// ---- Window and messages -------------------------------------------------

struct WindowData;
using Window = WindowData*;

// Message numbers, parameters and styles carry their Windows values everywhere.
inline constexpr uint32_t WM_DESTROY = 0x0002;
inline constexpr uint32_t WM_SIZE = 0x0005;
inline constexpr uint32_t WM_ACTIVATE = 0x0006;
inline constexpr uint32_t WM_CLOSE = 0x0010;
inline constexpr uint32_t WM_KEYDOWN = 0x0100;
inline constexpr uint32_t WM_TIMER = 0x0113;
inline constexpr uint32_t WM_MOUSEMOVE = 0x0200;

inline constexpr uintptr_t SIZE_RESTORED = 0;
inline constexpr uintptr_t SIZE_MINIMIZED = 1;
inline constexpr uintptr_t WA_INACTIVE = 0;
inline constexpr uintptr_t WA_ACTIVE = 1;

// MAKELPARAM of a point (WM_MOUSEMOVE, WM_SIZE): each coordinate as 16 bits,
// negative ones included.
inline intptr_t PointParam(int x, int y) {
    return intptr_t(uint32_t((uint32_t(y) & 0xFFFF) << 16 | (uint32_t(x) & 0xFFFF)));
}

inline constexpr uint32_t CS_VREDRAW = 0x0001;
inline constexpr uint32_t CS_HREDRAW = 0x0002;
inline constexpr uint32_t WS_CAPTION = 0x00C00000;
inline constexpr uint32_t WS_SYSMENU = 0x00080000;
inline constexpr uint32_t WS_MINIMIZEBOX = 0x00020000;
inline constexpr int SM_CXSCREEN = 0;
inline constexpr int SM_CYSCREEN = 1;
inline constexpr int SW_SHOWNORMAL = 1;

// The window procedure of the game: every message of the window arrives here,
// one at a time; it returns what the default processing returned.
using WindowProcedure = intptr_t (*)(Window window, uint32_t message, uintptr_t wParam,
                                     intptr_t lParam);

// RegisterClassA: the class always has the cross-hair cursor and the black
// stock brush; the icon is the program's icon resource.
void RegisterClass(const char* className, uint32_t classStyle, int iconResource,
                   WindowProcedure procedure);
int GetSystemMetrics(int index);
// CreateWindowExA with no extended style, no parent and no menu. The title is
// UTF-8; width and height are the outer size, as on Windows.
Window CreateWindow(const char* className, const char* titleUtf8, uint32_t style, int x, int y,
                    int width, int height);
void ShowWindow(Window window, int showCommand);
void UpdateWindow(Window window);
// Get, translate and dispatch until the quit message; returns its exit code.
int RunMessageLoop();
void PostQuitMessage(int exitCode);
// The system's default processing; for WM_CLOSE it destroys the window, which
// delivers WM_DESTROY before returning.
intptr_t DefWindowProc(Window window, uint32_t message, uintptr_t wParam, intptr_t lParam);

// Window timers deliver WM_TIMER with their id; setting an existing timer
// replaces it.
void SetTimer(Window window, uintptr_t timerId, uint32_t periodMs);
void KillTimer(Window window, uintptr_t timerId);

// Modal message boxes owned by a window: opening one deactivates the owner
// (WM_ACTIVATE, WA_INACTIVE) and closing it activates it again. Texts are UTF-8.
inline constexpr uint32_t MB_OK = 0x0000;
inline constexpr uint32_t MB_YESNO = 0x0004;
inline constexpr uint32_t MB_ICONWARNING = 0x0030;
inline constexpr int IDOK = 1;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;
int MessageBox(Window owner, const char* textUtf8, const char* captionUtf8, uint32_t type);
// The labels of the boxes' buttons in the player's language (UTF-8, kept by
// pointer); Chinese until set. Native Windows boxes label them themselves.
void SetBoxButtonTexts(const char* ok, const char* yes, const char* no);

// ---- Input ---------------------------------------------------------------

// Virtual-key codes; letters and digits are their upper-case ASCII codes.
inline constexpr int VK_LBUTTON = 0x01;
inline constexpr int VK_RBUTTON = 0x02;
inline constexpr int VK_SHIFT = 0x10;
inline constexpr int VK_CONTROL = 0x11;
inline constexpr int VK_ESCAPE = 0x1B;
inline constexpr int VK_SPACE = 0x20;
inline constexpr int VK_LEFT = 0x25;
inline constexpr int VK_UP = 0x26;
inline constexpr int VK_RIGHT = 0x27;
inline constexpr int VK_DOWN = 0x28;
inline constexpr int VK_DELETE = 0x2E;
inline constexpr int VK_F1 = 0x70;
inline constexpr int VK_F2 = 0x71;
inline constexpr int VK_F3 = 0x72;
inline constexpr int VK_F4 = 0x73;
inline constexpr int VK_F5 = 0x74;
inline constexpr int VK_F12 = 0x7B;
// The second player's keys as the game polls them: codes no keyboard key
// has, which the backends give for the keys and the gamepad the second
// player chose (BindKey).
inline constexpr int VK_P2_UP = 0x88;
inline constexpr int VK_P2_DOWN = 0x89;
inline constexpr int VK_P2_LEFT = 0x8A;
inline constexpr int VK_P2_RIGHT = 0x8B;
inline constexpr int VK_P2_GUN_UP = 0x8C;
inline constexpr int VK_P2_GUN_DOWN = 0x8D;
inline constexpr int VK_P2_GUN_LEFT = 0x8E;
inline constexpr int VK_P2_GUN_RIGHT = 0x8F;
inline constexpr int VK_P2_LOCK = 0x97;
inline constexpr int VK_P2_FIRE = 0x98;

// The most significant bit of the result is set while the key is down.
int16_t GetAsyncKeyState(int virtualKey);

// The player's own keys. After BindKey, GetAsyncKeyState(virtualKey) reads
// down while any of `keys` is down instead of the key itself. After
// BindKeyMessage, a key-down of any of `keys` arrives as a WM_KEYDOWN of
// virtualKey, and the key virtualKey itself gives none unless it is among them.
// A gamepad's buttons read as the keys they stand for.
void BindKey(int virtualKey, const int* keys, int count);
void BindKeyMessage(int virtualKey, const int* keys, int count);

// ---- Drawing surfaces ----------------------------------------------------

struct SurfaceData;
using Surface = SurfaceData*;

inline constexpr uint32_t SRCCOPY = 0x00CC0020;
inline constexpr uint32_t SRCPAINT = 0x00EE0086;
inline constexpr uint32_t SRCAND = 0x008800C6;

// The window's own surface (its device context), fetched once and kept.
Surface GetDC(Window window);
// A memory surface with a bitmap of the given size, compatible with `like`.
Surface CreateCompatibleSurface(Surface like, int width, int height);
// A memory surface holding bitmap resource `resourceId`, scaled to the size
// given when the stored picture has another size (LoadImageA).
Surface LoadBitmapSurface(Surface like, int resourceId, int width, int height);
// A block copy with a raster operation; the part outside either surface is
// not copied. A whole-frame SRCCOPY into the window's surface may hand the
// source's pixels over instead of copying them, leaving the source undefined:
// the game draws its back buffer whole before every such copy.
void BitBlt(Surface destination, int x, int y, int width, int height, Surface source, int sx,
            int sy, uint32_t rop);
// Where the next whole frame copied into the window's surface differs from
// the frame copied there before it: nowhere outside `rects`. A backend may
// then send only those parts to the screen; one that shows whole frames
// anyway ignores it. A frame copied without such a hint counts as changed
// everywhere, and the hint holds for that one copy only.
struct Rect {
    int x, y, width, height;
};
void HintFrameChanges(Surface window, const Rect* rects, int count);
// The transparent copy of one sheet sprite: its image at (sx, sy), its mask
// directly below at (sx, sy + height). The result is exactly that of the mask
// copied with SRCPAINT and then the image with SRCAND; backends may do it in
// one pass.
void SpriteBlt(Surface destination, int x, int y, int width, int height, Surface sheet, int sx,
               int sy);

// ---- Panels and text on surfaces (the menu drawn over the field) -----------

// A rectangle of the surface filled with one colour (0x00RRGGBB); the part
// outside the surface is not drawn.
void FillSurfaceRect(Surface destination, int x, int y, int width, int height, uint32_t colour);
// The rectangle at half its brightness, as the picture behind an open box.
void DimSurfaceRect(Surface destination, int x, int y, int width, int height);
// One line of UTF-8 text in the boxes' glyphs, `pixels` high, its baseline at
// `baseline`; and the width such a line takes.
void DrawTextLine(Surface destination, const std::string& textUtf8, int x, int baseline, int pixels,
                  uint32_t colour);
int TextLineWidth(const std::string& textUtf8, int pixels);

// ---- Sound ---------------------------------------------------------------

inline constexpr uint32_t SND_ASYNC = 0x0001;
inline constexpr uint32_t SND_NODEFAULT = 0x0002;
inline constexpr uint32_t SND_NOSTOP = 0x0010;
inline constexpr uint32_t SND_RESOURCE = 0x00040004;

// PlaySoundA of a WAVE resource of the program: without SND_NOSTOP the sound
// cuts off whatever plays; with it the request is dropped while one plays.
void PlaySound(int resourceId, uint32_t flags);

// ---- Shared text: the clipboard and drops ---------------------------------

// A key-down of VK_DROP tells the window that text was dropped on it (a share
// code, a link, a file's bytes); the game takes that text with DroppedText.
inline constexpr int VK_DROP = 0x0E;
// The most of a clipboard's or a drop's text the game is given.
inline constexpr size_t MaxOutsideTextBytes = size_t(2) << 20;

// Whether the program has a clipboard of the system to share codes through
// (the desktop has; morvask-sim keeps one of its own for its scripts).
bool HasSystemClipboard();
void SetClipboardText(const std::string& textUtf8);
// The clipboard's text now, and the last drop's (empty when there is none).
// Both come from outside the game: a recording keeps what they returned and a
// playback returns it again, whatever the clipboard holds then.
std::string ClipboardText();
std::string DroppedText();

// ---- Time ----------------------------------------------------------------

// The calendar time in seconds, which seeds the game's generator (the
// headless backend answers with the seed its script chose).
uint32_t CalendarTimeSeconds();
// From now on CalendarTimeSeconds answers `seconds`: a recorded or replayed
// run is seeded with the value its replay names.
void FixCalendarTime(uint32_t seconds);

}  // namespace platform
