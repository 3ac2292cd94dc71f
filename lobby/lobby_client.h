// A program's side of the lobby: asking for a room and its code, joining a
// room by its code, learning the peer's endpoint, and wrapping datagrams for
// the relay when the direct path fails. Pure: the program sends what it is
// handed to the lobby's address and hands back what arrives, with its clock.
#pragma once

#include <cstdint>
#include <string>

#include "lobby/lobby_messages.h"
#include "platform/host.h"

enum LobbyStage : int32_t {
    LobbyIdle = 0,
    LobbyAsking = 1,   // a room asked for, no answer yet
    LobbyHosting = 2,  // the room is made: its code shown, waiting for the peer
    LobbyJoining = 3,  // a code given, no answer yet
    LobbyPaired = 4,   // the peer's endpoint known
    LobbyFailed = 5,   // refused (refusal says why), or the lobby never answered
};

// Requests go again at this pace until answered; a paired seat polls more
// slowly, so that the room (and the relay through it) stays open.
inline constexpr int64_t LobbyResendMs = 500;
inline constexpr int64_t LobbyKeepAliveMs = 5000;
// Unanswered requests before the lobby counts as gone.
inline constexpr int32_t LobbyTriesMax = 20;
// The refusal when the lobby never answered.
inline constexpr int32_t LobbyNoAnswer = 100;
// How often a join may be sent on to another lobby of the same directory.
inline constexpr int32_t LobbyMovesMax = 2;

struct LobbyClient {
    LobbyStage stage = LobbyIdle;
    host::NetAddress lobby;
    // Told by the program: the answer to an old request carries another.
    uint32_t nonce = 0;
    char code[LobbyCodeLength] = {};
    uint64_t token = 0;
    int32_t seat = 0;
    host::NetAddress peer;
    int32_t refusal = 0;
    int64_t lastSentMs = 0;
    int32_t unanswered = 0;
    bool sentOnce = false;
    // The joins sent on to the lobby that holds the room, and that lobby's
    // web port (0: none) for a page.
    int32_t moves = 0;
    int32_t webPort = 0;
};

// Starts asking `lobby` for a room (the first request is due at once).
void LobbyStartHosting(LobbyClient& client, const host::NetAddress& lobby, uint32_t nonce);
// Starts joining the room of `codeText` (as typed); false when it is no code.
bool LobbyStartJoining(LobbyClient& client, const host::NetAddress& lobby,
                       const std::string& codeText, uint32_t nonce);

// The request due at `nowMs` written into `out` (room for
// host::NetDatagramMax); its length, 0 when nothing is due.
int32_t LobbyDue(LobbyClient& client, int64_t nowMs, uint8_t* out);

enum LobbyTaken : int32_t {
    LobbyNotOurs = 0,    // not from the lobby, not a message, or not for this stage
    LobbyUpdated = 1,    // the stage, code or peer changed (or was confirmed)
    LobbyDelivered = 2,  // a relayed datagram of the peer: in `payload`
};
// Takes one datagram that arrived; for LobbyDelivered the peer's bytes are
// copied to `payload` (room for LobbyPayloadMax) and `payloadSize`.
LobbyTaken LobbyTake(LobbyClient& client, const host::NetDatagram& datagram, uint8_t* payload,
                     int32_t& payloadSize);

// The peer's datagram wrapped for the relay; its length (0 when not paired,
// or when `size` is 0 or more than LobbyPayloadMax).
int32_t LobbyWrap(const LobbyClient& client, const uint8_t* bytes, int32_t size, uint8_t* out);
// The goodbye that closes the room; its length (0 when there is no room).
int32_t LobbyGoodbye(const LobbyClient& client, uint8_t* out);
