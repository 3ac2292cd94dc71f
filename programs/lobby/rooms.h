// The lobby's rooms: what each datagram that reaches the lobby does, as a
// pure function of the lobby's record, the datagram, its source and the
// clock, so that the tests drive it without sockets. The program around it
// (main.cpp) only moves datagrams and keeps time.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/host.h"
#include "programs/lobby/lobby_server.h"

// What one datagram from `from` does: its answers and relayed datagrams are
// appended to `out`. Anything malformed, forged, over a limit or of the wrong
// room changes nothing and is answered by nothing (but a request of another
// version, answered once with the lobby's).
void LobbyReceive(LobbyServer& lobby, const host::NetAddress& from, const uint8_t* bytes,
                  int32_t size, int64_t nowMs, std::vector<LobbyOutgoing>& out);

// A page's connection from `peer` opened or closed: its endpoint `page`
// counts against the limits of `peer`'s address (with every other
// connection and datagram from it) until closed.
void LobbyPageOpened(LobbyServer& lobby, const host::NetAddress& page,
                     const host::NetAddress& peer);
void LobbyPageClosed(LobbyServer& lobby, const host::NetAddress& page);

// Closes the rooms that expired, drops the feeds no longer kept and forgets
// the quiet addresses.
void LobbySweep(LobbyServer& lobby, int64_t nowMs);
