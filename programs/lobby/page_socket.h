// The pages' connections to the lobby: a WebSocket at /lobby on the web
// server's port, each binary message one lobby datagram each way, each
// connection one endpoint of the rooms (programs/lobby/page_address.h).
#pragma once

#include <cstdint>
#include <string>

#include <utility>  // Boost 1.74 misses it under C++20

#include <boost/beast/core/tcp_stream.hpp>
#include <boost/beast/http/empty_body.hpp>
#include <boost/beast/http/message.hpp>

#include "platform/host.h"

// Connections open at once from one address, and in all (some 7 KB each).
inline constexpr int32_t PageSocketsPerAddress = 8;
inline constexpr int32_t PageSocketsMax = 20000;
// Messages waiting to be sent to one page; a page that reads no more loses
// the rest, as a datagram would be lost.
inline constexpr int32_t PageQueueMax = 256;

struct PageCounts {
    int64_t opened = 0;     // connections the lobby took
    int64_t refused = 0;    // upgrades refused: the path, the origin, too many
    int64_t received = 0;   // messages from pages
    int64_t sent = 0;       // messages to pages
    int64_t dropped = 0;    // messages for a page that is gone or too far behind
    int64_t closedBad = 0;  // connections closed for a text, oversized or malformed message
};

// What the lobby does with the pages: told of each connection opened, each
// message, each connection closed (main.cpp).
struct PageHooks {
    void (*opened)(const host::NetAddress& page, const host::NetAddress& peer) = nullptr;
    void (*received)(const host::NetAddress& page, const uint8_t* bytes, int32_t size) = nullptr;
    void (*closed)(const host::NetAddress& page) = nullptr;
};
void SetPageHooks(const PageHooks& hooks);

// Whether one more connection from `address` (as the web server writes it)
// may open.
bool PageSocketAllowed(const std::string& address);
// Whether as many connections are open as may be.
bool PageSocketsFull();
// Takes over an HTTP connection whose request asked to upgrade at /lobby
// and was let in; `address` as above, `peer` its address for the limits.
void OpenPageSocket(boost::beast::tcp_stream stream,
                    const boost::beast::http::request<boost::beast::http::empty_body>& request,
                    const std::string& address, const host::NetAddress& peer);
// Queues one message for the page of `serial`; false (counted as dropped)
// when it is gone or too far behind.
bool SendToPage(uint64_t serial, const uint8_t* bytes, int32_t size);
PageCounts& PageSocketCounts();
