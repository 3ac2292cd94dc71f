// The keys between play and the editor and the editor's own level and map
// file keys: F1 into the editor and back, F2 loading the map file (for a new
// game, or into the editor), F3 saving it, Up and Down choosing the level.
#pragma once

#include <cstdint>

// A key-down that the editor's commands (EditorCommandKey) left: true when it
// was one of these keys, whatever it did in the mode at hand.
bool EditorModeKey(int key);

// Whether the level set is the one the editor last loaded or saved (or found
// on entering): leaving the editor otherwise asks whether to save.
bool LevelSetAsSaved();

// Forgets the level set last loaded or saved, as at program start.
void ResetEditorModeKeys();
