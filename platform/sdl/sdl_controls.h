// The player's controls of the desktop program beyond the game's keys:
// gamepads, which hold the game's keys as the keyboard would, and the volume.
#pragma once

#include <SDL.h>

namespace sdl {

// Every sound's loudness in percent (0 to 100). At 0 no audio device is
// opened; an open one stays open and plays silence.
void SetVolume(int percent);
int Volume();
bool AudioDeviceOpen();
// The player's + and - keys: the volume 10 points up or down, and the
// observer (the settings file) told of the new value.
void StepVolume(int steps);
void SetVolumeObserver(void (*observer)(int percent));

// Told each time F11 or Alt+Enter switches full screen on (true) or off.
void SetFullscreenObserver(void (*observer)(bool fullscreen));

// True for the keys that change the volume rather than reach the game.
bool IsVolumeKey(const SDL_Keysym& key, int& steps);

// Starts SDL's game-controller support with its built-in mapping database
// and opens every pad already attached; false when SDL cannot (the game
// goes on without pads).
bool StartPads();
void StopPads();
// The part of the sticks' travel that counts as rest, in percent.
void SetPadDeadZone(int percent);

// Follows one of SDL's events: pads plugged in or out, and the buttons and
// sticks of the first pad still attached, which drives. Its held keys go to
// the key state the game polls; Start and Back give the commands they stand
// for through `command` (the key-down of P or H). True for a pad's event.
bool HandlePadEvent(const SDL_Event& event, void (*command)(int virtualKey));

// A dialog's answer from the driving pad's button event: 1 for the south
// button (the default button), -1 for the east one (No, or OK), 0 otherwise.
int PadDialogAnswer(const SDL_Event& event);

}  // namespace sdl
