// What the process entry of the desktop program needs from the SDL2 backend
// beyond the platform layer itself.
#pragma once

namespace sdl {

// Starts SDL's video and event subsystems (once); false, with the reason on
// standard error, when there is no display to open.
bool StartVideo();

// Ends SDL before the process exits: closes the audio device and the display.
void StopAll();

}  // namespace sdl
