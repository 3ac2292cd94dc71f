// The process entry of the desktop program: reads the command line, makes
// sure there is a display to show the game on, then runs the game.
#include <SDL.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

#include "editor/share_keys.h"
#include "options/command_line.h"
#include "options/settings_file.h"
#include "platform/files.h"
#include "platform/platform.h"
#include "platform/sdl/sdl_backend.h"
#include "platform/sdl/sdl_controls.h"
#include "programs/desktop/run_share_key.h"
#include "programs/desktop/status_display.h"
#include "replay/file.h"
#include "replay/player.h"
#include "replay/recorder.h"
#include "replay/run_share.h"
#include "replay/share.h"
#include "shell/main_window.h"
#include "shell/records.h"
#include "state/program_state.h"
#include "texts/extra_texts.h"
#include "texts/texts.h"

namespace {

bool Set(const char* name) {
    const char* value = std::getenv(name);
    return value && *value;
}

// SDL's drivers that show nothing to anybody.
bool DriverIsInvisible(const char* driver) {
    return driver && (std::strcmp(driver, "dummy") == 0 || std::strcmp(driver, "offscreen") == 0);
}

void Remember(const char* key, const std::string& value) {
    if (!PlayerSettingsPath.empty() && !SaveSetting(PlayerSettingsPath, key, value))
        std::fprintf(stderr, "morvask: %s: could not save %s\n", PlayerSettingsPath.c_str(), key);
}

// The volume the player set with + and -, and the full screen of F11, are
// those of the next start.
void RememberVolume(int percent) {
    PlayerSettings.volume = percent;
    Remember("volume", std::to_string(percent));
}

void RememberFullscreen(bool fullscreen) {
    PlayerSettings.fullscreen = fullscreen;
    Remember("fullscreen", fullscreen ? "yes" : "no");
}

// F10's scale mode; the window's modes are the setting's, in the same order.
void RememberScaleMode(software::WindowScaleMode mode) {
    PlayerSettings.scaleMode = ScaleMode(mode);
    Remember("scale_mode", ScaleModeValue(PlayerSettings.scaleMode));
}

std::string VolumeIndicatorText(int percent) {
    char text[64];
    std::snprintf(text, sizeof text, ExtraText(VolumeIndicator), percent);
    return text;
}

// "Scale: sharp"; auto says what it chose, "Scale: auto (sharp)".
std::string ScaleIndicatorText(software::WindowScaleMode mode, software::WindowScaleMode shownAs) {
    constexpr ExtraTextId Names[] = {ScaleModeIntegerName, ScaleModeFitName, ScaleModeSharpName,
                                     ScaleModeAutoName};
    const bool automatic = mode == software::WindowAuto;
    std::string text = ExtraText(automatic ? ScaleAutoIndicator : ScaleIndicator);
    return text.replace(text.find("%s"), 2, ExtraText(Names[int(automatic ? shownAs : mode) % 4]));
}

// A file's name, or the start of a long code or link, for messages.
std::string ShortName(const std::string& text) {
    return text.size() > 240 ? text.substr(0, 40) + "..." : text;
}

// ---- Sharing with no window ---------------------------------------------------

// The settings file as it is, for the share link's address and the author's
// name; nothing is written and its problems wait for the game's start.
SettingsRecord SettingsAsTheyAre() {
    std::string text;
    std::vector<std::string> problems;
    const std::string path = UnixSettingsPath(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME"));
    if (path.empty() || !platform::ReadSmallFile(path.c_str(), MaxSettingsFileBytes, text))
        return SettingsRecord{};
    return ParseSettings(text, path, problems);
}

// --share FILE: the code on the first line, the link on the second.
int PrintShareCode(const std::string& path) {
    const SettingsRecord settings = SettingsAsTheyAre();
    ShareKind kind = ShareLevelKind;
    std::string code;
    std::string error;
    if (!ShareCodeOfFile(path, settings.shareAuthor, kind, code, error)) {
        std::fprintf(stderr, "morvask: %s: %s\n", path.c_str(), error.c_str());
        return 2;
    }
    std::printf("%s\n%s\n", code.c_str(), ShareLink(settings.shareUrl, kind, code).c_str());
    return std::fflush(stdout) == 0 ? 0 : 1;
}

// Whether a replay can be written at `path` when the game ends, as
// platform::ReplaceFileWhole writes it: a new file in its folder, moved over
// the old one. The reason when not, so that the player learns it before
// playing rather than after the whole game.
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
    if ((folderStatus.permissions() & anyWrite) == fs::perms::none ||
        access(folder.c_str(), W_OK | X_OK) != 0) {
        why = "the folder " + folder.string() + " cannot be written";
        return false;
    }
    const fs::file_status fileStatus = fs::status(target, error);
    if (fs::exists(fileStatus) && !fs::is_regular_file(fileStatus)) {
        why = "it is not a file";
        return false;
    }
    if (fs::exists(fileStatus) && ((fileStatus.permissions() & anyWrite) == fs::perms::none ||
                                   access(path.c_str(), W_OK) != 0)) {
        why = "the file cannot be written";
        return false;
    }
    return true;
}

// ---- Playing a replay in the window ----------------------------------------

// Reads the replay to play (a file for --play; a code, link or file for
// --open); false, with the reason on standard error, when it is not one this
// program can play as recorded.
bool ReadReplay(const std::string& path, bool shared, ReplayRecord& replay) {
    std::string bytes;
    std::string error;
    const bool read = shared ? ReplayOfCodeOrFile(path, bytes, error) : ReadReplayFile(path, bytes);
    if (!read && error.empty())
        error = ReplayFileUnreadable;
    else if (read && DecodeReplay(bytes, replay, error) == ReplayRead)
        ReplayLevelsPresent(replay, error);
    if (error.empty())
        return true;
    std::fprintf(stderr, "morvask: %s: %s\n", ShortName(path).c_str(), error.c_str());
    return false;
}

bool PlayTick() {
    return PlayNextTick() == PlaybackGoing;
}

bool DeliverRecorded(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    return sdl::DeliverReplayed(message, wParam, lParam);
}

// How the playback ended, on the terminal and, for a desync, in the window;
// the exit status: 0 when the replay played to its end or the viewer closed
// the window, 1 when the game parted from the recording.
int ReportPlayback(const std::string& path) {
    if (PlaybackState() == PlaybackDesync) {
        std::fprintf(stderr, "morvask: %s: desync at tick %u: %s\n", path.c_str(),
                     PlaybackDesyncTick(), PlaybackDesyncReason().c_str());
        const bool chinese = CurrentLanguage == Chinese;
        std::string text =
            (chinese ? "回放在第 " + std::to_string(PlaybackDesyncTick()) + " 刻与录像不同。"
                     : "The replay parted from the recording at tick " +
                           std::to_string(PlaybackDesyncTick()) + ".") +
            "\n" + PlaybackDesyncReason();
        sdl::ShowNotice(text.c_str(), chinese ? "回放" : "Replay");
        return 1;
    }
    if (PlaybackState() == PlaybackSame)
        std::printf("morvask: %s: end of the replay, %u ticks, the same game as recorded\n",
                    path.c_str(), PlaybackTicks());
    else if (sdl::ReplayStoppedByViewer())
        std::printf("morvask: %s: playback stopped at tick %u of %u\n", path.c_str(),
                    PlaybackTicks(), PlaybackTotalTicks());
    return 0;
}

// Opens the display; false, with the reason on standard error, when there
// is none or SDL's driver shows nobody the game.
bool OpenDisplay() {
    if (!Set("SDL_VIDEODRIVER") && !Set("DISPLAY") && !Set("WAYLAND_DISPLAY")) {
        std::fprintf(stderr,
                     "morvask: no display to show the game on (neither DISPLAY nor "
                     "WAYLAND_DISPLAY is set)\n");
        return false;
    }
    if (!sdl::StartVideo())
        return false;
    if (DriverIsInvisible(SDL_GetCurrentVideoDriver())) {
        std::fprintf(stderr, "morvask: the video driver \"%s\" shows no window\n",
                     SDL_GetCurrentVideoDriver());
        sdl::StopAll();
        return false;
    }
    return true;
}

// The settings file, and the command line over it: the window, the sound and
// the pads, and where the player's changes are remembered.
void ApplySettings(const CommandLine& line) {
    LoadPlayerSettings(UnixSettingsPath(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME")));
    ApplyCommandLine(line, PlayerSettings);
    ApplyPlayerSettings();
    sdl::SetWindowOptions({.fullscreen = PlayerSettings.fullscreen,
                           .scale = PlayerSettings.scale,
                           .scaleMode = software::WindowScaleMode(PlayerSettings.scaleMode)});
    sdl::SetFullscreenObserver(RememberFullscreen);
    sdl::SetScaleModeObserver(RememberScaleMode);
    sdl::SetIndicatorTexts({.volume = VolumeIndicatorText, .scaleMode = ScaleIndicatorText});
    sdl::SetVolume(PlayerSettings.volume);
    sdl::SetVolumeObserver(RememberVolume);
    sdl::SetPadDeadZone(PlayerSettings.padDeadzone);
    Intro = {.shortIntro = PlayerSettings.shortIntro, .sound = PlayerSettings.volume > 0};
    ShowStatusAs(PlayerSettings.hud);
    sdl::StartPads();
    ShareBaseUrl = PlayerSettings.shareUrl;
    ShareAuthor = PlayerSettings.shareAuthor;
}

void StartRecording() {
    // The seed is taken once, so that the replay names the very value
    // start-up seeds the generator with.
    platform::FixCalendarTime(platform::CalendarTimeSeconds());
    BeginRecording(platform::CalendarTimeSeconds());
    NoteRecordedRecords(RecordsRefused() ? ReplayRecordsRefused
                        : RecordsKept()  ? ReplayRecordsKept
                                         : ReplayNoRecords,
                        RecordsAtStart(), RecordsRefusal());
    NoteRecordedIntro(Intro.shortIntro ? (Intro.sound ? 2 : 1) : 0);
    NoteRecordedHud(uint8_t(PlayerSettings.hud));
    sdl::SetInputRecorder({.arriving = WatchedMessage,
                           .done = DesktopMessageDone,
                           .boxAnswered = RecordBoxAnswer,
                           .textRead = RecordTextRead});
}

// Sets the replay up to play in the window, in a directory holding the map
// file it began with; false, with the reason on standard error, when that
// directory cannot be made.
bool StartPlayback(const CommandLine& line, const ReplayRecord& replay) {
    std::string error;
    if (!EnterReplayDirectory(replay, error)) {
        std::fprintf(stderr, "morvask: %s: %s\n", ShortName(line.playPath).c_str(), error.c_str());
        return false;
    }
    platform::FixCalendarTime(replay.seed);
    // What the run showed: its boxes' language (a version 1 file does not
    // say, and the viewer's is used), its start, the status and the records
    // R showed, in memory.
    Intro = {.shortIntro = replay.intro != 0, .sound = replay.intro == 2};
    // The status where it showed; a file from before the status showed none.
    ShowStatusAs(replay.formatVersion >= 2 ? int32_t(replay.hud) : int32_t(HudOff));
    if (replay.formatVersion >= 2) {
        CurrentLanguage = replay.language == 1 ? English : Chinese;
        platform::SetBoxButtonTexts(Text(OkButton), Text(YesButton), Text(NoButton));
        if (replay.recordsKind == ReplayRecordsKept)
            KeepRecordsInMemory(replay.records);
        else if (replay.recordsKind == ReplayRecordsRefused)
            KeepRecordsRefused(replay.recordsRefusal);
    }
    BeginPlayback(replay,
                  PlaybackHooks{.setKeys = sdl::SetReplayedKeys, .deliver = DeliverRecorded});
    sdl::SetReplayDriver({.playTick = PlayTick,
                          .boxAnswer = PlaybackBoxAnswer,
                          .textRead = PlaybackTextRead,
                          .speed = line.speed,
                          .tickMs = int(BattleTimerPeriodMs)});
    return true;
}

// Writes the recorded run; the program's exit status, which says a replay
// that could not be written.
int FinishRecordedRun(const std::string& path, int exitCode) {
    std::string error;
    if (!FinishRecording(path, error)) {
        std::fprintf(stderr, "morvask: %s\n", error.c_str());
        return exitCode == 0 ? 1 : exitCode;
    }
    return exitCode;
}

// What --open names is read before anything shows: a replay is played as
// --play plays a file, levels are dropped on the window once it is up. False,
// with the reason told, when it cannot be opened.
bool TakeOpenedText(CommandLine& line, SharedContent& opened) {
    if (line.openText.empty())
        return true;
    std::string error;
    if (!OpenShareText(line.openText, opened, error)) {
        std::fprintf(stderr, "morvask: %s: %s\n", ShortName(line.openText).c_str(), error.c_str());
        return false;
    }
    if (opened.kind == ShareReplayKind)
        line.playPath = line.openText;
    return true;
}

// A replay that could not be written at the end is refused before the game
// is played; true when there is none to write or it can be written.
bool RecordPathUsable(const std::string& path) {
    std::string why;
    if (path.empty() || ReplayPathWritable(path, why))
        return true;
    std::fprintf(stderr, "morvask: --record %s: %s\n", path.c_str(), why.c_str());
    return false;
}

// The settings file's problems, told on standard error already, once in the
// window too (a game started from a menu has no terminal); a box of the
// program's own, which the game and a replay never see.
void ShowSettingsProblems() {
    const std::string notice = SettingsProblemsNotice();
    if (!notice.empty())
        sdl::ShowNotice(notice.c_str(), Text(SettingsCaption));
}

}  // namespace

int main(int argumentCount, char** arguments) {
    CommandLine line = ReadCommandLine(argumentCount - 1, arguments + 1);
    if (line.action == CommandLineAction::Exit) {
        std::fputs(line.output.c_str(), stdout);
        return 0;
    }
    if (line.action == CommandLineAction::BadUsage) {
        std::fputs(line.output.c_str(), stderr);
        return 2;
    }
    if (!line.sharePath.empty())
        return PrintShareCode(line.sharePath);
    SharedContent opened;
    if (!TakeOpenedText(line, opened))
        return 2;
    const bool shared = opened.kind == ShareReplayKind && !line.openText.empty();
    if (!RecordPathUsable(line.recordPath))
        return 2;
    // Ctrl+C and a polite kill end the game cleanly: the replay is written.
    sdl::StopOnSignals();
    // A replay that cannot be played as recorded is refused before anything
    // shows.
    ReplayRecord replay;
    const bool playing = !line.playPath.empty();
    if (playing && !ReadReplay(line.playPath, shared, replay))
        return 2;
    // A game nobody can see is never run.
    if (!OpenDisplay())
        return 1;
    ApplySettings(line);
    // A replay played back never touches the player's records.
    if (!playing && !PlayerSettingsPath.empty())
        KeepRecordsIn(RecordsPathBeside(PlayerSettingsPath));
    // Every session is recorded in memory, so that a finished game can be
    // shared (Ctrl+Shift+C after its box); --record also writes it out.
    if (!playing)
        StartRecording();
    if (playing && !StartPlayback(line, replay)) {
        sdl::StopAll();
        return 2;
    }
    // Levels --open names are dropped on the window as their code.
    if (!line.openText.empty() && !playing)
        sdl::DropAfterStart(opened.kind == ShareSetKind
                                ? SetShareCode(opened.cells, opened.title, opened.author)
                                : LevelShareCode(opened.cells));
    StartUp(platform::SW_SHOWNORMAL);
    if (!playing)
        ShowSettingsProblems();
    int exitCode = platform::RunMessageLoop();
    if (playing) {
        exitCode = ReportPlayback(ShortName(line.playPath));
        LeaveReplayDirectory();
    }
    sdl::StopAll();
    if (!line.recordPath.empty())
        return FinishRecordedRun(line.recordPath, exitCode);
    return exitCode;
}
