// The game just played as a share code: the recorder's hooks, watched for the
// tick that showed the game-over or victory box, after which the game (from
// its own start, or the run so far) is kept as a replay code to share.
#pragma once

#include <cstdint>
#include <string>

// The recorder's hooks (RecordMessage, RecordMessageDone) with the watch.
void WatchedMessage(uint32_t message, uintptr_t wParam, intptr_t lParam);
void WatchedMessageDone(uint32_t message, uintptr_t wParam);

// The map file was replaced from outside the game (a file the player chose):
// the recording cannot give the game it back, so no run that sees it can be
// shared.
void NoteMapReplacedOutside();

// How many games ended since the recording began, and the code of the run up
// to the end of the last one (empty before any, and when it cannot be shared:
// RunUnshared says why).
int32_t GamesEnded();
const std::string& LastRunCode();
enum RunUnsharedReason { RunShared = 0, RunTooLongForCode, RunSawOutsideMap };
RunUnsharedReason RunUnshared();

// No game ended and no outside map seen, as at program start.
void ResetRunShare();
