// Where an online game's datagrams go: straight to the other program, or,
// when a lobby paired the two and no direct datagram came through, wrapped
// for the lobby's relay. The lobby's own messages are taken here too.
#pragma once

#include <cstdint>
#include <string>

#include "lobby/game_feed.h"
#include "lobby/lobby_client.h"
#include "platform/host.h"

// Through a lobby, the direct path counts as shut when nothing came straight
// from the other this long after pairing; the relay carries the game then.
inline constexpr int64_t RelayAfterUs = 2000000;

struct OnlineTransport {
    int32_t socket = -1;
    // The other program's address: given (--join), learnt from its first
    // greeting (--host), or told by the lobby.
    host::NetAddress peer;
    bool peerKnown = false;
    bool throughLobby = false;
    LobbyClient lobby;
    int64_t pairedUs = 0;
    bool heardDirect = false;
    bool relayed = false;
    // The relay from the start, whatever the direct path does.
    bool relayOnly = false;
    int64_t bytesSent = 0;
    // The game's feed for viewers, which the host of a room uploads.
    FeedUpload feed;
};
// How long the end of the feed may hold up the close of the game.
inline constexpr int64_t FeedEndWaitUs = 3000000;

// Opens the socket on `port` (0: any free one) of every address; false with
// why.
bool OpenOnlineTransport(OnlineTransport& transport, int32_t port, std::string& error);
void CloseOnlineTransport(OnlineTransport& transport);

// Sends one datagram of the game to the other (nothing while its address is
// unknown).
void SendToPeer(OnlineTransport& transport, const uint8_t* bytes, size_t size, int64_t nowUs);
// The next datagram of the game that arrived, into `bytes` (room for
// host::NetDatagramMax) with its sender; the lobby's messages are taken on
// the way (a pairing, a relayed datagram). False when none waits.
bool ReceiveFromPeer(OnlineTransport& transport, int64_t nowUs, uint8_t* bytes, size_t& size,
                     host::NetAddress& from);
// The lobby's requests that are due (asking, polling, keeping the room).
void KeepLobby(OnlineTransport& transport, int64_t nowUs);

// Whether this side feeds the game to the lobby's viewers: the host of a
// room made there.
bool FeedsViewers(const OnlineTransport& transport);
// The feed as recorded so far, and its piece when one is due.
void KeepFeed(OnlineTransport& transport, const std::string& soFar, int64_t nowUs);
// The whole replay as the feed's end, sent until the lobby holds it (or
// FeedEndWaitUs passed); the other's datagrams meanwhile are dropped.
void EndFeed(OnlineTransport& transport, const std::string& whole);
