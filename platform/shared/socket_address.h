// host.h's network addresses to and from the sockets' own records, the same
// on POSIX and on Winsock (each backend includes its socket headers first).
#pragma once

#include <cstdint>
#include <cstring>
#include <string>

#include "platform/host.h"

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#endif

namespace shared {

// The address as a socket takes it; the length of the record filled in.
inline int ToSockaddr(const host::NetAddress& address, sockaddr_storage& storage) {
    std::memset(&storage, 0, sizeof storage);
    if (address.family == 6) {
        auto* six = reinterpret_cast<sockaddr_in6*>(&storage);
        six->sin6_family = AF_INET6;
        six->sin6_port = htons(static_cast<uint16_t>(address.port));
        std::memcpy(&six->sin6_addr, address.bytes, 16);
        return sizeof(sockaddr_in6);
    }
    auto* four = reinterpret_cast<sockaddr_in*>(&storage);
    four->sin_family = AF_INET;
    four->sin_port = htons(static_cast<uint16_t>(address.port));
    std::memcpy(&four->sin_addr, address.bytes, 4);
    return sizeof(sockaddr_in);
}

// The address a socket reported; family 0 for one of neither kind.
inline host::NetAddress FromSockaddr(const sockaddr_storage& storage) {
    host::NetAddress address;
    if (storage.ss_family == AF_INET6) {
        const auto* six = reinterpret_cast<const sockaddr_in6*>(&storage);
        address.family = 6;
        address.port = ntohs(six->sin6_port);
        std::memcpy(address.bytes, &six->sin6_addr, 16);
    } else if (storage.ss_family == AF_INET) {
        const auto* four = reinterpret_cast<const sockaddr_in*>(&storage);
        address.family = 4;
        address.port = ntohs(four->sin_port);
        std::memcpy(address.bytes, &four->sin_addr, 4);
    }
    return address;
}

// A name looked up for datagrams: its address at `port`, IPv4 first (the
// lobby and most home routers speak it); false, with why in `error`, when
// none of either kind is found.
inline bool LookUpName(const std::string& name, int32_t port, host::NetAddress& address,
                       std::string& error) {
    addrinfo hints{};
    hints.ai_socktype = SOCK_DGRAM;
    hints.ai_family = AF_UNSPEC;
    addrinfo* found = nullptr;
    const int failure = ::getaddrinfo(name.c_str(), nullptr, &hints, &found);
    if (failure != 0 || !found) {
        error = "cannot find " + name + ": " + ::gai_strerror(failure);
        return false;
    }
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
    address = FromSockaddr(storage);
    address.port = port;
    if (address.family != 0)
        return true;
    error = "cannot find an address of " + name;
    return false;
}

// A datagram received, `got` bytes of `buffer` from `from`, as host.h's;
// false for one to skip: empty, longer than the largest, or from an address
// of neither kind.
inline bool TakeDatagram(const void* buffer, long got, const sockaddr_storage& from,
                         host::NetDatagram& datagram) {
    if (got < 1 || got > host::NetDatagramMax)
        return false;
    datagram.from = FromSockaddr(from);
    if (datagram.from.family == 0)
        return false;
    datagram.size = static_cast<int32_t>(got);
    std::memcpy(datagram.bytes, buffer, static_cast<size_t>(got));
    return true;
}

}  // namespace shared
