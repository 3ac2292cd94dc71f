// Sharing levels from the editor: Ctrl+Shift+C copies this level's share code,
// Ctrl+Shift+A that of all 35 levels (as a link when an address is set) to
// the clipboard and shows it in a box; Ctrl+Shift+V pastes a level's code onto
// this level or a set's onto every level, undoably; text dropped on the window
// (a code, a link, a map file) opens its levels in the editor.
#pragma once

#include <string>

// The web edition's address the links lead to (empty: the bare code), and
// the title and maker of the player's own set, which its code carries; set by
// the program from its settings, and by the menu's share screen.
extern std::string ShareBaseUrl;
extern std::string ShareTitle;
extern std::string ShareAuthor;
// Neither address nor name, as at program start.
void ResetShareKeys();

// The title and author the code of all levels carries now: a shared set's
// (LevelOrigin), else the player's own.
std::string SetTitleInForce();
std::string SetAuthorInForce();

// A key-down in the editor with Ctrl and Shift held: true when it was one of
// the share keys.
bool EditorShareKey(int key);

// The key-down of VK_DROP, in play or in the editor (not in a try-out): reads
// the dropped text and opens what it holds, or says in a box why not.
void TakeDroppedText();

// The next drop is the player's own work coming back (the page's kept
// edits), not a share: its levels are saved as the player's own levels are.
void TakeNextDropAsOwnWork();
// The next drop is a link the player followed: a refusal names it a link.
void TakeNextDropAsLink();
