// The network of host.h over Winsock UDP sockets, non-blocking, for the
// Windows program.
// host.h (with platform.h) before any Windows header, which would make
// platform.h's names macros.
#include "platform/host.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <winsock2.h>
#include <ws2tcpip.h>
// After winsock2.h, which it needs.
#include <iphlpapi.h>

#include "platform/shared/socket_address.h"

#include <cstring>
#include <vector>

namespace {

// The sockets opened, by the number host.h hands out (their index here);
// INVALID_SOCKET where one was closed.
std::vector<SOCKET> Sockets;
bool WinsockStarted = false;

bool StartWinsock(std::string& error) {
    if (WinsockStarted)
        return true;
    WSADATA data;
    if (::WSAStartup(MAKEWORD(2, 2), &data) != 0) {
        error = "the network (Winsock 2.2) is not available";
        return false;
    }
    WinsockStarted = true;
    return true;
}

SOCKET Of(int32_t socket) {
    if (socket < 0 || socket >= static_cast<int32_t>(Sockets.size()))
        return INVALID_SOCKET;
    return Sockets[socket];
}

}  // namespace

bool host::NetAvailable() {
    return true;
}

int32_t host::NetOpen(const NetAddress& local, std::string& error) {
    if (!StartWinsock(error))
        return -1;
    NetAddress bindTo = local;
    if (bindTo.family == 0)
        bindTo.family = 4;
    SOCKET s = ::socket(bindTo.family == 6 ? AF_INET6 : AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    if (s == INVALID_SOCKET) {
        error = "no socket (error " + std::to_string(::WSAGetLastError()) + ")";
        return -1;
    }
    DWORD on = 1;
    if (bindTo.family == 6)
        ::setsockopt(s, IPPROTO_IPV6, IPV6_V6ONLY, reinterpret_cast<const char*>(&on), sizeof on);
    // A send to a closed port would otherwise fail the next receive.
    BOOL report = FALSE;
    DWORD returned = 0;
    ::WSAIoctl(s, _WSAIOW(IOC_VENDOR, 12), &report, sizeof report, nullptr, 0, &returned, nullptr,
               nullptr);
    sockaddr_storage storage;
    const int length = shared::ToSockaddr(bindTo, storage);
    u_long nonBlocking = 1;
    if (::bind(s, reinterpret_cast<sockaddr*>(&storage), length) != 0 ||
        ::ioctlsocket(s, FIONBIO, &nonBlocking) != 0) {
        error = "cannot open " + NetAddressText(bindTo) + " (error " +
                std::to_string(::WSAGetLastError()) + ")";
        ::closesocket(s);
        return -1;
    }
    Sockets.push_back(s);
    return static_cast<int32_t>(Sockets.size()) - 1;
}

host::NetAddress host::NetBound(int32_t socket) {
    sockaddr_storage storage;
    int length = sizeof storage;
    const SOCKET s = Of(socket);
    if (s == INVALID_SOCKET ||
        ::getsockname(s, reinterpret_cast<sockaddr*>(&storage), &length) != 0)
        return {};
    return shared::FromSockaddr(storage);
}

bool host::NetSend(int32_t socket, const NetAddress& to, const uint8_t* bytes, int32_t size) {
    const SOCKET s = Of(socket);
    if (s == INVALID_SOCKET || size < 1 || size > NetDatagramMax ||
        (to.family != 4 && to.family != 6) || to.port < 1 || to.port > 65535)
        return false;
    sockaddr_storage storage;
    const int length = shared::ToSockaddr(to, storage);
    return ::sendto(s, reinterpret_cast<const char*>(bytes), size, 0,
                    reinterpret_cast<sockaddr*>(&storage), length) == size;
}

bool host::NetReceive(int32_t socket, NetDatagram& datagram) {
    const SOCKET s = Of(socket);
    if (s == INVALID_SOCKET)
        return false;
    // One byte more than the largest: a longer datagram fails with
    // WSAEMSGSIZE and is dropped, never cut.
    char buffer[NetDatagramMax + 1];
    for (int tries = 0; tries < 64; ++tries) {
        sockaddr_storage storage;
        int length = sizeof storage;
        const int got =
            ::recvfrom(s, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&storage), &length);
        if (got == SOCKET_ERROR) {
            if (::WSAGetLastError() == WSAEWOULDBLOCK)
                return false;
            continue;
        }
        if (got < 1 || got > NetDatagramMax)
            continue;
        datagram.from = shared::FromSockaddr(storage);
        if (datagram.from.family == 0)
            continue;
        datagram.size = got;
        std::memcpy(datagram.bytes, buffer, static_cast<size_t>(got));
        return true;
    }
    return false;
}

void host::NetWait(int32_t socket, int32_t milliseconds) {
    const int32_t wait = milliseconds < 0 ? 0 : milliseconds > 1000 ? 1000 : milliseconds;
    const SOCKET s = Of(socket);
    if (s == INVALID_SOCKET) {
        ::Sleep(DWORD(wait));
        return;
    }
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(s, &readable);
    timeval timeout{wait / 1000, (wait % 1000) * 1000};
    ::select(0, &readable, nullptr, nullptr, &timeout);
}

void host::NetClose(int32_t socket) {
    const SOCKET s = Of(socket);
    if (s == INVALID_SOCKET)
        return;
    ::closesocket(s);
    Sockets[socket] = INVALID_SOCKET;
}

bool host::NetResolve(const std::string& hostPort, NetAddress& address, std::string& error) {
    std::string name;
    int32_t port = 0;
    if (!SplitHostPort(hostPort, name, port)) {
        error = "\"" + hostPort + "\" is not HOST:PORT (a port of 1 to 65535)";
        return false;
    }
    if (NetNumericAddress(name, port, address))
        return true;
    if (!StartWinsock(error))
        return false;
    addrinfo hints{};
    hints.ai_socktype = SOCK_DGRAM;
    hints.ai_family = AF_UNSPEC;
    addrinfo* found = nullptr;
    if (::getaddrinfo(name.c_str(), nullptr, &hints, &found) != 0 || !found) {
        error = "cannot find " + name;
        return false;
    }
    // IPv4 first: the lobby and most home routers speak it.
    const addrinfo* chosen = found;
    for (const addrinfo* at = found; at; at = at->ai_next)
        if (at->ai_family == AF_INET) {
            chosen = at;
            break;
        }
    sockaddr_storage storage{};
    std::memcpy(&storage, chosen->ai_addr,
                chosen->ai_addrlen < sizeof storage ? chosen->ai_addrlen : sizeof storage);
    ::freeaddrinfo(found);
    address = shared::FromSockaddr(storage);
    address.port = port;
    if (address.family == 0) {
        error = "cannot find an address of " + name;
        return false;
    }
    return true;
}

std::vector<host::NetAddress> host::NetLocalAddresses() {
    std::vector<NetAddress> found;
    ULONG size = 16384;
    std::vector<unsigned char> buffer(size);
    auto* adapters = reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data());
    const ULONG flags = GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST | GAA_FLAG_SKIP_DNS_SERVER;
    ULONG result = ::GetAdaptersAddresses(AF_INET, flags, nullptr, adapters, &size);
    if (result == ERROR_BUFFER_OVERFLOW) {  // size is now what it takes
        buffer.resize(size);
        adapters = reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data());
        result = ::GetAdaptersAddresses(AF_INET, flags, nullptr, adapters, &size);
    }
    if (result != NO_ERROR)
        return found;
    for (const IP_ADAPTER_ADDRESSES* adapter = adapters; adapter; adapter = adapter->Next) {
        if (adapter->OperStatus != IfOperStatusUp || adapter->IfType == IF_TYPE_SOFTWARE_LOOPBACK)
            continue;
        for (auto* unicast = adapter->FirstUnicastAddress; unicast; unicast = unicast->Next) {
            const sockaddr* raw = unicast->Address.lpSockaddr;
            if (!raw || raw->sa_family != AF_INET)
                continue;
            NetAddress address;
            address.family = 4;
            std::memcpy(address.bytes, &reinterpret_cast<const sockaddr_in*>(raw)->sin_addr, 4);
            found.push_back(address);
        }
    }
    return found;
}
