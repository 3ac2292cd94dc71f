// The player's choice of keys, as the backends apply it: which keys make a
// key the game polls read as down, which key-downs reach the game as which
// key, and the keys a gamepad holds. Without choices every key is itself.
#pragma once

#include <cstdint>

namespace keymap {

// Forgets every choice and every key a gamepad holds.
void Reset();

// The state of a key the game polls: its own key's state, or that of the keys
// chosen for it, or held by a gamepad. `keyDown` reads a key of the keyboard
// (or a mouse button) as the backend sees it.
bool GameKeyDown(int virtualKey, bool (*keyDown)(int virtualKey));

// The keys the game receives key-down messages for when the keyboard's key
// `virtualKey` goes down; returns how many were written (at most 2).
int KeyDownMessages(int virtualKey, int messages[2]);

// A gamepad holds or lets go of a key the game polls.
void SetPadKey(int virtualKey, bool down);
bool PadKeyDown(int virtualKey);

// A gamepad's command key (Start's P) given while an online game plays,
// where no key-down reaches the game: the next poll of the player's own
// keys reads it as down, once.
void NotePadCommand(int virtualKey);

// A key of the player's own, as an online game reads them: the game's state
// of it (GameKeyDown), or a pad's command noted for it, taken once.
bool PlayerKeyDown(int virtualKey, bool (*keyDown)(int virtualKey));

}  // namespace keymap
