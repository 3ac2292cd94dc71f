// The headless host's network: sockets in one process that deliver to each
// other through queues in memory, with seeded faults, so that two peers can
// play over a lossy link in one deterministic run.
#include <cstring>
#include <deque>
#include <vector>

#include "platform/headless/headless.h"
#include "platform/host.h"
#include "platform/shared/net_resolve.h"

namespace {

struct LinkSocket {
    bool open = false;
    int32_t port = 0;
    std::deque<host::NetDatagram> waiting;
};

// As a system's socket buffer: beyond this many a socket's datagrams are
// dropped, so a peer that never reads cannot grow the queue without end.
constexpr size_t MaxWaiting = 512;
constexpr int32_t FirstFreePort = 40000;

struct NetLink {
    std::vector<LinkSocket> sockets;
    headless::NetFaults faults;
    uint32_t draw = 1;
    int64_t lost = 0;
    int64_t undeliverable = 0;
};
NetLink Link;

host::NetAddress LoopbackAt(int32_t port) {
    host::NetAddress address;
    address.family = 4;
    address.bytes[0] = 127;
    address.bytes[3] = 1;
    address.port = port;
    return address;
}

// A percent chance from the link's own generator (xorshift), apart from the
// game's generator so that faults never change the game's draws.
bool Chance(int32_t percent) {
    if (percent <= 0)
        return false;
    uint32_t x = Link.draw;
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    Link.draw = x;
    return static_cast<int32_t>(x % 100) < percent;
}

LinkSocket* Open(int32_t socket) {
    if (socket < 0 || socket >= static_cast<int32_t>(Link.sockets.size()) ||
        !Link.sockets[socket].open)
        return nullptr;
    return &Link.sockets[socket];
}

LinkSocket* Listening(const host::NetAddress& to) {
    const bool loopback = to.family == 4 && to.bytes[0] == 127;
    for (LinkSocket& socket : Link.sockets)
        if (socket.open && loopback && socket.port == to.port)
            return &socket;
    return nullptr;
}

bool PortTaken(int32_t port) {
    for (const LinkSocket& socket : Link.sockets)
        if (socket.open && socket.port == port)
            return true;
    return false;
}

void Queue(LinkSocket& target, const host::NetDatagram& datagram) {
    if (target.waiting.size() >= MaxWaiting) {
        ++Link.undeliverable;
        return;
    }
    if (!target.waiting.empty() && Chance(Link.faults.reorderPercent))
        target.waiting.insert(target.waiting.end() - 1, datagram);
    else
        target.waiting.push_back(datagram);
}

}  // namespace

void headless::SetNetFaults(const NetFaults& faults) {
    Link.faults = faults;
    Link.draw = faults.seed == 0 ? 1 : faults.seed;
}

int64_t headless::NetLost() {
    return Link.lost;
}

int64_t headless::NetUndeliverable() {
    return Link.undeliverable;
}

void headless::ResetNetLink() {
    Link = NetLink{};
}

bool host::NetAvailable() {
    return true;
}

int32_t host::NetOpen(const NetAddress& local, std::string& error) {
    int32_t port = local.port;
    if (port == 0) {
        port = FirstFreePort;
        while (PortTaken(port) && port < 65535)
            ++port;
    }
    if (port < 1 || port > 65535 || PortTaken(port)) {
        error = "port " + std::to_string(port) + " is taken";
        return -1;
    }
    LinkSocket socket;
    socket.open = true;
    socket.port = port;
    Link.sockets.push_back(socket);
    return static_cast<int32_t>(Link.sockets.size()) - 1;
}

host::NetAddress host::NetBound(int32_t socket) {
    const LinkSocket* open = Open(socket);
    return open ? LoopbackAt(open->port) : NetAddress{};
}

bool host::NetSend(int32_t socket, const NetAddress& to, const uint8_t* bytes, int32_t size) {
    const LinkSocket* from = Open(socket);
    if (!from || size < 1 || size > NetDatagramMax || to.port < 1 || to.port > 65535)
        return false;
    NetDatagram datagram;
    datagram.from = LoopbackAt(from->port);
    datagram.size = size;
    std::memcpy(datagram.bytes, bytes, static_cast<size_t>(size));
    LinkSocket* target = Listening(to);
    if (!target) {
        ++Link.undeliverable;
        return true;
    }
    if (Chance(Link.faults.lossPercent)) {
        ++Link.lost;
        return true;
    }
    Queue(*target, datagram);
    if (Chance(Link.faults.duplicatePercent))
        Queue(*target, datagram);
    return true;
}

bool host::NetReceive(int32_t socket, NetDatagram& datagram) {
    LinkSocket* open = Open(socket);
    if (!open || open->waiting.empty())
        return false;
    datagram = open->waiting.front();
    open->waiting.pop_front();
    return true;
}

// The link in memory delivers at once: nothing to wait for.
void host::NetWait(int32_t, int32_t) {}

void host::NetClose(int32_t socket) {
    if (LinkSocket* open = Open(socket)) {
        open->open = false;
        open->waiting.clear();
    }
}

namespace {

// Only numbers: the link has no names to look up but "localhost".
bool LookUpName(const std::string& name, int32_t port, host::NetAddress& address,
                std::string& error) {
    if (name == "localhost" && host::NetNumericAddress("127.0.0.1", port, address))
        return true;
    error = "cannot find " + name + " on the link in memory";
    return false;
}

}  // namespace

bool host::NetResolve(const std::string& hostPort, NetAddress& address, std::string& error) {
    return shared::ResolveHostPort(hostPort, address, error, LookUpName);
}

// The link is loopback alone.
std::vector<host::NetAddress> host::NetLocalAddresses() {
    return {};
}
