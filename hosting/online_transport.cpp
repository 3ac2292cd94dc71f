// The datagrams of an online game on the host's socket, direct or relayed
// through the lobby that paired the two programs.
#include "hosting/online_transport.h"

#include <cstring>
#include <string>

bool OpenOnlineTransport(OnlineTransport& transport, int32_t port, std::string& error) {
    transport = OnlineTransport{};
    host::NetAddress any;
    any.family = 4;
    any.port = port;
    transport.socket = host::NetOpen(any, error);
    return transport.socket >= 0;
}

void CloseOnlineTransport(OnlineTransport& transport) {
    uint8_t goodbye[host::NetDatagramMax];
    if (transport.throughLobby && transport.socket >= 0) {
        const int32_t size = LobbyGoodbye(transport.lobby, goodbye);
        if (size > 0)
            host::NetSend(transport.socket, transport.lobby.lobby, goodbye, size);
    }
    if (transport.socket >= 0)
        host::NetClose(transport.socket);
    transport.socket = -1;
}

// Once paired through the lobby, the relay takes over when the direct path
// stayed silent.
static bool UseRelay(OnlineTransport& transport, int64_t nowUs) {
    if (!transport.throughLobby || transport.lobby.stage != LobbyPaired)
        return false;
    if (transport.relayOnly)
        return true;
    if (transport.heardDirect)
        return false;
    if (!transport.relayed && nowUs - transport.pairedUs >= RelayAfterUs)
        transport.relayed = true;
    return transport.relayed;
}

void SendToPeer(OnlineTransport& transport, const uint8_t* bytes, size_t size, int64_t nowUs) {
    if (!transport.peerKnown || size == 0 || size > size_t(LobbyPayloadMax))
        return;
    transport.bytesSent += int64_t(size);
    if (UseRelay(transport, nowUs)) {
        uint8_t wrapped[host::NetDatagramMax];
        const int32_t length = LobbyWrap(transport.lobby, bytes, int32_t(size), wrapped);
        if (length > 0)
            host::NetSend(transport.socket, transport.lobby.lobby, wrapped, length);
        return;
    }
    host::NetSend(transport.socket, transport.peer, bytes, int32_t(size));
}

// A lobby message: a pairing names the peer; a relayed datagram is the
// peer's (and says the other side relays: so does this one).
static bool TakeLobbyMessage(OnlineTransport& transport, const host::NetDatagram& datagram,
                             int64_t nowUs, uint8_t* bytes, size_t& size) {
    const LobbyStage before = transport.lobby.stage;
    int32_t payloadSize = 0;
    const LobbyTaken taken = LobbyTake(transport.lobby, datagram, bytes, payloadSize);
    if (transport.lobby.stage == LobbyPaired && before != LobbyPaired) {
        transport.peer = transport.lobby.peer;
        transport.peerKnown = true;
        transport.pairedUs = nowUs;
    }
    if (taken == LobbyNotOurs) {
        LobbyMessage m;
        if (ReadLobbyMessage(datagram.bytes, datagram.size, m))
            FeedTakeHeld(transport.feed, transport.lobby, m);
    }
    if (taken != LobbyDelivered)
        return false;
    transport.relayed = !transport.heardDirect;
    size = size_t(payloadSize);
    return true;
}

bool ReceiveFromPeer(OnlineTransport& transport, int64_t nowUs, uint8_t* bytes, size_t& size,
                     host::NetAddress& from) {
    host::NetDatagram datagram;
    while (host::NetReceive(transport.socket, datagram)) {
        if (transport.throughLobby && datagram.from == transport.lobby.lobby) {
            if (TakeLobbyMessage(transport, datagram, nowUs, bytes, size)) {
                from = transport.peer;
                return true;
            }
            continue;
        }
        // Anything else straight from the other program, once it is known;
        // before, the greeting that names it (the program checks it).
        if (transport.peerKnown && !(datagram.from == transport.peer))
            continue;
        if (transport.peerKnown && transport.throughLobby)
            transport.heardDirect = true;
        if (transport.relayOnly)
            continue;
        std::memcpy(bytes, datagram.bytes, size_t(datagram.size));
        size = size_t(datagram.size);
        from = datagram.from;
        return true;
    }
    return false;
}

void KeepLobby(OnlineTransport& transport, int64_t nowUs) {
    if (!transport.throughLobby)
        return;
    uint8_t out[host::NetDatagramMax];
    const int32_t size = LobbyDue(transport.lobby, nowUs / 1000, out);
    if (size > 0)
        host::NetSend(transport.socket, transport.lobby.lobby, out, size);
}

bool FeedsViewers(const OnlineTransport& transport) {
    return transport.throughLobby && transport.lobby.seat == 0 &&
           (transport.lobby.stage == LobbyHosting || transport.lobby.stage == LobbyPaired);
}

static void SendFeedPiece(OnlineTransport& transport, int64_t nowUs) {
    uint8_t out[host::NetDatagramMax];
    const int32_t size = FeedUpDue(transport.feed, transport.lobby, nowUs / 1000, out);
    if (size > 0)
        host::NetSend(transport.socket, transport.lobby.lobby, out, size);
}

void KeepFeed(OnlineTransport& transport, const std::string& soFar, int64_t nowUs) {
    if (!FeedsViewers(transport))
        return;
    FeedGrow(transport.feed, soFar);
    SendFeedPiece(transport, nowUs);
}

void EndFeed(OnlineTransport& transport, const std::string& whole) {
    if (!FeedsViewers(transport) || transport.feed.bytes.empty())
        return;
    FeedEnd(transport.feed, whole);
    const int64_t until = host::NetClockMicroseconds() + FeedEndWaitUs;
    while (transport.feed.ended && !FeedDelivered(transport.feed)) {
        const int64_t now = host::NetClockMicroseconds();
        if (now >= until)
            return;
        SendFeedPiece(transport, now);
        uint8_t bytes[host::NetDatagramMax];
        size_t size = 0;
        host::NetAddress from;
        while (ReceiveFromPeer(transport, now, bytes, size, from)) {
        }
        host::NetWait(transport.socket, 20);
    }
}
