// What every host's look-up of "host:port" shares (net_text.cpp): the text
// split and an address in digits read; the host looks up only a name.
#pragma once

#include <cstdint>
#include <string>

#include "platform/host.h"

namespace shared {

// The host's own look-up of a name that is not an address in digits; false
// with why in `error`.
using NameLookUp = bool (*)(const std::string& name, int32_t port, host::NetAddress& address,
                            std::string& error);

// host::NetResolve over `lookUp`: "host:port" or "[v6 address]:port" to an
// address; false with why in `error`.
bool ResolveHostPort(const std::string& hostPort, host::NetAddress& address, std::string& error,
                     NameLookUp lookUp);

}  // namespace shared
