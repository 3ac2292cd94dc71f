// The network of host.h in the browser: none yet. A page cannot open a UDP
// socket; its way to a peer (through the lobby, over WebRTC or a WebSocket)
// comes with online play in the browser, and until then every call says so.
#include "platform/host.h"

bool host::NetAvailable() {
    return false;
}

int32_t host::NetOpen(const NetAddress&, std::string& error) {
    error = "online play is not available in the browser yet";
    return -1;
}

host::NetAddress host::NetBound(int32_t) {
    return {};
}

bool host::NetSend(int32_t, const NetAddress&, const uint8_t*, int32_t) {
    return false;
}

bool host::NetReceive(int32_t, NetDatagram&) {
    return false;
}

void host::NetClose(int32_t) {}

void host::NetWait(int32_t, int32_t) {}

bool host::NetResolve(const std::string&, NetAddress&, std::string& error) {
    error = "online play is not available in the browser yet";
    return false;
}

std::vector<host::NetAddress> host::NetLocalAddresses() {
    return {};
}
