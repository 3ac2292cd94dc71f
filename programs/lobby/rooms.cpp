// The lobby's rooms: making one for a host, seating a guest by code and
// telling both seats each other's public endpoint, polls that keep a room
// open, and the relay between the two seats of one room (the feeds viewers
// watch a room's game by are watch_feeds.cpp's). Every lookup of a
// code or token that fails costs the source a join attempt, so codes and
// tokens cannot be guessed quickly through any message.
#include "programs/lobby/rooms.h"

#include <cstring>

#include "programs/lobby/room_access.h"
#include "programs/lobby/watch_feeds.h"

namespace {

constexpr size_t MaxAddressesTracked = 200000;

std::string RequestKey(const host::NetAddress& from, uint32_t nonce) {
    return LobbyLimitKey(from) + std::to_string(from.port) + "#" + std::to_string(nonce);
}

uint64_t NewToken(LobbyServer& lobby) {
    uint64_t token = 0;
    while (token == 0) {
        uint8_t bytes[8];
        lobby.randomBytes(bytes, sizeof bytes);
        for (uint8_t b : bytes)
            token = token << 8 | b;
    }
    return token;
}

// A code of letters drawn evenly from the alphabet (bytes beyond the last
// whole multiple of its size are drawn again), not yet in use.
void NewCode(LobbyServer& lobby, char code[LobbyCodeLength]) {
    constexpr int32_t Fair = 256 - 256 % LobbyCodeAlphabetSize;
    do {
        for (int32_t i = 0; i < LobbyCodeLength;) {
            uint8_t byte = 0;
            lobby.randomBytes(&byte, 1);
            if (byte < Fair)
                code[i++] = LobbyCodeAlphabet[byte % LobbyCodeAlphabetSize];
        }
    } while (lobby.rooms.count(LobbyCodeKey(code)) != 0 ||
             lobby.feeds.count(LobbyCodeKey(code)) != 0 ||
             (lobby.directory.claim && !lobby.directory.claim(code)));
}

void CloseRoom(LobbyServer& lobby, LobbyRoomAt room) {
    const LobbySeat& host = room->second.seats[0];
    auto limits = lobby.limits.find(room->second.heldBy);
    if (limits != lobby.limits.end() && limits->second.roomsHeld > 0)
        --limits->second.roomsHeld;
    lobby.requests.erase(RequestKey(host.endpoint, room->second.hostNonce));
    // A feed kept after its room keeps the code's claim (watch_feeds.h).
    if (lobby.directory.release && lobby.feeds.count(room->first) == 0)
        lobby.directory.release(room->second.code);
    lobby.rooms.erase(room);
}

void TellPeer(std::vector<LobbyOutgoing>& out, const LobbyRoom& room, int32_t seat,
              uint32_t nonce) {
    LobbyMessage m;
    m.kind = LobbyPeerFound;
    m.nonce = nonce;
    std::memcpy(m.code, room.code, LobbyCodeLength);
    m.seat = seat;
    m.token = room.seats[seat].token;
    m.peer = room.seats[1 - seat].endpoint;
    LobbySend(out, room.seats[seat].endpoint, m);
}

void TellMade(std::vector<LobbyOutgoing>& out, const LobbyRoom& room) {
    LobbyMessage m;
    m.kind = LobbyRoomMade;
    m.nonce = room.hostNonce;
    std::memcpy(m.code, room.code, LobbyCodeLength);
    m.token = room.seats[0].token;
    LobbySend(out, room.seats[0].endpoint, m);
}

void MakeRoom(LobbyServer& lobby, const host::NetAddress& from, const LobbyMessage& m,
              int64_t nowMs, std::vector<LobbyOutgoing>& out) {
    auto asked = lobby.requests.find(RequestKey(from, m.nonce));
    if (asked != lobby.requests.end()) {
        TellMade(out, lobby.rooms.at(asked->second));
        return;
    }
    const std::string key = LobbyLimitKeyOf(lobby, from);
    LobbyAddressLimits& limits = lobby.limits[key];
    if (limits.roomsHeld >= lobby.settings.rates.roomsPerAddress)
        return LobbyRefuse(lobby, out, from, m.nonce, LobbyTooFast);
    if (static_cast<int32_t>(lobby.rooms.size()) >= lobby.settings.maxRooms)
        return LobbyRefuse(lobby, out, from, m.nonce, LobbyFull);
    LobbyRoom room;
    NewCode(lobby, room.code);
    room.seats[0] = LobbySeat{true, from, NewToken(lobby)};
    room.madeMs = room.heardMs = nowMs;
    room.hostNonce = m.nonce;
    room.heldBy = key;
    lobby.rooms[LobbyCodeKey(room.code)] = room;
    lobby.requests[RequestKey(from, m.nonce)] = LobbyCodeKey(room.code);
    ++limits.roomsHeld;
    ++lobby.counts.roomsMade;
    TellMade(out, room);
}

void Join(LobbyServer& lobby, const host::NetAddress& from, const LobbyMessage& m, int64_t nowMs,
          std::vector<LobbyOutgoing>& out) {
    auto found = lobby.rooms.find(LobbyCodeKey(m.code));
    // The guest's repeated request (its answer was lost) is answered again,
    // without counting as another attempt.
    if (found != lobby.rooms.end() && found->second.seats[1].taken &&
        found->second.seats[1].endpoint == from)
        return TellPeer(out, found->second, 1, m.nonce);
    if (!LobbyMayGuess(lobby, from, nowMs))
        return LobbyRefuse(lobby, out, from, m.nonce, LobbyTooFast);
    if (found == lobby.rooms.end())
        return LobbySendOnOrRefuse(lobby, from, m, out);
    LobbyRoom& room = found->second;
    if (room.seats[1].taken)
        return LobbyRefuse(lobby, out, from, m.nonce, LobbyRoomFull);
    if (room.seats[0].endpoint == from)
        return LobbyRefuse(lobby, out, from, m.nonce, LobbyRoomFull);
    room.seats[1] = LobbySeat{true, from, NewToken(lobby)};
    room.heardMs = nowMs;
    ++lobby.counts.joined;
    TellPeer(out, room, 1, m.nonce);
    TellPeer(out, room, 0, 0);
}

void Poll(LobbyServer& lobby, const host::NetAddress& from, const LobbyMessage& m, int64_t nowMs,
          std::vector<LobbyOutgoing>& out) {
    LobbyRoomAt room;
    int32_t seat = 0;
    if (!LobbySeatOf(lobby, m, room, seat)) {
        // An expired room is told as such; a wrong token of a room that is
        // there is not answered, so a forged poll cannot end the host's wait.
        if (LobbyMayGuess(lobby, from, nowMs) && room == lobby.rooms.end())
            LobbyRefuse(lobby, out, from, 0, LobbyNoRoom);
        return;
    }
    LobbyRoom& r = room->second;
    // The seat's router may have given it another public port.
    r.seats[seat].endpoint = from;
    r.heardMs = nowMs;
    if (r.seats[1].taken)
        return TellPeer(out, r, seat, 0);
    LobbyMessage waiting;
    waiting.kind = LobbyWaiting;
    std::memcpy(waiting.code, r.code, LobbyCodeLength);
    LobbySend(out, from, waiting);
}

void Relay(LobbyServer& lobby, const host::NetAddress& from, const LobbyMessage& m, int64_t nowMs,
           std::vector<LobbyOutgoing>& out) {
    LobbyRoomAt room;
    int32_t seat = 0;
    if (!LobbySeatSpeaking(lobby, from, m, nowMs, room, seat))
        return;
    LobbyRoom& r = room->second;
    const LobbySeat& other = r.seats[1 - seat];
    if (!other.taken) {
        ++lobby.counts.dropped;
        return;
    }
    r.heardMs = nowMs;
    LobbyMessage down;
    down.kind = LobbyRelayDown;
    down.payloadSize = m.payloadSize;
    std::memcpy(down.payload, m.payload, static_cast<size_t>(m.payloadSize));
    ++lobby.counts.relayed;
    LobbySend(out, other.endpoint, down);
}

void Leave(LobbyServer& lobby, const host::NetAddress& from, const LobbyMessage& m, int64_t nowMs) {
    LobbyRoomAt room;
    int32_t seat = 0;
    if (LobbySeatOf(lobby, m, room, seat))
        CloseRoom(lobby, room);
    else
        LobbyMayGuess(lobby, from, nowMs);
}

// A request of another version with the lobby's magic: told the lobby's
// version once (within the message limit), when it is long enough that the
// answer amplifies nothing.
void OtherVersion(LobbyServer& lobby, const host::NetAddress& from, const uint8_t* bytes,
                  int32_t size, int64_t nowMs, std::vector<LobbyOutgoing>& out) {
    const int32_t version = LobbyVersionOf(bytes, size);
    const LobbyRates& rates = lobby.settings.rates;
    if (version >= 0 && version != LobbyVersion && size >= LobbyRequestSize &&
        LobbyTakeToken(lobby.limits[LobbyLimitKeyOf(lobby, from)].messages, nowMs,
                       rates.messagesPerSecond * 60, rates.messagesBurst))
        return LobbyRefuse(lobby, out, from, 0, LobbyOldVersion);
    ++lobby.counts.dropped;
}

}  // namespace

void LobbyReceive(LobbyServer& lobby, const host::NetAddress& from, const uint8_t* bytes,
                  int32_t size, int64_t nowMs, std::vector<LobbyOutgoing>& out) {
    ++lobby.counts.received;
    const std::string key = LobbyLimitKeyOf(lobby, from);
    // A flood from ever new (forged) addresses fills no more memory than this.
    if (from.family == 0 ||
        (lobby.limits.size() >= MaxAddressesTracked && lobby.limits.count(key) == 0)) {
        ++lobby.counts.dropped;
        return;
    }
    LobbyMessage m;
    if (!ReadLobbyMessage(bytes, size, m))
        return OtherVersion(lobby, from, bytes, size, nowMs, out);
    const LobbyRates& rates = lobby.settings.rates;
    LobbyAddressLimits& limits = lobby.limits[key];
    // A game's datagrams and its feed are a game's traffic, limited as such
    // (no answer is longer than what drew it); the rest are requests.
    const bool traffic = m.kind == LobbyRelayUp || m.kind == LobbyFeedUp || m.kind == LobbyWatch;
    const bool allowed =
        traffic
            ? LobbyTakeToken(limits.relayed, nowMs, rates.relayedPerSecond * 60, rates.relayedBurst)
            : LobbyTakeToken(limits.messages, nowMs, rates.messagesPerSecond * 60,
                             rates.messagesBurst);
    if (!allowed) {
        ++lobby.counts.dropped;
        return;
    }
    switch (m.kind) {
        case LobbyHostRoom:
            return MakeRoom(lobby, from, m, nowMs, out);
        case LobbyJoinRoom:
            return Join(lobby, from, m, nowMs, out);
        case LobbyPoll:
            return Poll(lobby, from, m, nowMs, out);
        case LobbyLeave:
            return Leave(lobby, from, m, nowMs);
        case LobbyRelayUp:
            return Relay(lobby, from, m, nowMs, out);
        case LobbyFeedUp:
            return LobbyTakeFeed(lobby, from, m, nowMs, out);
        case LobbyWatch:
            return LobbyAnswerWatch(lobby, from, m, nowMs, out);
        default:
            ++lobby.counts.dropped;  // the lobby's own answers, sent back to it
    }
}

namespace {

// The directory hears of the rooms still open now and then.
void KeepClaims(LobbyServer& lobby, int64_t nowMs) {
    if (!lobby.directory.keep || nowMs - lobby.directoryKeptMs < lobby.directory.keepEveryMs)
        return;
    lobby.directoryKeptMs = nowMs;
    std::vector<std::string> codes;
    codes.reserve(lobby.rooms.size());
    for (const auto& [code, room] : lobby.rooms)
        codes.push_back(code);
    LobbyKeptFeedCodes(lobby, codes);
    lobby.directory.keep(codes);
}

}  // namespace

void LobbySweep(LobbyServer& lobby, int64_t nowMs) {
    for (auto room = lobby.rooms.begin(); room != lobby.rooms.end();) {
        const LobbyRoom& r = room->second;
        if (nowMs - r.heardMs > lobby.settings.roomIdleMs ||
            nowMs - r.madeMs > lobby.settings.roomLifeMs) {
            auto next = std::next(room);
            CloseRoom(lobby, room);
            ++lobby.counts.expired;
            room = next;
        } else {
            ++room;
        }
    }
    LobbySweepFeeds(lobby, nowMs);
    LobbyForgetIdle(lobby.limits, lobby.settings.rates, nowMs);
    KeepClaims(lobby, nowMs);
}

void LobbyPageOpened(LobbyServer& lobby, const host::NetAddress& page,
                     const host::NetAddress& peer) {
    lobby.pageKeys[LobbyLimitKey(page)] = LobbyLimitKey(peer);
}

void LobbyPageClosed(LobbyServer& lobby, const host::NetAddress& page) {
    lobby.pageKeys.erase(LobbyLimitKey(page));
}
