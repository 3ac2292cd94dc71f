// morvask-lobby: the server where two programs find each other by a room's
// code, learn each other's public endpoint, and relay through when the
// direct path fails. Boost.Asio moves the datagrams; rooms.cpp decides.
#include <sys/random.h>

#include <utility>  // Boost 1.74 misses it under C++20

#include <boost/asio.hpp>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "programs/lobby/rooms.h"
#include "programs/lobby/web_server.h"

namespace asio = boost::asio;
using asio::ip::udp;

namespace {

constexpr int DefaultPort = 41700;

constexpr const char* Usage =
    "Usage: morvask-lobby [OPTION]...\n"
    "The lobby of Morvask's online play: rooms by code, the peers' endpoints\n"
    "exchanged, and a relay between them when the direct path fails (UDP).\n"
    "\n"
    "Options:\n"
    "  --port N        the UDP port to listen on (default 41700; 0: any free one)\n"
    "  --bind ADDRESS  the address to listen on (default 0.0.0.0, every IPv4\n"
    "                  address; :: for IPv6)\n"
    "  --max-rooms N   the most rooms open at once (default 10000)\n"
    "  --web DIR       also serve the web edition's folder DIR over HTTP\n"
    "                  (dist/web: the compressed copy the browser accepts, a\n"
    "                  year's cache for files named after their contents)\n"
    "  --web-port N    the TCP port of --web (default 8000; 0: any free one)\n"
    "  --help          show this help and exit\n"
    "\n"
    "It prints \"morvask-lobby: listening on ADDRESS:PORT\" once ready (with --web\n"
    "also \"morvask-lobby: serving DIR on http://ADDRESS:PORT/\"), and its counts\n"
    "when stopped (SIGINT or SIGTERM).\n";

struct LobbyOptions {
    int port = DefaultPort;
    std::string bind = "0.0.0.0";
    int maxRooms = 10000;
    std::string webRoot;
    int webPort = 8000;
};

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

bool WholeNumber(const char* text, int lowest, int highest, int& value) {
    char* end = nullptr;
    const long read = std::strtol(text, &end, 10);
    if (!*text || *end || read < lowest || read > highest)
        return false;
    value = static_cast<int>(read);
    return true;
}

// The options; an exit code (0 for --help, 2 for a bad one) when the lobby
// is not to run.
int ReadOptions(int argc, char** argv, LobbyOptions& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--help" || option == "-h") {
            std::fputs(Usage, stdout);
            return 0;
        }
        const bool valued = option == "--port" || option == "--bind" || option == "--max-rooms" ||
                            option == "--web" || option == "--web-port";
        if (!valued || i + 1 >= argc) {
            std::fprintf(stderr, "morvask-lobby: %s %s\nTry 'morvask-lobby --help' for more.\n",
                         valued ? "a value is missing after" : "unknown option", option.c_str());
            return 2;
        }
        const char* value = argv[++i];
        const bool fits = option == "--bind"   ? (options.bind = value, true)
                          : option == "--web"  ? (options.webRoot = value, !options.webRoot.empty())
                          : option == "--port" ? WholeNumber(value, 0, 65535, options.port)
                          : option == "--web-port"
                              ? WholeNumber(value, 0, 65535, options.webPort)
                              : WholeNumber(value, 1, 10000000, options.maxRooms);
        if (!fits) {
            std::fprintf(stderr, "morvask-lobby: %s does not take \"%s\"\n", option.c_str(), value);
            return 2;
        }
    }
    return -1;
}

host::NetAddress AddressOf(const udp::endpoint& endpoint) {
    host::NetAddress address;
    const asio::ip::address ip = endpoint.address();
    if (ip.is_v4()) {
        address.family = 4;
        const auto bytes = ip.to_v4().to_bytes();
        std::memcpy(address.bytes, bytes.data(), 4);
    } else {
        const asio::ip::address_v6 six = ip.to_v6();
        if (six.is_v4_mapped())
            return AddressOf(udp::endpoint(asio::ip::make_address_v4(asio::ip::v4_mapped, six),
                                           endpoint.port()));
        address.family = 6;
        const auto bytes = six.to_bytes();
        std::memcpy(address.bytes, bytes.data(), 16);
    }
    address.port = endpoint.port();
    return address;
}

udp::endpoint EndpointOf(const host::NetAddress& address) {
    if (address.family == 4) {
        asio::ip::address_v4::bytes_type bytes;
        std::memcpy(bytes.data(), address.bytes, 4);
        return udp::endpoint(asio::ip::address_v4(bytes), static_cast<uint16_t>(address.port));
    }
    asio::ip::address_v6::bytes_type bytes;
    std::memcpy(bytes.data(), address.bytes, 16);
    return udp::endpoint(asio::ip::address_v6(bytes), static_cast<uint16_t>(address.port));
}

// What runs the lobby: the socket, the room table and the buffers of the
// datagram being read and the answers it drew.
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
};

void Receive(LobbyProcess& p) {
    p.socket.async_receive_from(
        asio::buffer(p.buffer), p.sender, [&p](const boost::system::error_code& error, size_t got) {
            if (error == asio::error::operation_aborted)
                return;
            if (!error && got <= static_cast<size_t>(host::NetDatagramMax)) {
                p.out.clear();
                LobbyReceive(p.lobby, AddressOf(p.sender), p.buffer, static_cast<int32_t>(got),
                             NowMs(), p.out);
                boost::system::error_code ignored;
                for (const LobbyOutgoing& datagram : p.out)
                    p.socket.send_to(asio::buffer(datagram.bytes, datagram.size),
                                     EndpointOf(datagram.to), 0, ignored);
            } else if (!error) {
                ++p.lobby.counts.dropped;
            }
            Receive(p);
        });
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

int main(int argc, char** argv) {
    LobbyOptions options;
    const int early = ReadOptions(argc, argv, options);
    if (early >= 0)
        return early;
    static LobbyProcess p;
    p.lobby.randomBytes = SystemRandom;
    p.lobby.settings.maxRooms = options.maxRooms;
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
    if (error) {
        std::fprintf(stderr, "morvask-lobby: cannot listen on %s port %d: %s\n",
                     options.bind.c_str(), options.port, error.message().c_str());
        return 1;
    }
    const udp::endpoint bound = p.socket.local_endpoint();
    std::printf("morvask-lobby: listening on %s\n", host::NetAddressText(AddressOf(bound)).c_str());
    std::printf(
        "morvask-lobby: programs find it with --lobby HOST:%d, or lobby = HOST:%d in "
        "settings.ini (HOST: this machine's name or address)\n",
        static_cast<int>(bound.port()), static_cast<int>(bound.port()));
    std::fflush(stdout);
    if (!options.webRoot.empty()) {
        std::string why;
        const int webPort =
            StartWebServer(p.io, options.bind, options.webPort, options.webRoot, why);
        if (webPort < 0) {
            std::fprintf(stderr, "morvask-lobby: %s\n", why.c_str());
            return 1;
        }
        std::printf("morvask-lobby: serving %s on http://%s/\n", options.webRoot.c_str(),
                    host::NetAddressText(AddressOf(udp::endpoint(address, webPort))).c_str());
        std::fflush(stdout);
    }
    p.signals.async_wait([](const boost::system::error_code&, int) { p.io.stop(); });
    Receive(p);
    Sweep(p);
    p.io.run();
    const LobbyCounts& c = p.lobby.counts;
    std::printf(
        "morvask-lobby: stopped; %lld datagrams, %lld dropped, %lld refused, %lld rooms made, "
        "%lld joined, %lld relayed, %lld expired\n",
        static_cast<long long>(c.received), static_cast<long long>(c.dropped),
        static_cast<long long>(c.refused), static_cast<long long>(c.roomsMade),
        static_cast<long long>(c.joined), static_cast<long long>(c.relayed),
        static_cast<long long>(c.expired));
    if (!options.webRoot.empty()) {
        const WebCounts& w = WebServerCounts();
        std::printf("morvask-lobby: web: %lld requests, %lld served, %lld refused, %lld limited\n",
                    static_cast<long long>(w.requests), static_cast<long long>(w.served),
                    static_cast<long long>(w.refused), static_cast<long long>(w.limited));
        StopWebServer();
    }
    return 0;
}
