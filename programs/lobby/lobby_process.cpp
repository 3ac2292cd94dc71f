// morvask-lobby's event loop: datagrams and pages' messages handed to the
// rooms (rooms.cpp decides) and their answers delivered, the rooms swept
// each second, the sockets opened and the directory joined.
#include "programs/lobby/lobby_process.h"

#include <signal.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

#include "programs/lobby/asio_address.h"
#include "programs/lobby/page_address.h"
#include "programs/lobby/page_socket.h"
#include "programs/lobby/redis_directory.h"
#include "programs/lobby/web_server.h"

namespace asio = boost::asio;
using asio::ip::udp;

namespace {

int64_t NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
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

}  // namespace

LobbyProcess& Process() {
    static LobbyProcess p;
    return p;
}

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

void RunLobby(LobbyProcess& p) {
    p.signals.async_wait([&p](const boost::system::error_code&, int) {
        // A supervisor may send its stop signal more than once (timeout(1)
        // sends it to the lobby and again to its group); once stopping, a
        // second one must not kill the lobby before it reports and closes,
        // even after the signal set is gone and the default action is back.
        sigset_t stopping;
        sigemptyset(&stopping);
        sigaddset(&stopping, SIGTERM);
        sigaddset(&stopping, SIGINT);
        sigprocmask(SIG_BLOCK, &stopping, nullptr);
        p.io.stop();
    });
    Receive(p);
    Sweep(p);
    p.io.run();
}
