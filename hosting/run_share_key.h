// Sharing the run just played: Ctrl+Shift+C in play, after
// the game-over or victory box, copies a link to the run up to the end of
// that game (the session is recorded in memory from the start).
#pragma once

#include <cstdint>

// The recorder's hook after each outside message, with the share key.
void RecordedMessageDone(uint32_t message, uintptr_t wParam);

// The same from the menu: the run of the last game ended, or a box saying
// why there is none to share.
void ShareLastRun();
