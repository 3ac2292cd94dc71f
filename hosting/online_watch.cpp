// A viewer of an online game: the feed asked of the lobby at its pace, read
// as a replay still being written, and played a few seconds behind its end;
// a viewer that fell far behind skips ahead undrawn.
#include "hosting/online_watch.h"

#include <cstdio>
#include <utility>

#include "hosting/online_game.h"
#include "lobby/game_feed.h"
#include "platform/files.h"
#include "platform/host.h"
#include "render/draw.h"
#include "replay/player.h"

namespace {

struct WatchedGame {
    int32_t socket = -1;
    FeedWatch feed;
    // The replay as read so far, from this many of the feed's bytes.
    ReplayRecord replay;
    size_t read = 0;
    bool headerRead = false;
    bool whole = false;
    bool playing = false;   // the playback began (ExtendPlayback goes on from it)
    bool buffered = false;  // the ticks behind the end filled once
    bool skipping = false;
    // Why the feed stopped before its end.
    std::string problem;
};
WatchedGame Watched;

void Stop(const std::string& why) {
    if (Watched.problem.empty())
        Watched.problem = why;
    Watched.feed.stage = FeedFailed;
}

// The bytes that arrived read again as a replay, its new events handed to
// the playback. A whole feed is read as strictly as a file.
void ReadArrived() {
    const bool whole = Watched.feed.stage == FeedWhole;
    if (Watched.feed.bytes.size() == Watched.read && whole == Watched.whole)
        return;
    ReplayRecord read;
    std::string error;
    size_t used = 0;
    const ReplayReadResult result = whole
                                        ? DecodeReplay(Watched.feed.bytes, read, error)
                                        : DecodeReplayStart(Watched.feed.bytes, read, used, error);
    if (result != ReplayRead)
        return Stop("the game's feed is damaged: " + error);
    Watched.read = Watched.feed.bytes.size();
    if (!whole && used == 0)
        return;
    Watched.headerRead = true;
    Watched.whole = whole;
    Watched.replay = std::move(read);
    if (Watched.playing)
        ExtendPlayback(Watched.replay);
}

void PollFeed(int64_t nowUs) {
    uint8_t out[host::NetDatagramMax];
    const int32_t size = FeedAskDue(Watched.feed, nowUs / 1000, out);
    if (size > 0)
        host::NetSend(Watched.socket, Watched.feed.lobby, out, size);
    host::NetDatagram datagram;
    while (host::NetReceive(Watched.socket, datagram))
        FeedTake(Watched.feed, datagram);
    ReadArrived();
    if (Watched.feed.stage == FeedFailed && Watched.problem.empty())
        Watched.problem = Watched.feed.refusal == LobbyNoRoom
                              ? "the lobby has no game of that code (or it ended a while ago)"
                              : LobbyRefusalText(Watched.feed.refusal, Watched.feed.lobby);
}

// Up to `to` at once, undrawn: a viewer far behind comes back near the end.
void SkipAhead(uint32_t to) {
    Watched.skipping = true;
    DrawingEnabled = false;
    for (int32_t n = 0; n < WatchSkipMostTicks && PlaybackTicks() < to; ++n)
        if (PlayNextTick() != PlaybackGoing)
            break;
    DrawingEnabled = true;
    Watched.skipping = false;
}

// One tick of the window: the feed kept, then the next tick played when the
// feed holds a tick after it (so the boxes it opens find their answers),
// once the ticks behind the end filled; otherwise the picture waits.
bool PlayWatchTick() {
    PollFeed(host::NetClockMicroseconds());
    if (PlaybackState() != PlaybackGoing)
        return false;
    const uint32_t known = Watched.replay.totalTicks;
    const uint32_t playable = Watched.whole ? known : known > 0 ? known - 1 : 0;
    if (!Watched.buffered && !Watched.whole && known < uint32_t(WatchBehindTicks))
        return Watched.feed.stage != FeedFailed;
    Watched.buffered = true;
    if (playable > PlaybackTicks() + uint32_t(WatchSkipAfterTicks))
        SkipAhead(playable - uint32_t(WatchBehindTicks));
    if (PlaybackTicks() >= playable && !Watched.whole)
        return Watched.feed.stage != FeedFailed;
    return PlayNextTick() == PlaybackGoing;
}

// A box shows a moment as in a replay, but not while skipping ahead.
bool WatchBoxShown() {
    return !Watched.skipping;
}

}  // namespace

bool MeetWatchedGame(const CommandLine& line, const std::string& lobbyText, std::string& error) {
    Watched = WatchedGame{};
    if (lobbyText.empty()) {
        error = "watching needs a lobby: --lobby HOST:PORT, or lobby = HOST:PORT in the settings";
        return false;
    }
    host::NetAddress lobby;
    if (!host::NetResolve(lobbyText, lobby, error)) {
        error = "the lobby " + lobbyText + ": " + error;
        return false;
    }
    const uint32_t nonce = uint32_t(host::NetClockMicroseconds()) | 1u;
    if (!FeedStartWatching(Watched.feed, lobby, line.watchText, nonce)) {
        error = "\"" + line.watchText + "\" is no room code (10 letters and digits)";
        return false;
    }
    host::NetAddress any;
    any.family = 4;
    Watched.socket = host::NetOpen(any, error);
    if (Watched.socket < 0)
        return false;
    std::printf("morvask: asking the lobby %s for the game %s\n",
                host::NetAddressText(lobby).c_str(), LobbyCodeText(Watched.feed.code).c_str());
    std::fflush(stdout);
    // The playback starts once its start-up's boxes and a tick are known.
    const int64_t start = host::NetClockMicroseconds();
    while (!Watched.whole && Watched.replay.totalTicks < 2) {
        const int64_t now = host::NetClockMicroseconds();
        PollFeed(now);
        if (Watched.feed.stage == FeedFailed)
            error = Watched.problem;
        else if (now - start > WatchPatienceUs)
            error = "the game has not begun within two minutes";
        if (!error.empty()) {
            host::NetClose(Watched.socket);
            return false;
        }
        host::NetWait(Watched.socket, 20);
    }
    return ReplayLevelsPresent(Watched.replay, error);
}

const ReplayRecord& WatchedReplay() {
    return Watched.replay;
}

bool WatchedWhole() {
    return Watched.whole;
}

const std::string& WatchProblem() {
    return Watched.problem;
}

void StartWatchRun(int speed, bool live) {
    BeginPlayback(Watched.replay, PlaybackHooks{.setKeys = host::SetReplayedKeys,
                                                .deliver = host::DeliverReplayed});
    Watched.playing = true;
    host::SetReplayDriver({.playTick = PlayWatchTick,
                           .boxAnswer = PlaybackBoxAnswer,
                           .textRead = PlaybackTextRead,
                           .speed = speed,
                           .tickMs = int(BattleTimerPeriodMs),
                           .live = live,
                           .boxShown = WatchBoxShown,
                           .titleTag = " - watching"});
}

int FinishWatchRun(const std::string& path, int exitCode) {
    host::NetClose(Watched.socket);
    Watched.socket = -1;
    const bool stoppedEarly = PlaybackState() == PlaybackGoing && !host::ReplayStoppedByViewer();
    if (stoppedEarly && !Watched.problem.empty()) {
        std::fprintf(stderr, "morvask: watched game: %s, at tick %u\n", Watched.problem.c_str(),
                     PlaybackTicks());
        host::ShowNotice(("The game's feed stopped: " + Watched.problem + ".").c_str(), "Watching");
        exitCode = 1;
    }
    if (Watched.whole && !path.empty()) {
        if (platform::ReplaceFileWhole(path.c_str(), Watched.feed.bytes)) {
            std::printf("morvask: watched game: its replay of %u ticks is %s\n",
                        Watched.replay.totalTicks, path.c_str());
        } else {
            std::fprintf(stderr, "morvask: cannot write the replay %s\n", path.c_str());
            exitCode = 1;
        }
    }
    std::fflush(stdout);
    return exitCode;
}
