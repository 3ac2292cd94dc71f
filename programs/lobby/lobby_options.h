// morvask-lobby's command line: its options, their defaults and its help.
#pragma once

#include <string>
#include <vector>

#include "platform/host.h"

struct LobbyOptions {
    int port = 41700;
    std::string bind = "0.0.0.0";
    int maxRooms = 10000;
    std::string webRoot;
    int webPort = 8000;
    // Pages of other sites that may reach the rooms (--origin), as
    // WebOriginOfText writes them.
    std::vector<std::string> origins;
    // The reverse proxy whose X-Real-IP names the visitor (--real-ip-from);
    // family 0 without.
    host::NetAddress realIpFrom;
    // The Redis several lobbies share their rooms through (--redis), and the
    // address programs reach this lobby at (--public; family 0: the one it
    // listens on).
    std::string redis;
    host::NetAddress publicAddress;
};

// Reads the options into `options`; -1 when the lobby is to run, else the
// exit code (0 after --help, 2 after a bad option, said on standard error).
int ReadLobbyOptions(int argc, char** argv, LobbyOptions& options);
