// The lobby's HTTP side (Boost.Beast): it serves the web edition's folder on
// the same event loop as the rooms, GET and HEAD only, each address's
// requests limited, and lets pages reach the rooms over WebSocket.
#pragma once

#include <cstdint>
#include <string>

#include <boost/asio/io_context.hpp>

#include "programs/lobby/lobby_options.h"

struct WebCounts {
    int64_t requests = 0;
    int64_t served = 0;   // answered 200 or 304
    int64_t refused = 0;  // 4xx
    int64_t limited = 0;  // 429: too many from one address
};

// Listens on --bind and --web-port (0: any free one) and serves --web's
// folder, which must hold an index.html, and the pages' WebSocket at /lobby
// to the lobby's own pages and those of --origin; the port taken, or -1 with
// why in `error`.
int StartWebServer(boost::asio::io_context& io, const LobbyOptions& options, std::string& error);
const WebCounts& WebServerCounts();
// Closes the listening socket; call before the event loop is destroyed.
void StopWebServer();
