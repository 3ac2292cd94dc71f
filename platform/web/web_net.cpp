// The network of host.h in the browser: a page cannot open a UDP socket, so
// its one "socket" is its connection to the lobby that served the page,
// carrying the lobby's own datagrams, one per message. The lobby is the only
// address it reaches: a game goes through its relay (or, between two pages,
// a data channel the page sets up beneath it).
#include <emscripten.h>

#include "platform/host.h"

// The connection lives in the page (page_net.js): its messages wait in a
// queue there until the game reads them.
EM_JS(int, web_net_open, (), {
    Module.morvaskNet = Module.morvask.openNet();
    return Module.morvaskNet ? 1 : 0;
});
EM_JS(int, web_net_send, (const uint8_t* bytes, int size), {
    const net = Module.morvaskNet;
    return net && net.send(HEAPU8.slice(bytes, bytes + size)) ? 1 : 0;
});
// The next message's length, copied to `bytes` when it fits `limit`; -1 when
// none waits. A longer one is dropped whole.
EM_JS(int, web_net_receive, (uint8_t * bytes, int limit), {
    const message = Module.morvaskNet ? Module.morvaskNet.next() : null;
    if (!message)
        return -1;
    if (message.length <= limit)
        HEAPU8.set(message, bytes);
    return message.length;
});
EM_JS(void, web_net_close, (), {
    if (Module.morvaskNet)
        Module.morvaskNet.close();
    Module.morvaskNet = null;
});

namespace {

bool Opened = false;

// The lobby as the game names it: an address no real one shares.
host::NetAddress PageLobby() {
    host::NetAddress address;
    address.family = 4;
    address.bytes[0] = 127;
    address.bytes[3] = 1;
    address.port = 1;
    return address;
}

}  // namespace

bool host::NetAvailable() {
    return true;
}

int32_t host::NetOpen(const NetAddress&, std::string& error) {
    if (Opened) {
        error = "the page has one connection to the lobby, and it is open";
        return -1;
    }
    if (web_net_open() == 0) {
        error = "this browser cannot open a WebSocket to the lobby";
        return -1;
    }
    Opened = true;
    return 0;
}

host::NetAddress host::NetBound(int32_t) {
    return {};
}

// Only the lobby is reached; a datagram for anyone else (a greeting straight
// to the other player) is lost, as on a network that blocks it.
bool host::NetSend(int32_t socket, const NetAddress& to, const uint8_t* bytes, int32_t size) {
    if (!Opened || socket != 0 || size < 1 || size > NetDatagramMax)
        return false;
    if (!(to == PageLobby()))
        return true;
    return web_net_send(bytes, size) != 0;
}

bool host::NetReceive(int32_t socket, NetDatagram& datagram) {
    if (!Opened || socket != 0)
        return false;
    for (;;) {
        const int size = web_net_receive(datagram.bytes, NetDatagramMax);
        if (size < 0)
            return false;
        if (size == 0 || size > NetDatagramMax)
            continue;
        datagram.from = PageLobby();
        datagram.size = size;
        return true;
    }
}

void host::NetClose(int32_t socket) {
    if (!Opened || socket != 0)
        return;
    web_net_close();
    Opened = false;
}

// The browser runs meanwhile (the page's messages arrive only then).
void host::NetWait(int32_t, int32_t milliseconds) {
    emscripten_sleep(unsigned(milliseconds < 1 ? 1 : milliseconds > 1000 ? 1000 : milliseconds));
}

// The page's lobby is the one that served it, whatever the name given.
bool host::NetResolve(const std::string&, NetAddress& address, std::string&) {
    address = PageLobby();
    return true;
}

std::vector<host::NetAddress> host::NetLocalAddresses() {
    return {};
}
