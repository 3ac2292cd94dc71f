// morvask-lobby: the server where two programs find each other by a room's
// code, learn each other's public endpoint, and relay through when the
// direct path fails. Boost.Asio moves the datagrams (and, with --web, the
// pages' WebSocket messages, which are the same); rooms.cpp decides.
#include <sys/random.h>
#include <sys/resource.h>

#include <utility>  // Boost 1.74 misses it under C++20

#include <algorithm>
#include <boost/asio.hpp>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "programs/lobby/asio_address.h"
#include "programs/lobby/lobby_options.h"
#include "programs/lobby/lobby_report.h"
#include "programs/lobby/page_address.h"
#include "programs/lobby/page_socket.h"
#include "programs/lobby/redis_directory.h"
#include "programs/lobby/rooms.h"
#include "programs/lobby/web_server.h"

namespace asio = boost::asio;
using asio::ip::udp;

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

int64_t NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// What runs the lobby: the socket, the room table and the buffers of the
// datagram being read and the answers it drew.
constexpr int ReceiveBufferBytes = 4 << 20;

struct LobbyProcess {
    asio::io_context io;
    udp::socket socket{io};
    asio::steady_timer sweeper{io};
    asio::signal_set signals{io, SIGINT, SIGTERM};
    LobbyServer lobby;
    // One byte over the largest datagram: a longer one fills it and is dropped.
    uint8_t buffer[host::NetDatagramMax + 1];
    udp::endpoint sender;
    std::vector<LobbyOutgoing> out;
    int webPort = 0;  // with --web
};

LobbyProcess& Process() {
    static LobbyProcess p;
    return p;
}

void PageOpened(const host::NetAddress& page, const host::NetAddress& peer) {
    LobbyPageOpened(Process().lobby, page, peer);
}

void PageClosed(const host::NetAddress& page) {
    LobbyPageClosed(Process().lobby, page);
}

// Each answer or relayed datagram to its seat: a page's over its WebSocket
// (dropped when it is gone), any other over UDP.
void Deliver(LobbyProcess& p) {
    boost::system::error_code ignored;
    for (const LobbyOutgoing& datagram : p.out) {
        if (LobbyPageAddress(datagram.to))
            SendToPage(LobbyPageSerial(datagram.to), datagram.bytes, datagram.size);
        else
            p.socket.send_to(asio::buffer(datagram.bytes, datagram.size), EndpointOf(datagram.to),
                             0, ignored);
    }
}

void Receive(LobbyProcess& p) {
    p.socket.async_receive_from(
        asio::buffer(p.buffer), p.sender, [&p](const boost::system::error_code& error, size_t got) {
            if (error == asio::error::operation_aborted)
                return;
            const host::NetAddress from = AddressOf(p.sender);
            // Only a page's connection speaks for a page's endpoint.
            if (!error && got <= static_cast<size_t>(host::NetDatagramMax) &&
                !LobbyPageAddress(from)) {
                p.out.clear();
                LobbyReceive(p.lobby, from, p.buffer, static_cast<int32_t>(got), NowMs(), p.out);
                Deliver(p);
            } else if (!error) {
                ++p.lobby.counts.dropped;
            }
            Receive(p);
        });
}

void PageReceived(const host::NetAddress& page, const uint8_t* bytes, int32_t size) {
    LobbyProcess& p = Process();
    p.out.clear();
    LobbyReceive(p.lobby, page, bytes, size, NowMs(), p.out);
    Deliver(p);
}

void Sweep(LobbyProcess& p) {
    p.sweeper.expires_after(std::chrono::seconds(1));
    p.sweeper.async_wait([&p](const boost::system::error_code& error) {
        if (error)
            return;
        LobbySweep(p.lobby, NowMs());
        Sweep(p);
    });
}

// Opens the lobby's socket (and the web side with --web) and says where it
// listens; false, said on standard error, when it cannot.
bool Listen(LobbyProcess& p, const LobbyOptions& options) {
    boost::system::error_code error;
    const asio::ip::address address = asio::ip::make_address(options.bind, error);
    if (!error) {
        const udp::endpoint local(address, static_cast<uint16_t>(options.port));
        p.socket.open(local.protocol(), error);
        if (!error && address.is_v6())
            p.socket.set_option(asio::ip::v6_only(true), error);
        if (!error)
            p.socket.bind(local, error);
    }
    // The relay's datagrams wait here while the lobby waits for a core: the
    // default (about 256 of them, 1.3 ms of a thousand rooms' play) overflows
    // at the first delay; the kernel holds it to its own ceiling.
    if (!error)
        p.socket.set_option(asio::socket_base::receive_buffer_size(ReceiveBufferBytes), error);
    if (error) {
        std::fprintf(stderr, "morvask-lobby: cannot listen on %s port %d: %s\n",
                     options.bind.c_str(), options.port, error.message().c_str());
        return false;
    }
    const udp::endpoint bound = p.socket.local_endpoint();
    std::printf("morvask-lobby: listening on %s\n", host::NetAddressText(AddressOf(bound)).c_str());
    std::printf(
        "morvask-lobby: programs find it with --lobby HOST:%d, or lobby = HOST:%d in "
        "settings.ini (HOST: this machine's name or address)\n",
        static_cast<int>(bound.port()), static_cast<int>(bound.port()));
    std::fflush(stdout);
    if (options.webRoot.empty())
        return true;
    std::string why;
    SetPageHooks(PageHooks{PageOpened, PageReceived, PageClosed});
    const int webPort = StartWebServer(p.io, options, why);
    p.webPort = webPort < 0 ? 0 : webPort;
    if (webPort < 0) {
        std::fprintf(stderr, "morvask-lobby: %s\n", why.c_str());
        return false;
    }
    std::printf("morvask-lobby: serving %s on http://%s/\n", options.webRoot.c_str(),
                host::NetAddressText(AddressOf(udp::endpoint(address, webPort))).c_str());
    std::fflush(stdout);
    return true;
}

// With --redis: the rooms' directory shared, this lobby named in it by the
// address programs reach it at.
bool ShareRooms(LobbyProcess& p, const LobbyOptions& options) {
    host::NetAddress self = options.publicAddress;
    if (self.family == 0) {
        self = AddressOf(p.socket.local_endpoint());
        const bool anywhere = std::all_of(std::begin(self.bytes), std::end(self.bytes),
                                          [](uint8_t b) { return b == 0; });
        if (anywhere) {
            std::fprintf(stderr,
                         "morvask-lobby: with --redis, give --public ADDRESS:PORT: where "
                         "programs reach this lobby (it listens on every address)\n");
            return false;
        }
    }
    std::string why;
    if (!OpenRedisDirectory(options.redis, self, p.webPort, why)) {
        std::fprintf(stderr, "morvask-lobby: %s\n", why.c_str());
        return false;
    }
    p.lobby.directory = RedisDirectory();
    std::printf("morvask-lobby: sharing rooms through Redis at %s as %s\n", options.redis.c_str(),
                host::NetAddressText(self).c_str());
    std::fflush(stdout);
    return true;
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
    p.signals.async_wait([&p](const boost::system::error_code&, int) { p.io.stop(); });
    Receive(p);
    Sweep(p);
    p.io.run();
    PrintLobbyCounts(p.lobby.counts, !options.webRoot.empty(), !options.redis.empty());
    if (!options.redis.empty())
        CloseRedisDirectory();
    if (!options.webRoot.empty())
        StopWebServer();
    return 0;
}
