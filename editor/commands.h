// The editor's own commands beyond painting: undo and redo (Ctrl+Z, Ctrl+Y or
// Ctrl+Shift+Z), copying and pasting a whole level (Ctrl+C, Ctrl+V), clearing
// it (Ctrl+Delete), trying it out (F5, back with Esc or when the game ends)
// and bringing back an earlier version of the map file (F4).
#pragma once

#include <cstdint>

// A key-down message, before the shell's commands: true when it was one of
// the editor's commands (or a key the try-out keeps for itself).
bool EditorCommandKey(int key);

// At the start of every tick of the battle timer, before the mode runs:
// notices the editor being entered and left, ends a try-out whose game ended,
// and turns a finished stroke of the mouse into one step of the history.
void EditorCommandTick();

// The window is about to close: a try-out gives way to the editor, and the
// editor asks whether to save the edits first.
void EditorCommandClosing();

// True while a level of the editor is being tried out.
bool TryingLevel();

// Forgets the session, the clipboard and a try-out, as at program start.
void ResetEditorCommands();
