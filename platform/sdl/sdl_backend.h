// What the process entry of the desktop program needs from the SDL2 backend
// beyond the platform layer itself.
#pragma once

#include <bitset>
#include <cstdint>
#include <string>

#include "platform/shared/window_layout.h"

namespace sdl {

// How the window shows the field; given by the command line.
struct WindowOptions {
    bool fullscreen = false;
    // The start size as a whole multiple of the field (1 to 8); 0 chooses
    // from the screen's size.
    int scale = 0;
    // How the field is scaled into the window; F10 cycles the modes.
    software::WindowScaleMode scaleMode = software::WindowAuto;
};

// Before the window is created.
void SetWindowOptions(const WindowOptions& options);
// Told each time F10 changes the scale mode.
void SetScaleModeObserver(void (*observer)(software::WindowScaleMode mode));

// What the window's brief indicator says (the texts are the game's, in the
// player's language): the volume in percent, a scale mode.
struct IndicatorTexts {
    std::string (*volume)(int percent) = nullptr;
    // For auto, `shownAs` is the mode it chose for the window as it is.
    std::string (*scaleMode)(software::WindowScaleMode mode,
                             software::WindowScaleMode shownAs) = nullptr;
};
void SetIndicatorTexts(const IndicatorTexts& texts);

// Starts SDL's video and event subsystems (once); false, with one line on
// standard error saying why, when there is no display to show a window on.
bool StartVideo();

// A recorder of the run: told of every message that comes from outside the
// game (input, window changes, ticks), before and after the window procedure
// gets it, and of every box's answer. Messages the game's own calls cause
// (a box's activation, the destroy message) are not outside ones.
struct InputRecorder {
    void (*arriving)(uint32_t message, uintptr_t wParam, intptr_t lParam) = nullptr;
    void (*done)(uint32_t message, uintptr_t wParam) = nullptr;
    void (*boxAnswered)(int answer) = nullptr;
    // The game read this text from the clipboard or a drop.
    void (*textRead)(const std::string& text) = nullptr;
};
void SetInputRecorder(const InputRecorder& recorder);

// A replay played in the window instead of the player's input: the message
// loop drops what the player does (but P, which pauses the playback, and
// closing the window, which stops it) and calls `playTick` at the game's
// pace times `speed`; the game's boxes show a moment and close with
// `boxAnswer`'s answer.
struct ReplayDriver {
    // Plays the recorded messages up to and including the next tick; false
    // when the playback is over (ended, or parted from the recording).
    bool (*playTick)() = nullptr;
    // The recorded answer of the box being opened (MB_OK or MB_YESNO type).
    int (*boxAnswer)(uint32_t boxType) = nullptr;
    // The recorded text of the game's read of the clipboard or a drop.
    std::string (*textRead)() = nullptr;
    int speed = 1;
    // How long a tick of the game lasts at normal speed.
    int tickMs = 10;
};
void SetReplayDriver(const ReplayDriver& driver);
// The keys the game's polls see down from now on.
void SetReplayedKeys(const std::bitset<256>& keys);
// Delivers one recorded message to the window procedure as it was delivered
// when it was recorded; false for a tick while the game's timer `wParam` is
// not set.
bool DeliverReplayed(uint32_t message, uintptr_t wParam, intptr_t lParam);
// Whether the viewer closed the window during the playback.
bool ReplayStoppedByViewer();
// A box of the program's own over the game (a playback that went wrong):
// shown until answered, nothing of it reaches the game. Returns at once
// when the window is gone.
void ShowNotice(const char* textUtf8, const char* captionUtf8);

// Text dropped on the window as soon as the game's message loop runs (what
// morvask --open names): the game takes it as any drop.
void DropAfterStart(const std::string& text);
// From now on SIGINT and SIGTERM end the run cleanly instead of killing the
// process: the message loop (or the replay's) returns 128 + the signal's
// number before its next message, and a box open then closes with the answer
// of its close button, so the program can write its replay and settings.
void StopOnSignals();
// The signal that is ending the run; 0 when none is.
int StopSignal();

// Ends SDL before the process exits: closes the audio device and the display.
void StopAll();

}  // namespace sdl
