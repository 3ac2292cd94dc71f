// The directory of rooms in Redis (hiredis): each room's code names the
// process that holds it, for as long as that process keeps it alive.
#pragma once

#include <cstdint>
#include <string>

#include "platform/host.h"
#include "programs/lobby/room_directory.h"

// A claim runs out this long after the process last kept it: a process that
// died holds its codes no longer than this.
inline constexpr int32_t RedisClaimSeconds = 120;
// How often the claims of the rooms still open are renewed.
inline constexpr int64_t RedisKeepEveryMs = 30000;

// Connects to the Redis of `where` ("HOST:PORT", "redis://HOST:PORT", or
// "unix:PATH"), naming this process by `self` (its public UDP endpoint) and
// `webPort` (0: none), and forgets the claims a process of the same name left
// (a lobby that restarted holds none of its old rooms). False with why.
bool OpenRedisDirectory(const std::string& where, const host::NetAddress& self, int32_t webPort,
                        std::string& error);
// The calls for the rooms; valid once opened.
LobbyDirectory RedisDirectory();
void CloseRedisDirectory();
// The directory's own counts: failed commands and reconnections.
struct RedisCounts {
    int64_t commands = 0, failed = 0, reconnected = 0;
};
const RedisCounts& RedisDirectoryCounts();
