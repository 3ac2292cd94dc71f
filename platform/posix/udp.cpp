// The network of host.h over POSIX UDP sockets, non-blocking, for the
// desktop program (and the tests of the transport and the lobby).
#include <arpa/inet.h>
#include <fcntl.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/host.h"
#include "platform/shared/net_resolve.h"
#include "platform/shared/socket_address.h"

namespace {

// The sockets this transport opened: only those are ever sent on or closed.
std::vector<int> OpenSockets;

bool Ours(int32_t socket) {
    return std::find(OpenSockets.begin(), OpenSockets.end(), socket) != OpenSockets.end();
}

}  // namespace

bool host::NetAvailable() {
    return true;
}

int32_t host::NetOpen(const NetAddress& local, std::string& error) {
    NetAddress bindTo = local;
    if (bindTo.family == 0)
        bindTo.family = 4;
    const int fd = ::socket(bindTo.family == 6 ? AF_INET6 : AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        error = std::string("no socket: ") + std::strerror(errno);
        return -1;
    }
    // One family per socket, so that an address received is always plain.
    const int on = 1;
    if (bindTo.family == 6)
        ::setsockopt(fd, IPPROTO_IPV6, IPV6_V6ONLY, &on, sizeof on);
    sockaddr_storage storage;
    const auto length = socklen_t(shared::ToSockaddr(bindTo, storage));
    if (::bind(fd, reinterpret_cast<sockaddr*>(&storage), length) != 0 ||
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK) != 0) {
        error = "cannot open " + NetAddressText(bindTo) + ": " + std::strerror(errno);
        ::close(fd);
        return -1;
    }
    OpenSockets.push_back(fd);
    return fd;
}

host::NetAddress host::NetBound(int32_t socket) {
    sockaddr_storage storage;
    socklen_t length = sizeof storage;
    if (!Ours(socket) || ::getsockname(socket, reinterpret_cast<sockaddr*>(&storage), &length) != 0)
        return {};
    return shared::FromSockaddr(storage);
}

bool host::NetSend(int32_t socket, const NetAddress& to, const uint8_t* bytes, int32_t size) {
    if (!Ours(socket) || size < 1 || size > NetDatagramMax || (to.family != 4 && to.family != 6) ||
        to.port < 1 || to.port > 65535)
        return false;
    sockaddr_storage storage;
    const auto length = socklen_t(shared::ToSockaddr(to, storage));
    const ssize_t sent = ::sendto(socket, bytes, static_cast<size_t>(size), MSG_NOSIGNAL,
                                  reinterpret_cast<sockaddr*>(&storage), length);
    return sent == size;
}

bool host::NetReceive(int32_t socket, NetDatagram& datagram) {
    if (!Ours(socket))
        return false;
    // One byte more than the largest, so that a longer datagram shows as
    // longer (MSG_TRUNC tells its whole size) and is dropped, not cut.
    uint8_t buffer[NetDatagramMax + 1];
    // A bounded number of tries: errors a datagram leaves behind (an ICMP
    // refusal of an earlier send) are skipped, never waited on.
    for (int tries = 0; tries < 64; ++tries) {
        sockaddr_storage storage;
        socklen_t length = sizeof storage;
        const ssize_t got = ::recvfrom(socket, buffer, sizeof buffer, MSG_DONTWAIT | MSG_TRUNC,
                                       reinterpret_cast<sockaddr*>(&storage), &length);
        if (got < 0) {
            if (errno == EAGAIN || errno == EWOULDBLOCK)
                return false;
            continue;
        }
        if (shared::TakeDatagram(buffer, long(got), storage, datagram))
            return true;
    }
    return false;
}

void host::NetWait(int32_t socket, int32_t milliseconds) {
    pollfd wanted{.fd = Ours(socket) ? socket : -1, .events = POLLIN, .revents = 0};
    ::poll(&wanted, 1, std::clamp(milliseconds, 0, 1000));
}

void host::NetClose(int32_t socket) {
    auto at = std::find(OpenSockets.begin(), OpenSockets.end(), socket);
    if (at == OpenSockets.end())
        return;
    OpenSockets.erase(at);
    ::close(socket);
}

bool host::NetResolve(const std::string& hostPort, NetAddress& address, std::string& error) {
    return shared::ResolveHostPort(hostPort, address, error, shared::LookUpName);
}

std::vector<host::NetAddress> host::NetLocalAddresses() {
    std::vector<NetAddress> found;
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0)
        return found;
    for (const ifaddrs* entry = list; entry; entry = entry->ifa_next) {
        if (!entry->ifa_addr || entry->ifa_addr->sa_family != AF_INET ||
            (entry->ifa_flags & IFF_UP) == 0 || (entry->ifa_flags & IFF_LOOPBACK) != 0)
            continue;
        NetAddress address;
        address.family = 4;
        std::memcpy(address.bytes, &reinterpret_cast<const sockaddr_in*>(entry->ifa_addr)->sin_addr,
                    4);
        found.push_back(address);
    }
    freeifaddrs(list);
    return found;
}
