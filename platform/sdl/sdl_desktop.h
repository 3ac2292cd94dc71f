// What the files of the SDL2 desktop backend share among themselves: the one
// window and its state, the view that scales the field into it, and the
// in-window message box while one is open.
#pragma once

#include <SDL.h>

#include <bitset>
#include <cstdint>
#include <map>
#include <string>

#include "platform/host.h"
#include "platform/platform.h"
#include "platform/shared/dialog.h"
#include "platform/shared/tick_pacer.h"
#include "platform/shared/window_layout.h"

struct platform::WindowData {
    SDL_Window* sdlWindow = nullptr;
    platform::WindowProcedure procedure = nullptr;
    bool destroyed = false;
    // The activation and size state as last told to the window procedure,
    // so that each change is delivered once however SDL reports it.
    bool active = false;
    bool minimized = false;
};

namespace sdl {

using host::IndicatorTexts;
using host::InputRecorder;
using host::ReplayDriver;
using host::SheetSprite;
using host::StatusPlace;
using host::StatusShown;
using host::WindowOptions;

constexpr int FieldWidth = 960;
constexpr int FieldHeight = 704;

// A window timer's ticks, on a grid of the monotonic clock.
struct WindowTimer {
    shared::TickSchedule schedule;
};

// The message box on the window while one is open, and its picture.
struct OpenDialog {
    dialog::Box box;
    dialog::Layout layout;
    bool laidOut = false;
    SDL_Rect placedIn{};  // the field's place the layout was made for
};

struct DesktopState {
    bool videoStarted = false;
    WindowOptions options;
    platform::WindowProcedure classProcedure = nullptr;
    int iconResource = 0;
    platform::WindowData window;
    bool windowCreated = false;
    std::string windowTitle;
    platform::Surface windowSurface = nullptr;
    SDL_Cursor* cursor = nullptr;
    std::map<uintptr_t, WindowTimer> timers;
    bool quitPosted = false;
    int quitCode = 0;
    // Closing the window was asked while a box was open: the box was
    // answered, and the close runs when the message loop next turns; boxes
    // opened before then are answered the same way at once.
    bool closeRequested = false;
    OpenDialog* dialog = nullptr;
    bool traceDialogs = false;
    // Told each time an open box starts to take answers, after its reading
    // pause: the tests' pads answer it then.
    void (*dialogReady)() = nullptr;
    // For the recorder: whether the message loop runs, and how deep the
    // window procedure is nested now.
    bool loopRunning = false;
    int deliveryDepth = 0;
    InputRecorder recorder;
    // A replay plays instead of the player's input (see ReplayDriver).
    ReplayDriver replay;
    bool replaying = false;
    bool replayPaused = false;
    bool replayStopped = false;  // the viewer closed the window
    // The pace starts again from now: a pause or a box took the time.
    bool replayClockStale = false;
    std::bitset<256> replayedKeys;
    // The window as the recording last told the game: the activation and
    // minimising of the window on screen are not the game's during playback.
    bool replayedMinimized = false;
    // A fast playback's frame not shown yet, and when one was last shown.
    const platform::SurfaceData* frameWaiting = nullptr;
    int64_t lastFrameShownNs = 0;
    // The last drop's text until the game takes it, and the one to drop when
    // the message loop starts.
    std::string droppedText;
    std::string dropAtStart;
};

extern DesktopState Desktop;

// ---- Start and stop (sdl_display.cpp, sdl_window.cpp) -----------------------

// Starts SDL's video and event subsystems (once); false, with one line on
// standard error saying why, when there is no display to show a window on.
bool StartVideo();
// Ends SDL before the process exits: closes the audio device and the display.
void StopAll();
// The signal that is ending the run (host::StopOnSignals); 0 when none is.
int StopSignal();

// ---- Sound and pads (sdl_audio.cpp, sdl_gamepad.cpp) -------------------------

bool AudioDeviceOpen();
// True for the keys that change the volume rather than reach the game.
bool IsVolumeKey(const SDL_Keysym& key, int& steps);
// Starts SDL's game-controller support with its built-in mapping database
// and opens every pad already attached; false when SDL cannot.
bool OpenPads();
void StopPads();
// Follows one of SDL's events: pads plugged in or out, and the buttons and
// sticks of the first pad still attached, which drives. Its held keys go to
// the key state the game polls; Start and Back give the commands they stand
// for through `command` (the key-down of P or H). True for a pad's event.
bool HandlePadEvent(const SDL_Event& event, void (*command)(int virtualKey));
// A dialog's answer from the driving pad's button event: 1 for the south
// button (the default button), -1 for the east one (No, or OK), 0 otherwise.
int PadDialogAnswer(const SDL_Event& event);

bool WindowLive();
// Delivers one message to the window procedure of a live window.
void Deliver(uint32_t message, uintptr_t wParam, intptr_t lParam);
// Tells the window procedure a change of activation, once.
void SetActive(bool active);
// Whether the game was last told its window is minimised.
bool GameSeesMinimized();
// P during a playback: pauses it or goes on, and says so in the caption.
void ToggleReplayPause();
// The game's new frame, to the window: during a fast playback at most one a
// tick of normal speed, the others wait for ShowWaitingFrame (the newest
// one wins).
void PresentGameFrame(const platform::SurfaceData& frame);
void ShowWaitingFrame();
// The caption says that a replay plays, how fast, or that it is paused.
void ShowReplayTitle();
// The message loop of a playback (sdl_replay_pace.cpp): the recorded ticks
// at the replay's pace; returns the game's exit code.
int RunReplayLoop();
// Shows a box of the replay a moment with the focus on the recorded answer
// `answer`; the viewer's keys and pointer answer nothing.
void ShowReplayedDialog(OpenDialog& open, int answer);

// A file or text dropped on the window (sdl_share.cpp): its text is kept for
// the game, which is told with a key-down of VK_DROP.
void HandleDropEvent(const SDL_DropEvent& drop);
// A drop that comes while a box is open or a replay plays is not taken: its
// text is freed. True when the event was a drop.
bool DiscardDropEvent(const SDL_Event& event);
// The text --open names, dropped once the message loop runs.
void DropPendingText();

// The window's own keys, which the game never sees: full screen and the
// volume. True when the key was one of them.
bool HandleWindowKey(const SDL_KeyboardEvent& key);

// ---- Keys and mouse (sdl_keys.cpp) -----------------------------------------

// The game's virtual key of a key event; 0 for a key the game has no name for.
int VirtualKeyOf(const SDL_Keysym& key);
// The buttons and modifier keys of a mouse message (MK_ flags) as SDL sees
// them now.
uintptr_t MouseKeyFlags();

// ---- The view (sdl_view.cpp) ---------------------------------------------

// Where the field is shown: in output pixels, and the scale from window
// units (what mouse events report) to output pixels.
struct View {
    SDL_Rect field{0, 0, FieldWidth, FieldHeight};
    double scale = 1.0;  // output pixels per field pixel
    // Drawn by the smooth pass, from this whole multiple (see ShowField).
    bool smooth = false;
    int whole = 1;
    double pixelsPerUnitX = 1.0;
    double pixelsPerUnitY = 1.0;
};
View CurrentView();
// A position in window units as output pixels, and as field pixels (values
// outside 0..959, 0..703 when it is beside the field).
void OutputPoint(const View& view, int x, int y, int& outputX, int& outputY);
void FieldPoint(const View& view, int x, int y, int& fieldX, int& fieldY);

// Sizes and places the new, still hidden window for the display's scale and
// the options: start size, minimum size, full screen.
void PrepareWindow(SDL_Window* window);
// SDL_ShowWindow, asking the window manager again while it has not mapped
// the window.
void ShowWindowSurely(SDL_Window* window);
// F11 and Alt+Enter: the keys that switch desktop full screen on and off.
bool IsFullscreenKey(const SDL_KeyboardEvent& key);
void ToggleFullscreen();
// F10, unless the player gave it to a play action: the next scale mode.
bool IsScaleModeKey(const SDL_KeyboardEvent& key);
void StepScaleMode();

// ---- The brief indicator over the picture (sdl_indicator.cpp) --------------

// Shows a line of text over the field for about a second.
void ShowIndicator(const std::string& text);
void IndicateVolume(int percent);
void IndicateScaleMode(host::ScaleMode mode, host::ScaleMode shownAs);
// Takes the indicator away once its time is over (the window is shown again
// without it).
void ExpireIndicator();
// How long until the indicator's time is over, in milliseconds, at most
// `most`.
int IndicatorWaitMs(int most);
// Draws the indicator into the output pixels; where it went (empty when none).
SDL_Rect DrawIndicator(const View& view, uint32_t* pixels, int width, int height, int pitch,
                       uint32_t alpha);

// Whether the window's pixels can be had to show the game in.
bool CanShow();
// Shows the window: the frame scaled into the window's pixels in one pass
// (black before the first), black bars around it when they changed, and the
// open box over it. `fresh` is the window's new frame, or null to show the
// last one again.
void PresentFrame(const platform::SurfaceData* fresh);
// Shows the window again after it was covered, resized or restored.
void Redraw();

// ---- The status around the field (sdl_status_panel.cpp) -------------------

// Before a frame is sent: puts the status's place in force (the panel in
// the bar beside the field, or the title's form) and draws the panel into
// the output's pixels when `everything` is painted or what it shows
// changed. Gives the part of the output changed outside a whole repaint
// (empty when none).
SDL_Rect PaintStatus(const View& view, uint32_t* pixels, int width, int height, int pitch,
                     uint32_t alpha, bool everything);
// The window's caption: the game's title, and the status's compact form
// after it when the title shows the status.
std::string TitleWithStatus();
// Sets the window's caption, UTF-8 text shown as it is.
void SetCaption(const std::string& title);

}  // namespace sdl
