// The endpoints the lobby gives the pages that reach it over WebSocket: in
// the discard-only prefix 100::/64, which no UDP sender can have, with the
// connection's serial number in the last 8 bytes.
#pragma once

#include <cstdint>

#include "platform/host.h"

// The port of every page's endpoint (the lobby's messages take 1 to 65535).
inline constexpr int32_t LobbyPagePort = 1;

// The endpoint of the page connection numbered `serial` (1 or more).
host::NetAddress LobbyPageEndpoint(uint64_t serial);
// Whether `address` lies in 100::/64, whatever its port: a page's endpoint,
// or a UDP source posing as one.
bool LobbyPageAddress(const host::NetAddress& address);
// The serial of a page's endpoint; 0 for any other address.
uint64_t LobbyPageSerial(const host::NetAddress& address);
