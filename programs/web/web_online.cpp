// An online game in the page: the link's request read, the page told each
// stage (the room's code to send, playing, why it stopped), and the game run
// through the session as on the desktop.
#include "programs/web/web_online.h"

#include <emscripten.h>

#include <cstdio>
#include <cstdlib>

#include "hosting/online_game.h"
#include "hosting/online_watch.h"
#include "hosting/replay_runs.h"
#include "platform/host.h"
#include "replay/checksum.h"
#include "replay/player.h"
#include "shell/main_window.h"
#include "state/program_state.h"

// The stages: "asking" (the lobby asked), "room" (the host's code, to send),
// "playing", "failed" (why), "ended" (the agreed ticks and checksum).
EM_JS(void, web_online_stage, (const char* stage, const char* text, int ticks, uint32_t checksum), {
    if (Module.morvask.onlineStage)
        Module.morvask.onlineStage(UTF8ToString(stage), UTF8ToString(text), ticks, checksum >>> 0);
});

EM_JS(void, web_online_replay, (const char* bytes, int size),
      { Module.morvask.onlineReplay(HEAPU8.slice(bytes, bytes + size)); });

// Whether the page's connection to the lobby closed (or never opened).
EM_JS(int, web_lobby_closed, (),
      { return !Module.morvaskNet || Module.morvaskNet.state == "closed"; });

namespace {

// Where the agreed game is kept, as the desktop keeps it beside the settings,
// and a watched one.
constexpr const char* KeptPath = "/save/online-game.mvr";
constexpr const char* WatchedPath = "/save/watched-game.mvr";

// A number after "NAME=" among the fragment's "&"-separated parts, within
// its range; `fallback` when absent or out of range.
int FragmentNumber(const std::string& fragment, const std::string& name, int lowest, int highest,
                   int fallback) {
    const size_t at = fragment.find("&" + name + "=");
    if (at == std::string::npos)
        return fallback;
    const char* text = fragment.c_str() + at + name.size() + 2;
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    const bool whole = end != text && (*end == '\0' || *end == '&');
    return whole && value >= lowest && value <= highest ? int(value) : fallback;
}

// #host, or #join=CODE; either with &delay=N (the input delay, 0 to 8) and
// &ticks=N (a game of a set length, for tests).
bool ReadRequest(const std::string& address, CommandLine& line) {
    const size_t hash = address.find('#');
    if (hash == std::string::npos)
        return false;
    const std::string fragment = address.substr(hash);
    if (fragment == "#host" || fragment.rfind("#host&", 0) == 0) {
        line.hostOnline = true;
    } else if (fragment.rfind("#join=", 0) == 0) {
        line.joinText = fragment.substr(6, fragment.find('&') - 6);
    } else {
        return false;
    }
    line.inputDelay = FragmentNumber(fragment, "delay", 0, 8, line.inputDelay);
    line.onlineTicks = FragmentNumber(fragment, "ticks", 1, 1 << 30, 0);
    // A page reaches no one but the lobby.
    line.relayOnly = true;
    return true;
}

// The kept replay of the game, handed to the page.
void HandOverReplay(const char* path) {
    std::FILE* file = std::fopen(path, "rb");
    if (!file)
        return;
    std::string bytes;
    char chunk[4096];
    for (size_t got; (got = std::fread(chunk, 1, sizeof chunk, file)) > 0;)
        bytes.append(chunk, got);
    std::fclose(file);
    web_online_replay(bytes.data(), int(bytes.size()));
}

void TellRoomMade(const std::string& code) {
    web_online_stage("room", code.c_str(), 0, 0);
}

// How the watching ended, for the page: the same game as its players'
// (the feed came whole and played to its end alike), or why not.
std::string WatchOutcome() {
    if (PlaybackState() == PlaybackDesync)
        return "the game parted from its feed at tick " + std::to_string(PlaybackDesyncTick()) +
               ": " + PlaybackDesyncReason();
    if (PlaybackState() == PlaybackSame)
        return "";
    return WatchProblem().empty() ? "watching stopped" : WatchProblem();
}

// #watch=CODE: the game of the lobby's room played as its feed comes; false
// when it cannot be had (the page is told why).
bool Watch(const std::string& code, int& exitCode) {
    CommandLine line;
    line.watchText = code;
    web_online_stage("asking", code.c_str(), 0, 0);
    std::string error;
    if (!MeetWatchedGame(line, "page", error) || !EnterReplayDirectory(WatchedReplay(), error)) {
        web_online_stage("failed", error.c_str(), 0, 0);
        return false;
    }
    web_online_stage("watching", code.c_str(), 0, 0);
    ApplyRecordedOptions(WatchedReplay());
    StartWatchRun(1, true);
    const int loopExit = MorvaskMain(platform::SW_SHOWNORMAL);
    const std::string outcome = WatchOutcome();
    const uint32_t ticks = PlaybackTicks();
    const uint32_t checksum = GameStateChecksum();
    LeaveReplayDirectory();
    exitCode = FinishWatchRun(WatchedPath, loopExit);
    if (WatchedWhole())
        HandOverReplay(WatchedPath);
    web_online_stage("ended", outcome.c_str(), int(ticks), checksum);
    return true;
}

}  // namespace

bool PlayOnlineFromAddress(const std::string& address, int& exitCode) {
    const size_t watch = address.find("#watch=");
    if (watch != std::string::npos) {
        return Watch(address.substr(watch + 7, address.find('&', watch) - watch - 7), exitCode);
    }
    CommandLine line;
    if (!ReadRequest(address, line))
        return false;
    web_online_stage("asking", line.hostOnline ? "" : line.joinText.c_str(), 0, 0);
    OnlineRoomMade = TellRoomMade;
    std::string error;
    if (!MeetOtherProgram(line, "page", error)) {
        if (Online.transport.lobby.moves > 0)
            error = "the room is held by another lobby (" +
                    host::NetAddressText(Online.transport.lobby.lobby) +
                    "), and a page meets its partner through the lobby that served it";
        else if (web_lobby_closed())
            error =
                "the server of this page has no lobby to meet through (morvask-lobby --web "
                "serves both)";
        CloseOnlineTransport(Online.transport);
        web_online_stage("failed", error.c_str(), 0, 0);
        return false;
    }
    web_online_stage("playing", "", 0, 0);
    PlayersChosen = 2;
    Intro = {.shortIntro = true, .sound = true};
    platform::FixCalendarTime(Online.link.seed);
    StartOnlineRun();
    exitCode = FinishOnlineRun("", KeptPath, MorvaskMain(platform::SW_SHOWNORMAL));
    HandOverReplay(KeptPath);
    web_online_stage("ended", Online.link.message.c_str(), int(Online.agreedTick),
                     GameStateChecksum());
    return true;
}
