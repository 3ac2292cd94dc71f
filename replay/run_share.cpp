// Keeps the run up to the end of the last game as a share code.
#include "replay/run_share.h"

#include "formats/share_code.h"
#include "replay/recorder.h"
#include "state/program_state.h"

namespace {

bool TickEndsGame = false;
int32_t Ended = 0;
std::string Code;
bool TooLong = false;

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
    const std::string replay = RecordedRunSoFar();
    Code = replay.size() <= MaxSharedReplayBytes ? ReplayShareCode(replay) : std::string();
    TooLong = Code.empty() || Code.size() > MaxShareCodeChars;
    if (TooLong)
        Code.clear();
}

int32_t GamesEnded() {
    return Ended;
}

const std::string& LastRunCode() {
    return Code;
}

bool RunTooLong() {
    return TooLong;
}
