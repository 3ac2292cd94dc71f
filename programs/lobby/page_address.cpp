// The pages' endpoints in 100::/64 (RFC 6666): routing by them is a matter of
// eight bytes, and a datagram that claims one over UDP is told apart.
#include "programs/lobby/page_address.h"

namespace {

constexpr uint8_t Prefix[8] = {0x01, 0x00, 0, 0, 0, 0, 0, 0};

}  // namespace

host::NetAddress LobbyPageEndpoint(uint64_t serial) {
    host::NetAddress address;
    address.family = 6;
    for (int i = 0; i < 8; ++i) {
        address.bytes[i] = Prefix[i];
        address.bytes[15 - i] = static_cast<uint8_t>(serial >> (8 * i));
    }
    address.port = LobbyPagePort;
    return address;
}

bool LobbyPageAddress(const host::NetAddress& address) {
    if (address.family != 6)
        return false;
    for (int i = 0; i < 8; ++i)
        if (address.bytes[i] != Prefix[i])
            return false;
    return true;
}

uint64_t LobbyPageSerial(const host::NetAddress& address) {
    if (!LobbyPageAddress(address) || address.port != LobbyPagePort)
        return 0;
    uint64_t serial = 0;
    for (int i = 8; i < 16; ++i)
        serial = serial << 8 | address.bytes[i];
    return serial;
}
