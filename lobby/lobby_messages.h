// The lobby's messages: one fixed, versioned binary layout (docs/online.md,
// "Lobby"), written by one writer and read by one strict reader that the
// lobby and the programs share. Every number is big-endian; a message of any
// other length or with any field out of range is not a message.
#pragma once

#include <cstdint>
#include <string>

#include "platform/host.h"

// Version 2 added LobbyElsewhere (lobbies sharing one directory of rooms),
// version 3 the feeds that viewers watch a game by.
inline constexpr uint8_t LobbyVersion = 3;
// "MVL", the version, the kind.
inline constexpr int32_t LobbyHeaderSize = 5;
// A room's code: this many letters of an alphabet without look-alikes (no
// 0, 1, I, L, O), drawn by the lobby from the system's secure generator.
inline constexpr int32_t LobbyCodeLength = 10;
inline constexpr char LobbyCodeAlphabet[] = "23456789ABCDEFGHJKMNPQRSTUVWXYZ";
inline constexpr int32_t LobbyCodeAlphabetSize = 31;
// Requests that draw an answer are padded with zeros to this length, so that
// no answer is longer than the request that drew it: the lobby amplifies
// nothing sent from a forged address.
inline constexpr int32_t LobbyRequestSize = 48;
// The most a relayed datagram carries, wrapped on the way up (header, code
// and token before it) so that it still fits one datagram.
inline constexpr int32_t LobbyRelayUpOverhead = LobbyHeaderSize + LobbyCodeLength + 8;
inline constexpr int32_t LobbyPayloadMax = host::NetDatagramMax - LobbyRelayUpOverhead;
// A game's feed (the replay its players record, as it grows) moves in
// pieces of at most this many bytes: FeedUp's header, code, token, offset
// and end flag, or Feed's header, nonce, code, offset, size and end flag,
// before them.
inline constexpr int32_t LobbyFeedPieceMax = host::NetDatagramMax - 28;
// A viewer's request for the feed is padded to a whole datagram, so that
// the piece that answers it is no longer.
inline constexpr int32_t LobbyWatchRequestSize = host::NetDatagramMax;

enum LobbyKind : int32_t {
    LobbyNone = 0,
    // From a program to the lobby.
    LobbyHostRoom = 1,  // nonce: make a room, answered RoomMade
    LobbyJoinRoom = 2,  // nonce, code: take the room's second seat, answered PeerFound
    LobbyPoll = 3,      // code, token: still here; answered Waiting or PeerFound
    LobbyLeave = 4,     // code, token: the room is closed
    LobbyRelayUp = 5,   // code, token, payload: for the other seat
    // code, token (of seat 0), offset, ended, piece: the game's feed from
    // `offset` on (ended: the piece ends it); answered FeedHeld
    LobbyFeedUp = 6,
    LobbyWatch = 7,  // nonce, code, offset: the feed from there, answered Feed
    // From the lobby to a program.
    LobbyRoomMade = 16,   // nonce, code, token (of seat 0)
    LobbyPeerFound = 17,  // nonce (0 when not asked), code, seat, token, the peer's endpoint
    LobbyRefused = 18,    // nonce, refusal, the lobby's version
    LobbyWaiting = 19,    // code: no one has joined yet
    LobbyRelayDown = 20,  // payload: from the other seat
    // nonce, code, the endpoint of the lobby that holds the room and its web
    // port (0: none): another lobby sharing this one's directory
    LobbyElsewhere = 21,
    LobbyFeedHeld = 22,  // code, offset (the bytes of the feed held), ended
    // nonce, code, offset, feedSize (the bytes held), ended, the piece at
    // `offset` (empty when there is nothing new)
    LobbyFeed = 23,
};

enum LobbyRefusal : int32_t {
    LobbyNoRoom = 1,      // no room has that code (or it expired)
    LobbyRoomFull = 2,    // both seats are taken
    LobbyTooFast = 3,     // too many attempts from this address: wait
    LobbyFull = 4,        // the lobby holds as many rooms as it may
    LobbyOldVersion = 5,  // the request's version is not the lobby's
    LobbyRefusalLast = 5,
};

struct LobbyMessage {
    LobbyKind kind = LobbyNone;
    uint32_t nonce = 0;
    char code[LobbyCodeLength] = {};
    uint64_t token = 0;
    int32_t seat = 0;
    host::NetAddress peer;
    int32_t refusal = 0;
    int32_t version = LobbyVersion;
    int32_t webPort = 0;  // LobbyElsewhere's
    // A feed's: where the piece begins, the bytes held, whether it is whole.
    uint32_t offset = 0;
    uint32_t feedSize = 0;
    bool ended = false;
    int32_t payloadSize = 0;
    uint8_t payload[LobbyPayloadMax];
};

// The message's bytes in `out` (room for host::NetDatagramMax); its length,
// 0 when the message is not one the reader would take (a bad code, token,
// seat, endpoint or payload size).
int32_t WriteLobbyMessage(const LobbyMessage& message, uint8_t* out);

// Reads one datagram; false, with `message` unchanged, for anything but a
// whole, well-formed message of this version.
bool ReadLobbyMessage(const uint8_t* bytes, int32_t size, LobbyMessage& message);
// The version a datagram with the lobby's magic claims; -1 without it.
int32_t LobbyVersionOf(const uint8_t* bytes, int32_t size);

// A code as the player types it (any case, with spaces or dashes between
// the letters) to the lobby's form; false when it is not one.
bool LobbyCodeOfText(const std::string& text, char code[LobbyCodeLength]);
// The code as shown: "ABCDE-FGHJK".
std::string LobbyCodeText(const char code[LobbyCodeLength]);
