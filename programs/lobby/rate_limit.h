// What one source address may ask of the lobby: token buckets for its
// messages, its join attempts and its relayed datagrams, and the rooms it
// holds. Keyed by the address alone, not the port, so that a guesser gains
// nothing by opening more sockets.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>

#include "platform/host.h"

// A bucket holds up to `burst` tokens and gains `perSecond` a second; a
// message takes one. Kept in thousandths, so that slow rates stay exact.
struct LobbyBucket {
    int64_t milliTokens = -1;  // -1: full, not yet used
    int64_t lastMs = 0;
};

struct LobbyRates {
    int32_t messagesPerSecond = 20, messagesBurst = 40;
    // Joining by code: enough for a player who mistypes, far too few to guess
    // one of 31^10 codes.
    int32_t joinsPerMinute = 12, joinsBurst = 5;
    int32_t relayedPerSecond = 400, relayedBurst = 800;
    int32_t roomsPerAddress = 4;
};

struct LobbyAddressLimits {
    LobbyBucket messages, joins, relayed;
    int32_t roomsHeld = 0;
};

using LobbyLimitTable = std::unordered_map<std::string, LobbyAddressLimits>;

// The table's key of an address: its family and bytes, without the port.
std::string LobbyLimitKey(const host::NetAddress& address);
// Takes one token from `bucket` at `nowMs`; false when it has none.
bool LobbyTakeToken(LobbyBucket& bucket, int64_t nowMs, int64_t perMinute, int64_t burst);
// Forgets the addresses whose buckets have filled again and that hold no
// room: they are as new.
void LobbyForgetIdle(LobbyLimitTable& table, const LobbyRates& rates, int64_t nowMs);
