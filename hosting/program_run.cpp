// The run of a program from its command line to its exit status: what is
// decided the same way on every host.
#include "hosting/program_run.h"

#include <cstdio>
#include <string>

#include "formats/share_code.h"
#include "hosting/host_settings.h"
#include "hosting/online_game.h"
#include "hosting/online_watch.h"
#include "hosting/program_reset.h"
#include "hosting/replay_runs.h"
#include "options/settings_file.h"
#include "platform/host.h"
#include "replay/player.h"
#include "replay/share.h"
#include "shell/main_window.h"
#include "shell/records.h"
#include "state/program_state.h"
#include "texts/texts.h"

namespace {

// A file's name, or the start of a long code or link, for messages.
std::string ShortName(const std::string& text) {
    return text.size() > 240 ? text.substr(0, 40) + "..." : text;
}

// The settings file as it is, for the share link's address and the author's
// name; nothing is written and its problems wait for the game's start.
SettingsRecord SettingsAsTheyAre(const std::string& path) {
    std::string text;
    std::vector<std::string> problems;
    if (path.empty() || !platform::ReadSmallFile(path.c_str(), MaxSettingsFileBytes, text))
        return SettingsRecord{};
    return ParseSettings(text, path, problems);
}

// --share FILE: "code: " and the code on the first line (for --open and
// Ctrl+V), "link: " and the link on the second.
int PrintShareCode(const std::string& path, const std::string& settingsPath) {
    const SettingsRecord settings = SettingsAsTheyAre(settingsPath);
    ShareKind kind = ShareLevelKind;
    std::string code;
    std::string error;
    if (!ShareCodeOfFile(path, settings.shareAuthor, kind, code, error)) {
        std::fprintf(stderr, "morvask: %s: %s\n", path.c_str(), error.c_str());
        return 2;
    }
    // No reader takes a longer code: it is refused here, not printed.
    if (code.size() > MaxShareCodeChars) {
        std::fprintf(stderr,
                     "morvask: %s: its code would be %zu characters, more than the %zu a code "
                     "may have; share the file itself\n",
                     path.c_str(), code.size(), MaxShareCodeChars);
        return 1;
    }
    std::printf("code: %s\nlink: %s\n", code.c_str(),
                ShareLink(settings.shareUrl, kind, code).c_str());
    return std::fflush(stdout) == 0 ? 0 : 1;
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

// Levels --open names are dropped on the window as they were given: a code
// or link as its text, a file as its bytes (the game reads both as a drop).
void DropOpenedLevels(const std::string& openText) {
    std::string bytes;
    const bool file =
        platform::ReadSmallFile(openText.c_str(), platform::MaxOutsideTextBytes, bytes);
    host::DropAfterStart(file ? bytes : openText);
}

// The game in the window, played by the player or by a replay; the exit
// status of the message loop, or of the playback.
int RunInWindow(CommandLine& line, const ProgramPlaces& places, const ReplayRecord* replay,
                bool dropOpened, int showCommand) {
    PutSettingsInForce(line, places.settingsPath);
    // Play online is offered where the program can play over the network;
    // a replay shows the rows its run had.
    const bool online = !replay && host::NetAvailable();
    OfferMenu(true, online);
    if (online)
        OfferOnlineInMenu(line);
    // A replay played back never touches the player's records.
    if (!replay && !places.settingsPath.empty())
        KeepRecordsIn(RecordsPathBeside(places.settingsPath));
    // Every session is recorded in memory, so that a finished game can be
    // shared (Ctrl+Shift+C after its box); --record also writes it out.
    if (!replay)
        StartRecordingRun();
    else if (!StartPlayingReplay(line, *replay))
        return 2;
    if (dropOpened)
        DropOpenedLevels(line.openText);
    // Esc opens the menu in the player's game; in a replay as in its run.
    if (!replay)
        EscapeOpensMenu = true;
    // The settings file's problems, told on standard error already, are told
    // once in the window too (a game started from a menu has no terminal),
    // first of all; a replay played back never shows them.
    if (!replay)
        SetStartNotice(SettingsProblemsNotice());
    StartUp(showCommand);
    int exitCode = platform::RunMessageLoop();
    if (replay) {
        exitCode = ReportPlayback(ShortName(line.playPath));
        LeaveReplayDirectory();
    }
    return exitCode;
}

// The replay of an online game played or watched without --record: beside
// the settings, so that a game that stopped on a fault can be reported.
std::string KeptBesideSettings(const ProgramPlaces& places, const char* name) {
    const size_t slash = places.settingsPath.find_last_of("/\\");
    const std::string folder =
        slash == std::string::npos ? "" : places.settingsPath.substr(0, slash + 1);
    return folder + name;
}

using Meeting = bool (*)(const CommandLine& line, const std::string& lobbyText, std::string& error);

// Before the window of a game over the network: the record path tried, the
// lobby (the command line's, else the settings') met as `meet` does, and
// the host started; false with the exit status when any of it fails.
bool MeetAndStart(const CommandLine& line, const ProgramPlaces& places, Meeting meet,
                  const char* what, int& status) {
    status = 2;
    if (!RecordPathUsable(line.recordPath))
        return false;
    const std::string lobby =
        line.lobby.empty() ? SettingsAsTheyAre(places.settingsPath).lobby : line.lobby;
    std::string error;
    status = 3;
    if (!host::NetAvailable() || !meet(line, lobby, error)) {
        std::fprintf(stderr, "morvask: %s: %s\n", what,
                     error.empty() ? "this program has no network" : error.c_str());
        return false;
    }
    host::StopOnSignals();
    status = 1;
    return host::Start();
}

// The game of two both play once met, from the host's seed with the short
// start; the host stopped after.
int PlayMetGame(CommandLine& line, const ProgramPlaces& places, int showCommand) {
    line.players = 2;
    PutSettingsInForce(line, places.settingsPath);
    Intro = {.shortIntro = true, .sound = true};
    platform::FixCalendarTime(Online.link.seed);
    StartOnlineRun();
    StartUp(showCommand);
    int exitCode = platform::RunMessageLoop();
    exitCode =
        FinishOnlineRun(line.recordPath, KeptBesideSettings(places, "online-game.mvr"), exitCode);
    host::Stop();
    return exitCode;
}

// --host or --join: the other program is met before the window opens.
int RunOnline(CommandLine& line, const ProgramPlaces& places, int showCommand) {
    int status = 0;
    if (!MeetAndStart(line, places, MeetOtherProgram, "online game", status))
        return status;
    return PlayMetGame(line, places, showCommand);
}

// Play online chosen in the menu and the other met: the game that was in the
// window is over (its recording written where --record said), and the
// online game starts afresh in a new window.
int PlayMetFromMenu(CommandLine& line, const ProgramPlaces& places, int showCommand) {
    ResetProgram();
    host::SetInputRecorder({});
    line.recordPath.clear();
    line.openText.clear();
    line.playPath.clear();
    return PlayMetGame(line, places, showCommand);
}

// --watch CODE: the game of a lobby's room played in the window as its
// feed comes, and its replay kept.
int RunWatch(CommandLine& line, const ProgramPlaces& places, int showCommand) {
    int status = 0;
    if (!MeetAndStart(line, places, MeetWatchedGame, "watching", status))
        return status;
    PutSettingsInForce(line, places.settingsPath);
    std::string error;
    if (!EnterReplayDirectory(WatchedReplay(), error)) {
        std::fprintf(stderr, "morvask: %s\n", error.c_str());
        host::Stop();
        return 2;
    }
    ApplyRecordedOptions(WatchedReplay());
    StartWatchRun(line.speed, false);
    StartUp(showCommand);
    int exitCode = platform::RunMessageLoop();
    exitCode = ReportPlayback("watched game " + line.watchText);
    LeaveReplayDirectory();
    exitCode = FinishWatchRun(
        line.recordPath.empty() ? KeptBesideSettings(places, "watched-game.mvr") : line.recordPath,
        exitCode);
    host::Stop();
    return exitCode;
}

}  // namespace

int RunProgram(CommandLine& line, const ProgramPlaces& places, int showCommand) {
    if (!line.sharePath.empty())
        return PrintShareCode(line.sharePath, places.settingsPath);
    if (line.hostOnline || !line.joinText.empty())
        return RunOnline(line, places, showCommand);
    if (!line.watchText.empty())
        return RunWatch(line, places, showCommand);
    SharedContent opened;
    if (!TakeOpenedText(line, opened) || !RecordPathUsable(line.recordPath))
        return 2;
    const bool shared = opened.kind == ShareReplayKind && !line.openText.empty();
    // Ctrl+C and a polite kill end the game cleanly: the replay is written.
    host::StopOnSignals();
    // A replay that cannot be played as recorded is refused before anything
    // shows.
    ReplayRecord replay;
    const bool playing = !line.playPath.empty();
    if (playing && !ReadReplayToPlay(line.playPath, shared, replay))
        return 2;
    // A game nobody can see is never run.
    if (!host::Start())
        return 1;
    const bool dropOpened = !line.openText.empty() && !playing;
    int exitCode = RunInWindow(line, places, playing ? &replay : nullptr, dropOpened, showCommand);
    if (MetFromMenu()) {
        if (!line.recordPath.empty())
            FinishRecordedRun(line.recordPath, exitCode);
        return PlayMetFromMenu(line, places, showCommand);
    }
    host::Stop();
    if (!line.recordPath.empty())
        return FinishRecordedRun(line.recordPath, exitCode);
    return exitCode;
}
