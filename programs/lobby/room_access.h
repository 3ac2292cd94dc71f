// What the lobby's handlers of datagrams share (rooms.cpp, watch_feeds.cpp):
// answering, the limits' key of a source, the seat a token proves, and the
// join attempt that every failed lookup of a code or token costs.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "lobby/lobby_messages.h"
#include "platform/host.h"
#include "programs/lobby/lobby_server.h"

using LobbyRoomAt = std::unordered_map<std::string, LobbyRoom>::iterator;

// Appends `m` for `to`, unless the writer refuses it.
void LobbySend(std::vector<LobbyOutgoing>& out, const host::NetAddress& to, const LobbyMessage& m);
void LobbyRefuse(LobbyServer& lobby, std::vector<LobbyOutgoing>& out, const host::NetAddress& to,
                 uint32_t nonce, int32_t refusal);
// The key of the limits `from` counts against: its address's, or a page's
// connection's.
std::string LobbyLimitKeyOf(const LobbyServer& lobby, const host::NetAddress& from);
std::string LobbyCodeKey(const char code[LobbyCodeLength]);
// A failed lookup of a code or token: one join attempt of the source; false
// when it has none left.
bool LobbyMayGuess(LobbyServer& lobby, const host::NetAddress& from, int64_t nowMs);
// A room this process does not hold may be another's of the same directory:
// the asker is told where (the answer no longer than its request), else
// refused "no such room".
void LobbySendOnOrRefuse(LobbyServer& lobby, const host::NetAddress& from, const LobbyMessage& m,
                         std::vector<LobbyOutgoing>& out);
// The seat of `m`'s room whose token it carries: the room and seat, or
// false (a forged or stale message, which costs a guess). `room` is the
// rooms' end when no room has the code.
bool LobbySeatOf(LobbyServer& lobby, const LobbyMessage& m, LobbyRoomAt& room, int32_t& seat);
// The seat whose token `m` carries, speaking from its own endpoint: its room
// and seat, or false (dropped; a wrong code or token costs a guess).
bool LobbySeatSpeaking(LobbyServer& lobby, const host::NetAddress& from, const LobbyMessage& m,
                       int64_t nowMs, LobbyRoomAt& room, int32_t& seat);
