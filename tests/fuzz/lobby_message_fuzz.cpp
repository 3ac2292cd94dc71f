// libFuzzer target of the lobby's message reader, and of the lobby behind it:
// any datagram from a stranger. A message the reader takes must be written
// back to the very same bytes; a refused one must leave the record as it
// was. Handed to a lobby holding one room, no datagram may make an answer
// longer than itself (nothing amplified), move or close the room's seat
// without its token, or open more than the one room a request asks for.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "lobby/lobby_messages.h"
#include "programs/lobby/rooms.h"

namespace {

uint64_t Draws = 1;

void FuzzRandom(uint8_t* bytes, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        Draws ^= Draws << 13;
        Draws ^= Draws >> 7;
        Draws ^= Draws << 17;
        bytes[i] = static_cast<uint8_t>(Draws >> 24);
    }
}

void CheckReader(const uint8_t* data, int32_t size) {
    LobbyMessage message;
    message.kind = LobbyWaiting;
    message.token = 77;
    if (!ReadLobbyMessage(data, size, message)) {
        if (message.kind != LobbyWaiting || message.token != 77)
            std::abort();
        return;
    }
    static uint8_t again[host::NetDatagramMax];
    const int32_t written = WriteLobbyMessage(message, again);
    if (written != size || std::memcmp(again, data, static_cast<size_t>(size)) != 0)
        std::abort();
}

void CheckLobby(const uint8_t* data, int32_t size) {
    Draws = 99;
    LobbyServer lobby;
    lobby.randomBytes = FuzzRandom;
    host::NetAddress seat, stranger;
    host::NetNumericAddress("203.0.113.1", 5000, seat);
    host::NetNumericAddress("192.0.2.9", 7000, stranger);
    LobbyMessage ask;
    ask.kind = LobbyHostRoom;
    uint8_t request[host::NetDatagramMax];
    std::vector<LobbyOutgoing> out;
    LobbyReceive(lobby, seat, request, WriteLobbyMessage(ask, request), 1000, out);
    if (lobby.rooms.size() != 1)
        std::abort();
    const LobbyRoom room = lobby.rooms.begin()->second;
    out.clear();
    LobbyReceive(lobby, stranger, data, size, 2000, out);
    for (const LobbyOutgoing& o : out)
        if (o.size > size)
            std::abort();
    if (lobby.rooms.size() > 2)
        std::abort();
    // The host's seat keeps its token; only a datagram with that token may
    // move the seat (a router's new port) or close the room.
    auto kept = lobby.rooms.find(std::string(room.code, LobbyCodeLength));
    LobbyMessage read;
    const bool tokened = ReadLobbyMessage(data, size, read) && read.token == room.seats[0].token;
    if (!tokened && (kept == lobby.rooms.end() || !(kept->second.seats[0].endpoint == seat)))
        std::abort();
    if (kept != lobby.rooms.end() && kept->second.seats[0].token != room.seats[0].token)
        std::abort();
    LobbySweep(lobby, 10 * 60 * 1000);
    if (!lobby.rooms.empty())
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > static_cast<size_t>(host::NetDatagramMax))
        return 0;
    CheckReader(data, static_cast<int32_t>(size));
    CheckLobby(data, static_cast<int32_t>(size));
    return 0;
}
