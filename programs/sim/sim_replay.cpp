// Replays in morvask-sim on the headless backend.
#include "programs/sim/sim_replay.h"

#include <bitset>
#include <cstdio>

#include "platform/headless/headless.h"
#include "programs/sim/state_json.h"
#include "render/draw.h"
#include "replay/file.h"
#include "replay/player.h"
#include "replay/recorder.h"
#include "replay/run_share.h"
#include "replay/share.h"
#include "shell/main_window.h"
#include "shell/records.h"
#include "state/program_state.h"
#include "texts/texts.h"

namespace {

void SetKeys(const std::bitset<256>& keys) {
    headless::ReleaseAllKeys();
    for (int key = 0; key < 256; ++key)
        if (keys.test(key))
            headless::SetKeyDown(key, true);
}

bool DeliverMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (message == platform::WM_TIMER) {
        if (!headless::TimerIsSet(wParam))
            return false;
        headless::StepTick();
        return true;
    }
    headless::Deliver(message, wParam, lParam);
    return true;
}

// A version 2 replay shows its boxes in its own language and keeps the
// records it began with, in memory only.
void TakeShownOptions(const ReplayRecord& replay) {
    Intro = IntroOfRecorded(replay.intro);
    if (replay.formatVersion < 2)
        return;
    CurrentLanguage = replay.language == 1 ? English : Chinese;
    if (replay.recordsKind == ReplayRecordsKept)
        KeepRecordsInMemory(replay.records);
    else if (replay.recordsKind == ReplayRecordsRefused)
        KeepRecordsRefused(replay.recordsRefusal);
    else
        ResetRecords();
}

int Refuse(const std::string& path, const std::string& why) {
    std::fprintf(stderr, "morvask-sim: %s: %s\n", path.c_str(), why.c_str());
    return 2;
}

}  // namespace

int VerifyReplay(const std::string& source) {
    // A code is named by its first characters, not the whole of it.
    const std::string path = source.size() > 40 ? source.substr(0, 24) + "..." : source;
    std::string bytes;
    std::string error;
    if (!ReplayOfCodeOrFile(source, bytes, error))
        return Refuse(path, error);
    ReplayRecord replay;
    if (DecodeReplay(bytes, replay, error) != ReplayRead)
        return Refuse(path, error);
    if (!ReplayLevelsPresent(replay, error) || !EnterReplayDirectory(replay, error))
        return Refuse(path, error);

    headless::SetSeed(replay.seed);
    TakeShownOptions(replay);
    headless::SetBoxAnswerer(
        [](const char*, const char*, uint32_t type) { return PlaybackBoxAnswer(type); });
    headless::SetTextAnswerer(PlaybackTextRead);
    DrawingEnabled = false;
    BeginPlayback(replay, PlaybackHooks{.setKeys = SetKeys, .deliver = DeliverMessage});
    StartUp(platform::SW_SHOWNORMAL);
    while (PlayNextTick() == PlaybackGoing) {
    }
    LeaveReplayDirectory();

    if (PlaybackState() == PlaybackSame) {
        std::printf("{\"type\":\"verify\",\"tick\":%u,\"result\":\"same\"}\n", PlaybackTicks());
        return 0;
    }
    std::printf("{\"type\":\"verify\",\"tick\":%u,\"result\":\"desync\",\"reason\":%s}\n",
                PlaybackDesyncTick(), JsonString(PlaybackDesyncReason().c_str()).c_str());
    std::fprintf(stderr, "morvask-sim: %s: desync at tick %u: %s\n", path.c_str(),
                 PlaybackDesyncTick(), PlaybackDesyncReason().c_str());
    return 1;
}

void StartRecordedRun(uint32_t seed, uint8_t statusPlace) {
    BeginRecording(seed);
    NoteRecordedRecords(RecordsRefused() ? ReplayRecordsRefused
                        : RecordsKept()  ? ReplayRecordsKept
                                         : ReplayNoRecords,
                        RecordsAtStart(), RecordsRefusal());
    NoteRecordedIntro(RecordedIntro(Intro));
    NoteRecordedStatusPlace(statusPlace);
    NoteRecordsSource(CurrentRecords);
}

void SendRecorded(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    WatchedMessage(message, wParam, lParam);
    headless::Deliver(message, wParam, lParam);
    WatchedMessageDone(message, wParam);
}

void StepRecorded() {
    // A step with the timer stopped delivers nothing, so it is not part of
    // the run.
    if (!headless::TimerIsSet(BattleTimer) || !headless::WindowExists()) {
        headless::StepTick();
        return;
    }
    WatchedMessage(platform::WM_TIMER, BattleTimer, 0);
    headless::StepTick();
    WatchedMessageDone(platform::WM_TIMER, BattleTimer);
}

bool EndRecordedRun(const std::string& path) {
    std::string error;
    if (FinishRecording(path, error))
        return true;
    std::fprintf(stderr, "morvask-sim: %s\n", error.c_str());
    return false;
}

std::string TakeShareRunOption(int& argc, char**& argv) {
    if (argc < 3 || std::string(argv[1]) != "--share-run")
        return "";
    const std::string path = argv[2];
    argv += 2;
    argc -= 2;
    return path;
}

bool WriteRunCode(const std::string& path) {
    // What the share key would give now: the code of the game ended last.
    std::string text;
    if (RunUnshared() == RunTooLongForCode)
        text = "too long\n";
    else if (RunUnshared() == RunSawOutsideMap)
        text = "outside map\n";
    else if (GamesEnded() == 0)
        text = "no game ended\n";
    else
        text = LastRunCode() + "\n";
    std::FILE* file = std::fopen(path.c_str(), "wb");
    bool written = file != nullptr && std::fwrite(text.data(), 1, text.size(), file) == text.size();
    if (file != nullptr)
        written = std::fclose(file) == 0 && written;
    if (!written)
        std::fprintf(stderr, "morvask-sim: cannot write %s\n", path.c_str());
    return written;
}
