// Between Boost.Asio's UDP endpoints and the host's addresses: the bytes of
// the address in network order, the port as a number.
#include "programs/lobby/asio_address.h"

#include <cstring>

namespace asio = boost::asio;
using asio::ip::udp;

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
