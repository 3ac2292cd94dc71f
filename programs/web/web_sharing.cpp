// Sharing in the web edition: the whole session is recorded in memory (the
// run up to a finished game is what "share run" copies); a #replay= link
// plays its run instead, at the page's speed, and the page hears how it
// compared with the recording. The page also asks for the codes of the
// levels in the editor and reads the level set back for its tests.
#include "programs/web/web_sharing.h"

#include <emscripten.h>

#include <string>
#include <vector>

#include "editor/share_keys.h"
#include "formats/share_code.h"
#include "hosting/replay_runs.h"
#include "levels/level_origin.h"
#include "levels/map_file.h"
#include "platform/host.h"
#include "replay/checksum.h"
#include "replay/file.h"
#include "replay/player.h"
#include "replay/recorder.h"
#include "replay/run_share.h"
#include "replay/share.h"
#include "shell/unsaved_edits.h"
#include "state/battle_state.h"
#include "state/program_state.h"

// The page's address, UTF-8, into `buffer` when it fits; its length.
EM_JS(int, web_page_address, (char* buffer, int limit), {
    const address = String(location.href);
    const bytes = lengthBytesUTF8(address);
    if (bytes < limit)
        stringToUTF8(address, buffer, limit);
    return bytes;
});
EM_JS(void, web_replay_refused, (const char* reason),
      { Module.morvask.replayRefused(UTF8ToString(reason)); });
EM_JS(void, web_replay_started, (int totalTicks), { Module.morvask.replayStarted(totalTicks); });
EM_JS(void, web_replay_ended,
      (int same, int ticks, int desyncTick, const char* reason, uint32_t checksum,
       uint32_t recorded),
      {
          Module.morvask.replayEnded({
              same : !!same,
              tick : ticks,
              desyncTick : desyncTick,
              reason : UTF8ToString(reason),
              checksum : checksum >>> 0,
              recorded : recorded >>> 0
          });
      });

namespace {

bool PlayingLink = false;
uint32_t RecordedChecksum = 0;
std::string Answer;

bool PlayTick() {
    return PlayNextTick() == PlaybackGoing;
}

void Record() {
    platform::FixCalendarTime(platform::CalendarTimeSeconds());
    BeginRecording(platform::CalendarTimeSeconds());
    host::SetInputRecorder({.arriving = WatchedMessage,
                            .done = WatchedMessageDone,
                            .boxAnswered = RecordBoxAnswer,
                            .textRead = RecordTextRead});
}

// The replay of a #replay= link, or false with the reason to tell.
bool ReadLinkedReplay(const std::string& address, ReplayRecord& replay, std::string& error) {
    std::string bytes;
    if (!ReplayOfCodeOrFile(address, bytes, error))
        return false;
    if (DecodeReplay(bytes, replay, error) != ReplayRead)
        return false;
    return ReplayLevelsPresent(replay, error) && EnterReplayDirectory(replay, error);
}

}  // namespace

void StartWebSession() {
    std::string address(size_t(web_page_address(nullptr, 0)) + 1, '\0');
    address.resize(size_t(web_page_address(address.data(), int(address.size()))));
    if (address.find("#replay=") == std::string::npos) {
        Record();
        return;
    }
    ReplayRecord replay;
    std::string error;
    if (!ReadLinkedReplay(address, replay, error)) {
        web_replay_refused(error.c_str());
        Record();
        return;
    }
    PlayingLink = true;
    RecordedChecksum = replay.finalChecksum;
    ApplyRecordedOptions(replay);
    BeginPlayback(
        replay, PlaybackHooks{.setKeys = host::SetReplayedKeys, .deliver = host::DeliverReplayed});
    host::SetReplayDriver({.playTick = PlayTick,
                           .boxAnswer = PlaybackBoxAnswer,
                           .textRead = PlaybackTextRead,
                           .finished = FinishWebSession});
    web_replay_started(int(replay.totalTicks));
}

void FinishWebSession() {
    if (!PlayingLink)
        return;
    PlayingLink = false;
    const bool same = PlaybackState() == PlaybackSame;
    web_replay_ended(same, int(PlaybackTicks()), same ? -1 : int(PlaybackDesyncTick()),
                     same ? "" : PlaybackDesyncReason().c_str(), GameStateChecksum(),
                     RecordedChecksum);
    LeaveReplayDirectory();
}

extern "C" {

// The code the page's buttons share: 1 the level in the editor, 2 all 35
// levels, 3 the run up to the end of the last game ("" before one ended, or
// when it is too long for a code: morvask_games_ended says which).
EMSCRIPTEN_KEEPALIVE const char* morvask_share_code(int kind) {
    if (kind == ShareLevelKind) {
        const auto first = LevelSet.begin() + BattleState.LevelIndex * ShareLevelCells;
        Answer = LevelShareCode(std::vector<int32_t>(first, first + ShareLevelCells));
    } else if (kind == ShareSetKind) {
        Answer = SetShareCode(LevelSet, "", "");
    } else {
        Answer = LastRunCode();
    }
    return Answer.c_str();
}

// Games ended since the page started.
EMSCRIPTEN_KEEPALIVE int morvask_games_ended() {
    return GamesEnded();
}

// Why the last game's run has no code: 0 it has, 1 too long, 2 the map file
// was replaced from outside during the session.
EMSCRIPTEN_KEEPALIVE int morvask_run_unshared() {
    return int(RunUnshared());
}

// The page replaced map.txt (an upload): a run that loads it cannot be
// played back.
EMSCRIPTEN_KEEPALIVE void morvask_map_replaced() {
    NoteMapReplacedOutside();
}

// The 35 levels in the editor's memory in the map file's format (for the
// page's tests: what a shared set opened to).
EMSCRIPTEN_KEEPALIVE const char* morvask_level_set() {
    Answer = FormatLevelSet(LevelSet);
    return Answer.c_str();
}

// The page keeps the editor's work while it is not saved (page_work.js):
// 1 while leaving would lose edits.
EMSCRIPTEN_KEEPALIVE int morvask_edits_unsaved() {
    return EditsUnsaved() ? 1 : 0;
}

// 1 when the levels in force came from a share (they are saved beside
// map.txt, never over it), for the kept work to come back the same way.
EMSCRIPTEN_KEEPALIVE int morvask_levels_shared() {
    return LevelOrigin.shared ? 1 : 0;
}

// The page's next drop is its kept work coming back: the player's own levels.
EMSCRIPTEN_KEEPALIVE void morvask_next_drop_own() {
    TakeNextDropAsOwnWork();
}

}  // extern "C"
