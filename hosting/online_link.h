// One peer's side of an online game over any datagram transport: the
// handshake, the inputs each tick, and what stops the game (a refusal, a
// desync, a silent peer), with the message the player is shown.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "netplay/session.h"
#include "netplay/wire.h"

// A peer that sends nothing for this long has left the game.
inline constexpr int64_t SilentPeerUs = 3000000;
// Before its first inputs the other may still be opening its window (a
// slow machine, Wine, a game that ended in the window for this one): it
// has this long.
inline constexpr int64_t FirstInputsPatienceUs = 15000000;

enum OnlinePhase : int32_t {
    OnlineGreeting = 0,  // the joiner waits for the host's answer, the host for a hello
    OnlinePlaying = 1,
    OnlineStopped = 2,
};

enum OnlineStop : int32_t {
    OnlineGoingOn = 0,
    OnlineOtherVersion = 1,  // stopValue: none; the other's protocol and rules kept
    OnlineSilentPeer = 2,    // stopValue: the seconds of silence
    OnlineDesync = 3,        // stopValue: the tick
};

struct OnlineLink {
    bool hosting = false;
    uint32_t sessionId = 0;
    OnlinePhase phase = OnlineGreeting;
    int64_t lastHeardUs = 0;
    std::string message;  // why the game stopped, for the terminal
    OnlineStop stop = OnlineGoingOn;
    int32_t stopValue = 0;
    uint32_t peerProtocol = 0;
    uint32_t peerRules = 0;
    // The seed both start the game with: the host's, told in its welcome.
    uint32_t seed = 0;
    // The host greets too while it waits (through a lobby): its datagrams
    // open its router's way for the joiner's.
    bool punching = false;
    // Boxes this player closed, newest last, told the other with every send
    // for a while after the last; and those the other told of.
    std::array<BoxKey, MaxBoxesPerDatagram> closedHere{};
    int32_t closedHereCount = 0;
    int64_t lastClosedHereUs = 0;
    std::array<BoxKey, 16> closedThere{};
    int32_t closedThereNext = 0;
    // While a box holds the game, the other's inputs are left for the
    // datagrams after it (each carries every input not acknowledged).
    bool holdingInputs = false;
    // Whether the other's inputs came yet (its game runs).
    bool heardInputs = false;
};

// The host waits for a hello on side 0; the joiner plays side 1 and greets.
void StartOnlineLink(OnlineLink& link, bool hosting, uint32_t sessionId, int64_t nowUs);

// The datagram this peer sends now, as bytes (0 when nothing is due): the
// joiner's hello (and a punching host's) while greeting, the inputs while
// playing.
size_t OnlineDatagramToSend(const OnlineLink& link, const RollbackSession& session, uint8_t* out);

// Takes bytes that arrived; a datagram the host must answer (welcome or
// refuse) is written to reply and its size returned, otherwise 0.
size_t TakeOnlineDatagram(OnlineLink& link, RollbackSession& session, const uint8_t* data,
                          size_t size, int64_t nowUs, uint8_t* reply);

// Stops the game when the other has been silent too long or the checksums
// differ; true while the game goes on.
bool OnlineLinkAlive(OnlineLink& link, const RollbackSession& session, int64_t nowUs);

// A box this player answered; the other's copy of it closes when told.
void NoteBoxClosedHere(OnlineLink& link, BoxKey box, int64_t nowUs);
// Whether the other player answered this box.
bool BoxClosedThere(const OnlineLink& link, BoxKey box);
// The datagram that tells the other of the boxes closed here (0 when none
// was closed in the last SilentPeerUs: by then the other has had it or left).
size_t BoxesDatagramToSend(const OnlineLink& link, int64_t nowUs, uint8_t* out);
