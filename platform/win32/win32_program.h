// What the Windows program's entry sets up in the Win32 backend beyond the
// platform layer itself: how the window shows the field, the volume, the
// gamepads, and who is told when the player changes the first two.
#pragma once

#include "platform/shared/status_panel.h"

namespace win32 {

struct WindowOptions {
    bool fullscreen = false;
    // The start size as a whole multiple of the field (1 to 8) in the
    // display's units; 0 chooses from the screen's size.
    int scale = 0;
    // Scale by any factor that keeps the aspect, not only by whole ones.
    bool fitMode = false;
};

// Before the window is created.
void SetWindowOptions(const WindowOptions& options);
// Told each time F11 or Alt+Enter switches full screen on (true) or off.
void SetFullscreenObserver(void (*observer)(bool fullscreen));

// Every sound's loudness in percent (0 to 100); at 0 nothing is played.
void SetVolume(int percent);
int Volume();
// The + and - keys: the volume 10 points up or down, and the observer told.
void StepVolume(int steps);
void SetVolumeObserver(void (*observer)(int percent));

// The part of the sticks' travel that counts as rest, in percent.
void SetPadDeadZone(int percent);

// Where the status (level, tanks, ...) shows: the panel in the bar right of
// the field, the compact form after the game's title, both as the place
// allows, or nowhere; `source` is asked with every frame shown and the
// status drawn again only when it changed. Without it (the default) the
// title stays as the game gave it. With MORVASK_STATUS_FILE set, each change
// of what shows is written to that file as a line, as the SDL2 program does.
void SetStatusDisplay(software::StatusPlace place, void (*source)(software::StatusShown& shown));

}  // namespace win32
