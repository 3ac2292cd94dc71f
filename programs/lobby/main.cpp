// morvask-lobby: the server where two programs find each other by a room's
// code, learn each other's public endpoint, and relay through when the
// direct path fails. Boost.Asio moves the datagrams (and, with --web, the
// pages' WebSocket messages, which are the same); rooms.cpp decides.
#include <sys/random.h>
#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>

#include "programs/lobby/lobby_options.h"
#include "programs/lobby/lobby_process.h"
#include "programs/lobby/lobby_report.h"
#include "programs/lobby/redis_directory.h"
#include "programs/lobby/web_server.h"

namespace {

// The system's secure generator: the codes and tokens must not be guessed.
void SystemRandom(uint8_t* bytes, size_t count) {
    while (count > 0) {
        const ssize_t got = ::getrandom(bytes, count, 0);
        if (got <= 0) {
            std::fprintf(stderr, "morvask-lobby: the system's random generator failed\n");
            std::abort();
        }
        bytes += got;
        count -= static_cast<size_t>(got);
    }
}

// Each page's connection holds a descriptor: the soft limit (often 1024)
// is raised to the hard one.
void RaiseDescriptorLimit() {
    rlimit limit;
    if (::getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        ::setrlimit(RLIMIT_NOFILE, &limit);
    }
}

}  // namespace

int main(int argc, char** argv) {
    LobbyOptions options;
    const int early = ReadLobbyOptions(argc, argv, options);
    if (early >= 0)
        return early;
    LobbyProcess& p = Process();
    p.lobby.randomBytes = SystemRandom;
    p.lobby.settings.maxRooms = options.maxRooms;
    if (!options.webRoot.empty())
        RaiseDescriptorLimit();
    if (!Listen(p, options) || (!options.redis.empty() && !ShareRooms(p, options)))
        return 1;
    RunLobby(p);
    PrintLobbyCounts(p.lobby.counts, !options.webRoot.empty(), !options.redis.empty());
    if (!options.redis.empty())
        CloseRedisDirectory();
    if (!options.webRoot.empty())
        StopWebServer();
    return 0;
}
