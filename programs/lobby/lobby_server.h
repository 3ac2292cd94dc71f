// The lobby's record: its rooms, the feeds of their games, its settings,
// limits and counts, which the handlers of datagrams (rooms.h) change.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "lobby/lobby_messages.h"
#include "platform/host.h"
#include "programs/lobby/rate_limit.h"
#include "programs/lobby/room_directory.h"

struct LobbySeat {
    bool taken = false;
    host::NetAddress endpoint;  // as the lobby sees it: the public one
    uint64_t token = 0;
};

struct LobbyRoom {
    char code[LobbyCodeLength] = {};
    LobbySeat seats[2];
    int64_t madeMs = 0;
    int64_t heardMs = 0;     // when a seat last spoke
    uint32_t hostNonce = 0;  // of the request that made it, answered again when repeated
    std::string heldBy;      // the limits' key the room counts against
};

// The feed of one room's game, uploaded by its host (seat 0), as viewers
// read it.
struct LobbyGameFeed {
    std::vector<uint8_t> bytes;
    bool ended = false;  // whole: nothing more is taken
    // Who feeds it (seat 0's token and endpoint), so that its end is still
    // taken after the other seat closed the room.
    uint64_t token = 0;
    host::NetAddress feeder;
    // When it was last fed or its room last seen open; it goes
    // feedKeepMs later.
    int64_t keptMs = 0;
};

struct LobbySettings {
    int32_t maxRooms = 10000;
    // A room no seat has spoken in for this long is closed; no room lives
    // longer than a day in all.
    int64_t roomIdleMs = 60 * 1000;
    int64_t roomLifeMs = 24 * 60 * 60 * 1000LL;
    LobbyRates rates;
    // A game's feed (watch_feeds.h) holds at most feedMaxBytes (a replay
    // takes a few hundred KB for hours), all feeds together feedsMaxBytes;
    // a feed is kept this long after its room closed or it was last fed.
    int32_t feedMaxBytes = 1 << 20;
    int64_t feedsMaxBytes = int64_t(256) << 20;
    int64_t feedKeepMs = 5 * 60 * 1000;
};

struct LobbyCounts {
    int64_t received = 0, dropped = 0, refused = 0, roomsMade = 0, joined = 0, relayed = 0,
            expired = 0;
    // Joins sent on to the lobby of the shared directory that holds the room.
    int64_t sentOn = 0;
    // Pieces of feeds taken, and pieces sent to viewers.
    int64_t fed = 0, watched = 0;
};

struct LobbyOutgoing {
    host::NetAddress to;
    int32_t size = 0;
    uint8_t bytes[host::NetDatagramMax];
};

struct LobbyServer {
    LobbySettings settings;
    std::unordered_map<std::string, LobbyRoom> rooms;  // by code
    // The code of each room by the request that made it (its host's endpoint
    // and count), so that a repeated request is answered with the same room.
    std::unordered_map<std::string, std::string> requests;
    LobbyLimitTable limits;
    // The limits' key of each page's endpoint (programs/lobby/page_address.h):
    // its connection's address, so that a page gains nothing by opening
    // more connections.
    std::unordered_map<std::string, std::string> pageKeys;
    LobbyCounts counts;
    // The feeds of the games being watched, by code, and their bytes in all.
    std::unordered_map<std::string, LobbyGameFeed> feeds;
    int64_t feedBytes = 0;
    // The secure generator the codes and tokens are drawn from (the system's
    // in the program; a seeded one in some tests).
    void (*randomBytes)(uint8_t* bytes, size_t count) = nullptr;
    // The directory shared with other lobbies (none: the rooms are this
    // process's alone), and when it was last told the rooms still open.
    LobbyDirectory directory;
    int64_t directoryKeptMs = 0;
};
