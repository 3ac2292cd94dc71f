// host.h's network addresses to and from the sockets' own records, the same
// on POSIX and on Winsock (each backend includes its socket headers first).
#pragma once

#include <cstdint>
#include <cstring>

#include "platform/host.h"

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
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

}  // namespace shared
