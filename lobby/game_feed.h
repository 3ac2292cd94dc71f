// A game's feed through the lobby: the host program uploads the replay it
// records as it grows, and viewers fetch it to watch the game a few seconds
// behind. Both sides are pure: the program sends what it is handed to the
// lobby's address and hands back what arrives, with its clock.
#pragma once

#include <cstdint>
#include <string>

#include "lobby/lobby_client.h"
#include "lobby/lobby_messages.h"
#include "platform/host.h"

// The host sends one piece at this pace while the lobby lacks some of the
// feed: well inside the lobby's message rate, fast beside a game's growth
// (tens of bytes a second).
inline constexpr int64_t FeedUpEveryMs = 100;
// A viewer asks at this pace while the lobby holds more than it has, and at
// the slower one once it has all there is.
inline constexpr int64_t FeedCatchUpEveryMs = 100;
inline constexpr int64_t FeedAskEveryMs = 400;
// Unanswered asks before a viewer counts the lobby (or the game) as gone.
inline constexpr int32_t FeedTriesMax = 25;

struct FeedUpload {
    // The feed as this side knows it, and whether it is the whole replay.
    std::string bytes;
    bool ended = false;
    // What the lobby last said it holds.
    uint32_t held = 0;
    bool heldEnded = false;
    // The feed could not go on (the replay's start changed, or it outgrew a
    // piece's offset): nothing more is sent.
    bool broken = false;
    int64_t lastSentMs = 0;
    bool sentOnce = false;
};

// The feed as recorded so far (it must begin with what was taken before;
// otherwise the feed breaks and stays as it was).
void FeedGrow(FeedUpload& feed, const std::string& soFar);
// The whole replay, once the game ended: the feed's last bytes.
void FeedEnd(FeedUpload& feed, const std::string& whole);
// The piece due at `nowMs` for the room `client` holds seat 0 of, written
// into `out` (room for host::NetDatagramMax); its length, 0 when none is due.
int32_t FeedUpDue(FeedUpload& feed, const LobbyClient& client, int64_t nowMs, uint8_t* out);
// Takes the lobby's FeedHeld for the client's room; false for anything else.
bool FeedTakeHeld(FeedUpload& feed, const LobbyClient& client, const LobbyMessage& m);
// Whether the lobby holds the whole feed.
bool FeedDelivered(const FeedUpload& feed);

enum FeedWatchStage : int32_t {
    FeedWatchIdle = 0,
    FeedWatching = 1,  // asking; bytes arrive as the game goes on
    FeedWhole = 2,     // the whole replay is here
    FeedFailed = 3,    // refused (refusal says why) or the lobby went silent
};

struct FeedWatch {
    FeedWatchStage stage = FeedWatchIdle;
    host::NetAddress lobby;
    char code[LobbyCodeLength] = {};
    uint32_t nonce = 0;
    std::string bytes;
    // What the lobby held at its last answer (more than `bytes`: catching up).
    uint32_t lobbyHolds = 0;
    int32_t refusal = 0;
    int64_t lastSentMs = 0;
    bool sentOnce = false;
    int32_t unanswered = 0;
    // Moves to the lobby of the shared directory that holds the game, and
    // its web port (0: none).
    int32_t moves = 0;
    int32_t webPort = 0;
};

// Starts watching the game of the room `codeText` (as typed); false when it
// is no code.
bool FeedStartWatching(FeedWatch& watch, const host::NetAddress& lobby, const std::string& codeText,
                       uint32_t nonce);
// The ask due at `nowMs` into `out` (room for host::NetDatagramMax); its
// length, 0 when none is due.
int32_t FeedAskDue(FeedWatch& watch, int64_t nowMs, uint8_t* out);
// Takes one datagram that arrived; true when it was the lobby's answer to
// this watch (the bytes, the stage or the lobby may have changed).
bool FeedTake(FeedWatch& watch, const host::NetDatagram& datagram);
