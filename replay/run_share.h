// The run just played as a share code: the recorder's hooks, watched for the
// tick that showed the game-over or victory box, after which the run so far
// is kept as a replay code for the player to share.
#pragma once

#include <cstdint>
#include <string>

// The recorder's hooks (RecordMessage, RecordMessageDone) with the watch.
void WatchedMessage(uint32_t message, uintptr_t wParam, intptr_t lParam);
void WatchedMessageDone(uint32_t message, uintptr_t wParam);

// How many games ended since the recording began, and the code of the run up
// to the end of the last one (empty before any; also when the run is too
// long for a code, then `RunTooLong` says so).
int32_t GamesEnded();
const std::string& LastRunCode();
bool RunTooLong();
