// Between Boost.Asio's UDP endpoints and the host's addresses, which the
// rooms and the lobby's messages hold.
#pragma once

#include <utility>  // Boost 1.74 misses it under C++20

#include <boost/asio/ip/udp.hpp>

#include "platform/host.h"

// An IPv4 address mapped into IPv6 (a socket bound to ::) comes back as the
// IPv4 address it is, so that a program is one endpoint however it reached.
host::NetAddress AddressOf(const boost::asio::ip::udp::endpoint& endpoint);
boost::asio::ip::udp::endpoint EndpointOf(const host::NetAddress& address);
