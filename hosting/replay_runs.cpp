// Recording and playing runs in the window: the command line's --record,
// --play and --open of a replay, for every host.
#include "hosting/replay_runs.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include "hosting/run_share_key.h"
#include "hosting/status_shown.h"
#include "options/settings_file.h"
#include "platform/host.h"
#include "replay/player.h"
#include "replay/recorder.h"
#include "replay/run_share.h"
#include "replay/share.h"
#include "shell/main_window.h"
#include "shell/records.h"
#include "state/program_state.h"
#include "texts/texts.h"

namespace {

bool PlayTick() {
    return PlayNextTick() == PlaybackGoing;
}

// The folder's writability is tried the way the replay will be written: a
// new file beside the target, removed again.
bool FolderTakesNewFiles(const std::filesystem::path& folder) {
    const std::filesystem::path probe = folder / ".morvask-write-test";
    std::FILE* file = std::fopen(probe.string().c_str(), "wb");
    if (!file)
        return false;
    std::fclose(file);
    std::error_code error;
    std::filesystem::remove(probe, error);
    return true;
}

}  // namespace

bool ReadReplayToPlay(const std::string& path, bool shared, ReplayRecord& replay) {
    std::string bytes;
    std::string error;
    const bool read = shared ? ReplayOfCodeOrFile(path, bytes, error) : ReadReplayFile(path, bytes);
    if (!read && error.empty())
        error = ReplayFileUnreadable;
    else if (read && DecodeReplay(bytes, replay, error) == ReplayRead)
        ReplayLevelsPresent(replay, error);
    if (error.empty())
        return true;
    const std::string shown = path.size() > 240 ? path.substr(0, 40) + "..." : path;
    std::fprintf(stderr, "morvask: %s: %s\n", shown.c_str(), error.c_str());
    return false;
}

void StartRecordingRun() {
    // The seed is taken once, so that the replay names the very value
    // start-up seeds the generator with.
    platform::FixCalendarTime(platform::CalendarTimeSeconds());
    BeginRecording(platform::CalendarTimeSeconds());
    NoteRecordedRecords(RecordsRefused() ? ReplayRecordsRefused
                        : RecordsKept()  ? ReplayRecordsKept
                                         : ReplayNoRecords,
                        RecordsAtStart(), RecordsRefusal());
    NoteRecordedIntro(RecordedIntro(Intro));
    NoteRecordedStatusPlace(uint8_t(PlayerSettings.statusPlace));
    NoteRecordsSource(CurrentRecords);
    host::SetInputRecorder({.arriving = WatchedMessage,
                            .done = RecordedMessageDone,
                            .boxAnswered = RecordBoxAnswer,
                            .textRead = RecordTextRead});
}

void ApplyRecordedOptions(const ReplayRecord& replay) {
    platform::FixCalendarTime(replay.seed);
    // What the run showed: its boxes' language (a version 1 file does not
    // say, and the viewer's is used), its start, the status and the records
    // R showed, in memory.
    Intro = IntroOfRecorded(replay.intro);
    // The status where it showed; a file from before the status showed none.
    ShowStatusAt(replay.formatVersion >= 2 ? host::StatusPlace(replay.statusPlace)
                                           : host::StatusOff);
    if (replay.formatVersion >= 2) {
        CurrentLanguage = replay.language == 1 ? English : Chinese;
        platform::SetBoxButtonTexts(Text(OkButton), Text(YesButton), Text(NoButton));
        if (replay.recordsKind == ReplayRecordsKept)
            KeepRecordsInMemory(replay.records);
        else if (replay.recordsKind == ReplayRecordsRefused)
            KeepRecordsRefused(replay.recordsRefusal);
    }
}

bool StartPlayingReplay(const CommandLine& line, const ReplayRecord& replay) {
    std::string error;
    if (!EnterReplayDirectory(replay, error)) {
        std::fprintf(stderr, "morvask: %s\n", error.c_str());
        return false;
    }
    PlayOnHost(replay, {.speed = line.speed, .tickMs = int(BattleTimerPeriodMs)});
    return true;
}

void PlayOnHost(const ReplayRecord& replay, host::ReplayDriver driver) {
    ApplyRecordedOptions(replay);
    BeginPlayback(
        replay, PlaybackHooks{.setKeys = host::SetReplayedKeys, .deliver = host::DeliverReplayed});
    driver.playTick = PlayTick;
    driver.boxAnswer = PlaybackBoxAnswer;
    driver.textRead = PlaybackTextRead;
    host::SetReplayDriver(driver);
}

int ReportPlayback(const std::string& shownName) {
    if (PlaybackState() == PlaybackDesync) {
        std::fprintf(stderr, "morvask: %s: desync at tick %u: %s\n", shownName.c_str(),
                     PlaybackDesyncTick(), PlaybackDesyncReason().c_str());
        const bool chinese = CurrentLanguage == Chinese;
        std::string text =
            (chinese ? "回放在第 " + std::to_string(PlaybackDesyncTick()) + " 刻与录像不同。"
                     : "The replay parted from the recording at tick " +
                           std::to_string(PlaybackDesyncTick()) + ".") +
            "\n" + PlaybackDesyncReason();
        host::ShowNotice(text.c_str(), chinese ? "回放" : "Replay");
        return 1;
    }
    if (PlaybackState() == PlaybackSame)
        std::printf("morvask: %s: end of the replay, %u ticks, the same game as recorded\n",
                    shownName.c_str(), PlaybackTicks());
    else if (host::ReplayStoppedByViewer())
        std::printf("morvask: %s: playback stopped at tick %u of %u\n", shownName.c_str(),
                    PlaybackTicks(), PlaybackTotalTicks());
    std::fflush(stdout);
    return 0;
}

int FinishRecordedRun(const std::string& path, int exitCode) {
    std::string error;
    if (!FinishRecording(path, error)) {
        std::fprintf(stderr, "morvask: %s\n", error.c_str());
        return exitCode == 0 ? 1 : exitCode;
    }
    return exitCode;
}

bool ReplayPathWritable(const std::string& path, std::string& why) {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path target(path);
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    const fs::file_status folderStatus = fs::status(folder, error);
    if (!fs::is_directory(folderStatus)) {
        why = "the folder " + folder.string() + " does not exist";
        return false;
    }
    const fs::perms anyWrite =
        fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    // A folder with no write bit at all is refused even to a user whom the
    // system would let write there anyway.
    if ((folderStatus.permissions() & anyWrite) == fs::perms::none ||
        !FolderTakesNewFiles(folder)) {
        why = "the folder " + folder.string() + " cannot be written";
        return false;
    }
    const fs::file_status fileStatus = fs::status(target, error);
    if (fs::exists(fileStatus) && !fs::is_regular_file(fileStatus)) {
        why = "it is not a file";
        return false;
    }
    if (fs::exists(fileStatus) && (fileStatus.permissions() & anyWrite) == fs::perms::none) {
        why = "the file cannot be written";
        return false;
    }
    return true;
}
