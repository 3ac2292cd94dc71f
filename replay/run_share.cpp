// Keeps the run up to the end of the last game as a share code.
#include "replay/run_share.h"

#include "formats/share_code.h"
#include "replay/recorder.h"
#include "state/program_state.h"

namespace {

bool TickEndsGame = false;
int32_t Ended = 0;
std::string Code;
RunUnsharedReason Unshared = RunShared;
bool MapReplaced = false;

}  // namespace

void WatchedMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    // The box of a lost game or of the last level cleared opens in the tick
    // that finds its mode, and a new game starts after it.
    if (message == platform::WM_TIMER && wParam == BattleTimer)
        TickEndsGame = GameMode == GameOver || GameMode == AllCleared;
    RecordMessage(message, wParam, lParam);
}

void WatchedMessageDone(uint32_t message, uintptr_t wParam) {
    RecordMessageDone(message, wParam);
    if (message != platform::WM_TIMER || wParam != BattleTimer || !TickEndsGame)
        return;
    TickEndsGame = false;
    ++Ended;
    Code.clear();
    Unshared = RunSawOutsideMap;
    if (MapReplaced)
        return;
    // The game just ended from its own start, so the code stays short however
    // long the run was; a game whose start does not tell all is shared with
    // the run before it, as the session's file holds it.
    std::string replay = RecordedGameSoFar();
    if (replay.empty())
        replay = RecordedRunSoFar();
    if (replay.size() <= MaxSharedReplayBytes)
        Code = ReplayShareCode(replay);
    Unshared = Code.empty() || Code.size() > MaxShareCodeChars ? RunTooLongForCode : RunShared;
    if (Unshared != RunShared)
        Code.clear();
}

void NoteMapReplacedOutside() {
    MapReplaced = true;
}

int32_t GamesEnded() {
    return Ended;
}

const std::string& LastRunCode() {
    return Code;
}

RunUnsharedReason RunUnshared() {
    return Unshared;
}

void ResetRunShare() {
    TickEndsGame = false;
    Ended = 0;
    Code.clear();
    Unshared = RunShared;
    MapReplaced = false;
}
