// Lobbies that share one directory of rooms: which process holds a room, so
// that any of them can point a joiner to it. The rooms (rooms.cpp) ask it
// through these calls; with none set, every room lives in its process alone.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "lobby/lobby_messages.h"
#include "platform/host.h"

struct LobbyDirectory {
    // Claims the code for this process; false when another process holds it
    // (a fresh code is drawn then).
    bool (*claim)(const char code[LobbyCodeLength]) = nullptr;
    // The lobby that holds the code, when it is another process, and its web
    // port (0: none); false when no other process holds it.
    bool (*find)(const char code[LobbyCodeLength], host::NetAddress& lobby,
                 int32_t& webPort) = nullptr;
    // This process let the room go.
    void (*release)(const char code[LobbyCodeLength]) = nullptr;
    // The rooms this process still holds, told every keepEveryMs (by the
    // sweep), so that the claims of a process that died run out by
    // themselves.
    void (*keep)(const std::vector<std::string>& codes) = nullptr;
    int64_t keepEveryMs = 30000;
};
