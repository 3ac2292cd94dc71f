// morvask-lobby's counts once stopped, one line for each side it ran.
#include "programs/lobby/lobby_report.h"

#include <cstdio>

#include "programs/lobby/page_socket.h"
#include "programs/lobby/redis_directory.h"
#include "programs/lobby/web_server.h"

namespace {

long long N(int64_t value) {
    return static_cast<long long>(value);
}

}  // namespace

void PrintLobbyCounts(const LobbyCounts& c, bool web, bool directory) {
    std::printf(
        "morvask-lobby: stopped; %lld datagrams, %lld dropped, %lld refused, %lld rooms made, "
        "%lld joined, %lld relayed, %lld expired, %lld sent on, %lld fed, %lld watched\n",
        N(c.received), N(c.dropped), N(c.refused), N(c.roomsMade), N(c.joined), N(c.relayed),
        N(c.expired), N(c.sentOn), N(c.fed), N(c.watched));
    if (web) {
        const WebCounts& w = WebServerCounts();
        std::printf("morvask-lobby: web: %lld requests, %lld served, %lld refused, %lld limited\n",
                    N(w.requests), N(w.served), N(w.refused), N(w.limited));
        const PageCounts& g = PageSocketCounts();
        std::printf(
            "morvask-lobby: pages: %lld connections, %lld refused, %lld messages in, %lld out, "
            "%lld dropped, %lld closed for bad messages\n",
            N(g.opened), N(g.refused), N(g.received), N(g.sent), N(g.dropped), N(g.closedBad));
    }
    if (directory) {
        const RedisCounts& r = RedisDirectoryCounts();
        std::printf("morvask-lobby: Redis: %lld commands, %lld failed, %lld reconnections\n",
                    N(r.commands), N(r.failed), N(r.reconnected));
    }
    std::fflush(stdout);
}
