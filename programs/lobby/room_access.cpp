// What the lobby's handlers of datagrams share: answering, the limits' key,
// seats by token, and the guesses failed lookups cost.
#include "programs/lobby/room_access.h"

#include <cstring>

void LobbySend(std::vector<LobbyOutgoing>& out, const host::NetAddress& to, const LobbyMessage& m) {
    out.emplace_back();
    out.back().to = to;
    out.back().size = WriteLobbyMessage(m, out.back().bytes);
    if (out.back().size == 0)
        out.pop_back();
}

void LobbyRefuse(LobbyServer& lobby, std::vector<LobbyOutgoing>& out, const host::NetAddress& to,
                 uint32_t nonce, int32_t refusal) {
    LobbyMessage m;
    m.kind = LobbyRefused;
    m.nonce = nonce;
    m.refusal = refusal;
    ++lobby.counts.refused;
    LobbySend(out, to, m);
}

std::string LobbyLimitKeyOf(const LobbyServer& lobby, const host::NetAddress& from) {
    std::string key = LobbyLimitKey(from);
    auto page = lobby.pageKeys.find(key);
    return page == lobby.pageKeys.end() ? key : page->second;
}

std::string LobbyCodeKey(const char code[LobbyCodeLength]) {
    return std::string(code, LobbyCodeLength);
}

bool LobbyMayGuess(LobbyServer& lobby, const host::NetAddress& from, int64_t nowMs) {
    const LobbyRates& rates = lobby.settings.rates;
    return LobbyTakeToken(lobby.limits[LobbyLimitKeyOf(lobby, from)].joins, nowMs,
                          rates.joinsPerMinute, rates.joinsBurst);
}

void LobbySendOnOrRefuse(LobbyServer& lobby, const host::NetAddress& from, const LobbyMessage& m,
                         std::vector<LobbyOutgoing>& out) {
    LobbyMessage there;
    if (!lobby.directory.find || !lobby.directory.find(m.code, there.peer, there.webPort))
        return LobbyRefuse(lobby, out, from, m.nonce, LobbyNoRoom);
    there.kind = LobbyElsewhere;
    there.nonce = m.nonce;
    std::memcpy(there.code, m.code, LobbyCodeLength);
    ++lobby.counts.sentOn;
    LobbySend(out, from, there);
}

bool LobbySeatOf(LobbyServer& lobby, const LobbyMessage& m, LobbyRoomAt& room, int32_t& seat) {
    room = lobby.rooms.find(LobbyCodeKey(m.code));
    if (room == lobby.rooms.end())
        return false;
    for (seat = 0; seat < 2; ++seat)
        if (room->second.seats[seat].taken && room->second.seats[seat].token == m.token)
            return true;
    return false;
}

bool LobbySeatSpeaking(LobbyServer& lobby, const host::NetAddress& from, const LobbyMessage& m,
                       int64_t nowMs, LobbyRoomAt& room, int32_t& seat) {
    if (!LobbySeatOf(lobby, m, room, seat)) {
        LobbyMayGuess(lobby, from, nowMs);
        ++lobby.counts.dropped;
        return false;
    }
    if (!(room->second.seats[seat].endpoint == from)) {
        ++lobby.counts.dropped;
        return false;
    }
    return true;
}
