// What the process entry of the desktop program needs from the SDL2 backend
// beyond the platform layer itself.
#pragma once

namespace sdl {

// How the window shows the field; given by the command line.
struct WindowOptions {
    bool fullscreen = false;
    // The start size as a whole multiple of the field (1 to 8); 0 chooses
    // from the screen's size.
    int scale = 0;
    // Scale by any factor that keeps the aspect, not only by whole ones.
    bool fitMode = false;
};

// Before the window is created.
void SetWindowOptions(const WindowOptions& options);

// Starts SDL's video and event subsystems (once); false, with one line on
// standard error saying why, when there is no display to show a window on.
bool StartVideo();

// Ends SDL before the process exits: closes the audio device and the display.
void StopAll();

}  // namespace sdl
