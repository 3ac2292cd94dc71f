// A program's side of the lobby as a small state machine: what to send when,
// and what an answer from the lobby changes. Only the lobby's own address is
// listened to, and only answers that fit the stage and the request count.
#include "lobby/lobby_client.h"

#include <cstring>

namespace {

void Begin(LobbyClient& client, const host::NetAddress& lobby, uint32_t nonce, LobbyStage stage) {
    client = LobbyClient{};
    client.lobby = lobby;
    client.nonce = nonce;
    client.stage = stage;
}

bool SameCode(const LobbyClient& client, const LobbyMessage& message) {
    return std::memcmp(client.code, message.code, LobbyCodeLength) == 0;
}

int64_t Pace(const LobbyClient& client) {
    return client.stage == LobbyPaired ? LobbyKeepAliveMs : LobbyResendMs;
}

LobbyTaken TakePeer(LobbyClient& client, const LobbyMessage& m) {
    const bool joined = client.stage == LobbyJoining && m.nonce == client.nonce &&
                        SameCode(client, m) && m.seat == 1;
    const bool seated = (client.stage == LobbyHosting || client.stage == LobbyPaired) &&
                        SameCode(client, m) && m.token == client.token && m.seat == client.seat;
    if (!joined && !seated)
        return LobbyNotOurs;
    client.stage = LobbyPaired;
    client.token = m.token;
    client.seat = m.seat;
    client.peer = m.peer;
    return LobbyUpdated;
}

LobbyTaken TakeRefusal(LobbyClient& client, const LobbyMessage& m) {
    const bool asked =
        (client.stage == LobbyAsking || client.stage == LobbyJoining) && m.nonce == client.nonce;
    // A poll carries no count: a refusal with none ends a room that expired.
    const bool polled = (client.stage == LobbyHosting || client.stage == LobbyPaired) &&
                        m.nonce == 0 && m.refusal == LobbyNoRoom;
    if (!asked && !polled)
        return LobbyNotOurs;
    client.stage = LobbyFailed;
    client.refusal = m.refusal;
    return LobbyUpdated;
}

// Another lobby of the same directory holds the room: the join goes there.
// A room that moved more than once is taken for gone (lobbies that point at
// each other must not hold the joiner forever).
LobbyTaken TakeElsewhere(LobbyClient& client, const LobbyMessage& m) {
    if (client.stage != LobbyJoining || m.nonce != client.nonce || !SameCode(client, m))
        return LobbyNotOurs;
    if (++client.moves > LobbyMovesMax) {
        client.stage = LobbyFailed;
        client.refusal = LobbyNoRoom;
        return LobbyUpdated;
    }
    client.lobby = m.peer;
    client.webPort = m.webPort;
    client.sentOnce = false;
    return LobbyUpdated;
}

LobbyTaken Apply(LobbyClient& client, const LobbyMessage& m, uint8_t* payload,
                 int32_t& payloadSize) {
    switch (m.kind) {
        case LobbyRoomMade:
            if (client.stage != LobbyAsking || m.nonce != client.nonce)
                return LobbyNotOurs;
            std::memcpy(client.code, m.code, LobbyCodeLength);
            client.token = m.token;
            client.seat = 0;
            client.stage = LobbyHosting;
            return LobbyUpdated;
        case LobbyPeerFound:
            return TakePeer(client, m);
        case LobbyWaiting:
            return client.stage == LobbyHosting && SameCode(client, m) ? LobbyUpdated
                                                                       : LobbyNotOurs;
        case LobbyRefused:
            return TakeRefusal(client, m);
        case LobbyElsewhere:
            return TakeElsewhere(client, m);
        case LobbyRelayDown:
            if (client.stage != LobbyPaired)
                return LobbyNotOurs;
            std::memcpy(payload, m.payload, static_cast<size_t>(m.payloadSize));
            payloadSize = m.payloadSize;
            return LobbyDelivered;
        default:
            return LobbyNotOurs;
    }
}

}  // namespace

void LobbyStartHosting(LobbyClient& client, const host::NetAddress& lobby, uint32_t nonce) {
    Begin(client, lobby, nonce, LobbyAsking);
}

bool LobbyStartJoining(LobbyClient& client, const host::NetAddress& lobby,
                       const std::string& codeText, uint32_t nonce) {
    char code[LobbyCodeLength];
    if (!LobbyCodeOfText(codeText, code))
        return false;
    Begin(client, lobby, nonce, LobbyJoining);
    std::memcpy(client.code, code, LobbyCodeLength);
    return true;
}

int32_t LobbyDue(LobbyClient& client, int64_t nowMs, uint8_t* out) {
    if (client.stage == LobbyIdle || client.stage == LobbyFailed)
        return 0;
    if (client.sentOnce && nowMs - client.lastSentMs < Pace(client))
        return 0;
    if (client.stage != LobbyPaired && client.unanswered >= LobbyTriesMax) {
        client.stage = LobbyFailed;
        client.refusal = LobbyNoAnswer;
        return 0;
    }
    LobbyMessage m;
    m.kind = client.stage == LobbyAsking    ? LobbyHostRoom
             : client.stage == LobbyJoining ? LobbyJoinRoom
                                            : LobbyPoll;
    m.nonce = client.nonce;
    std::memcpy(m.code, client.code, LobbyCodeLength);
    m.token = client.token;
    client.sentOnce = true;
    client.lastSentMs = nowMs;
    ++client.unanswered;
    return WriteLobbyMessage(m, out);
}

LobbyTaken LobbyTake(LobbyClient& client, const host::NetDatagram& datagram, uint8_t* payload,
                     int32_t& payloadSize) {
    LobbyMessage m;
    if (!(datagram.from == client.lobby) || !ReadLobbyMessage(datagram.bytes, datagram.size, m))
        return LobbyNotOurs;
    const LobbyTaken taken = Apply(client, m, payload, payloadSize);
    if (taken != LobbyNotOurs)
        client.unanswered = 0;
    return taken;
}

int32_t LobbyWrap(const LobbyClient& client, const uint8_t* bytes, int32_t size, uint8_t* out) {
    if (client.stage != LobbyPaired || size < 1 || size > LobbyPayloadMax)
        return 0;
    LobbyMessage m;
    m.kind = LobbyRelayUp;
    std::memcpy(m.code, client.code, LobbyCodeLength);
    m.token = client.token;
    m.payloadSize = size;
    std::memcpy(m.payload, bytes, static_cast<size_t>(size));
    return WriteLobbyMessage(m, out);
}

int32_t LobbyGoodbye(const LobbyClient& client, uint8_t* out) {
    if (client.stage != LobbyHosting && client.stage != LobbyPaired)
        return 0;
    LobbyMessage m;
    m.kind = LobbyLeave;
    std::memcpy(m.code, client.code, LobbyCodeLength);
    m.token = client.token;
    return WriteLobbyMessage(m, out);
}
