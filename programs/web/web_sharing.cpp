// Sharing in the web edition: the whole session is recorded in memory (the
// run up to a finished game is what "share run" copies); a #replay= link
// plays its run instead, at the page's speed, and the page hears how it
// compared with the recording. The page also asks for the codes of the
// levels in the editor and reads the level set back for its tests.
#include "programs/web/web_sharing.h"

#include <emscripten.h>

#include <algorithm>
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
#include "shell/records.h"
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

// The replay dropped on the page before this start (its bytes: a replay file,
// or a replay's code or link), into `buffer` when it fits; its length, -1
// for none.
EM_JS(int, web_dropped_replay, (char* buffer, int limit), {
    const bytes = Module.morvask.droppedReplay();
    if (!bytes)
        return -1;
    if (bytes.length <= limit)
        HEAPU8.set(bytes, buffer);
    return bytes.length;
});
// The game's menu shares the run of the last game as the page's button does.
EM_JS(void, web_share_run, (), { Module.morvask.shareRun(); });
// The session's replay file handed to the page to download.
EM_JS(void, web_download_run, (const char* bytes, int length),
      { Module.morvask.downloadRun(HEAPU8.slice(bytes, bytes + length)); });

namespace {

bool PlayingLink = false;
uint32_t RecordedChecksum = 0;
std::string Answer;

void Record() {
    platform::FixCalendarTime(platform::CalendarTimeSeconds());
    BeginRecording(platform::CalendarTimeSeconds());
    host::SetInputRecorder({.arriving = WatchedMessage,
                            .done = WatchedMessageDone,
                            .boxAnswered = RecordBoxAnswer,
                            .textRead = RecordTextRead});
}

// What this start plays: the replay dropped on the page before it (a file's
// bytes, or a code or link as text), else the page's #replay= link; empty
// when neither.
std::string ReplayToPlay(const std::string& address) {
    const int dropped = web_dropped_replay(nullptr, 0);
    if (dropped >= 0) {
        std::string bytes(size_t(dropped), '\0');
        web_dropped_replay(bytes.data(), dropped);
        return bytes;
    }
    return address.find("#replay=") == std::string::npos ? std::string() : address;
}

// The replay of a replay file's bytes or of a code or link, or false with
// the reason to tell. A code alone is read as the link it makes, never as
// the name of a file: the page has no files but its own.
bool ReadReplayToPlay(const std::string& given, ReplayRecord& replay, std::string& error) {
    std::string bytes;
    if (given.rfind("MVRP", 0) == 0) {
        bytes = given;
    } else {
        const size_t start = std::min(given.size(), given.find_first_not_of(" \t\r\n"));
        const std::string link =
            given.find("#replay=") != std::string::npos ? given : "#replay=" + given.substr(start);
        if (!ReplayOfCodeOrFile(link, bytes, error))
            return false;
    }
    if (DecodeReplay(bytes, replay, error) != ReplayRead)
        return false;
    return ReplayLevelsPresent(replay, error) && EnterReplayDirectory(replay, error);
}

}  // namespace

// The player's game: the records kept for this visit (the menu's Records
// and the levels' best times; the browser's storage holds only the map), and
// the session recorded, as on the desktop.
void PlayersGame() {
    KeepRecordsInMemory(RecordsRecord{});
    Record();
}

std::string PageAddress() {
    std::string address(size_t(web_page_address(nullptr, 0)) + 1, '\0');
    address.resize(size_t(web_page_address(address.data(), int(address.size()))));
    return address;
}

void StartWebSession() {
    const std::string address = PageAddress();
    // The editor's share keys and the menu's give links to this page.
    ShareBaseUrl = address.substr(0, address.find('#'));
    const std::string given = ReplayToPlay(address);
    if (given.empty()) {
        PlayersGame();
        return;
    }
    ReplayRecord replay;
    std::string error;
    if (!ReadReplayToPlay(given, replay, error)) {
        web_replay_refused(error.c_str());
        PlayersGame();
        return;
    }
    PlayingLink = true;
    RecordedChecksum = replay.finalChecksum;
    PlayOnHost(replay, {.finished = FinishWebSession});
    web_replay_started(int(replay.totalTicks));
}

bool PlayingReplay() {
    return PlayingLink;
}

void PageSharesLastRun() {
    web_share_run();
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

// The whole session so far as a replay file, for the page to offer when the
// last game's run is too long for a link.
EMSCRIPTEN_KEEPALIVE void morvask_download_run() {
    const std::string run = RecordedRunSoFar();
    web_download_run(run.data(), int(run.size()));
}

// The page's next drop is its own address, a #levels= link followed.
EMSCRIPTEN_KEEPALIVE void morvask_next_drop_link() {
    TakeNextDropAsLink();
}

}  // extern "C"
