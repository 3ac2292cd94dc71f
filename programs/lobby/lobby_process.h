// morvask-lobby's process: the UDP socket, the rooms and, with --web, the
// pages' WebSocket, on one Boost.Asio event loop.
#pragma once

#include <utility>  // Boost 1.74 misses it under C++20

#include <boost/asio.hpp>
#include <vector>

#include "programs/lobby/lobby_options.h"
#include "programs/lobby/rooms.h"

// The receive buffer the lobby asks for (the kernel holds it to
// net.core.rmem_max).
inline constexpr int ReceiveBufferBytes = 4 << 20;

// What runs the lobby: the socket, the room table and the buffers of the
// datagram being read and the answers it drew.
struct LobbyProcess {
    boost::asio::io_context io;
    boost::asio::ip::udp::socket socket{io};
    boost::asio::steady_timer sweeper{io};
    boost::asio::signal_set signals{io, SIGINT, SIGTERM};
    LobbyServer lobby;
    // One byte over the largest datagram: a longer one fills it and is dropped.
    uint8_t buffer[host::NetDatagramMax + 1];
    boost::asio::ip::udp::endpoint sender;
    std::vector<LobbyOutgoing> out;
    int webPort = 0;  // with --web
};

// The one process's record (the pages' hooks reach it from Beast's side).
LobbyProcess& Process();

// Opens the lobby's socket (and the web side with --web) and says where it
// listens; false, said on standard error, when it cannot.
bool Listen(LobbyProcess& p, const LobbyOptions& options);
// With --redis: the rooms' directory shared, this lobby named in it by the
// address programs reach it at; false, said on standard error, when not.
bool ShareRooms(LobbyProcess& p, const LobbyOptions& options);
// Receives and sweeps until SIGINT or SIGTERM.
void RunLobby(LobbyProcess& p);
