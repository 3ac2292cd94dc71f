// The directory of rooms where the lobby was built without hiredis: --redis
// says so and the lobby does not start.
#include "programs/lobby/redis_directory.h"

bool OpenRedisDirectory(const std::string&, const host::NetAddress&, int32_t, std::string& error) {
    error = "this lobby was built without Redis (install libhiredis-dev and build again)";
    return false;
}

LobbyDirectory RedisDirectory() {
    return {};
}

void CloseRedisDirectory() {}

const RedisCounts& RedisDirectoryCounts() {
    static const RedisCounts none;
    return none;
}
