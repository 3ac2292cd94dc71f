// The network of host.h over Winsock UDP sockets, non-blocking, for the
// Windows program.
#include "platform/host.h"
#include "platform/win32/win32_api.h"
// After windows.h: lean, it leaves the old winsock.h out.
#include <winsock2.h>
#include <ws2tcpip.h>
// After winsock2.h, which it needs.
#include <iphlpapi.h>

#include "platform/shared/net_resolve.h"
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
        if (shared::TakeDatagram(buffer, got, storage, datagram))
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

namespace {

// Winsock started first.
bool LookUpName(const std::string& name, int32_t port, host::NetAddress& address,
                std::string& error) {
    if (!StartWinsock(error))
        return false;
    return shared::LookUpName(name, port, address, error);
}

}  // namespace

bool host::NetResolve(const std::string& hostPort, NetAddress& address, std::string& error) {
    return shared::ResolveHostPort(hostPort, address, error, LookUpName);
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
