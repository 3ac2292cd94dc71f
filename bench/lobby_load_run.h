// The load test's rooms and seats: opening the rooms through the lobby,
// relaying at a steady rate between their seats, and what it measured.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The seats' loopback addresses are 127.<this>.x.y.
inline constexpr uint8_t LoadSeatNet = 20;
inline constexpr int32_t LoadMaxRooms = 250 * 250 / 2;
// Delays are kept per microsecond up to this, then per millisecond.
inline constexpr int32_t LoadFineUs = 100000;
inline constexpr int32_t LoadCoarseMs = 120000;

struct LoadOptions {
    int32_t rooms = 1000, rate = 100, seconds = 60, payload = 80;
    std::string lobby;  // the morvask-lobby to start, or
    int32_t port = 0;   // the port of one listening on 127.0.0.1
    int32_t pid = 0;    // and its process
    bool check = false;
};

struct LoadSeat {
    int fd = -1;
    uint64_t token = 0;
    uint32_t scheduled = 0;  // sends due so far: the next one's sequence number
    uint32_t sent = 0;       // of them, taken by the kernel
    // What arrived from the other seat: a byte per sequence number.
    std::vector<uint8_t> heard;
    uint32_t received = 0, duplicates = 0;
    uint32_t probesSent = 0;
    bool probeHeard = false;  // a probe from the other seat arrived after the run
};

struct LoadRoom {
    char code[10] = {};
    bool made = false, joined = false, failed = false;
    bool refused = false;  // refused or told it has no room while relaying
    int32_t asks = 0;
    int64_t askedNs = 0;
};

struct LoadResult {
    int32_t roomsOpened = 0, roomsLost = 0, roomsWithLoss = 0;
    int64_t skipped = 0;  // sends not made: the test was over 1 ms late
    int64_t sent = 0, delivered = 0, lost = 0, duplicates = 0, sendFailures = 0;
    int64_t misdelivered = 0, corrupt = 0, otherAnswers = 0;
    int64_t probesSent = 0, probesDelivered = 0;
    int32_t stalledWays = 0;  // ways of a room of which nothing sent in the last second arrived
    int64_t delays = 0, maxDelayUs = 0, maxLagUs = 0;
    double machineBusyCores = -1, softirqCores = -1, otherCores = -1;  // while relaying
    double lobbySystemSeconds = 0;  // of its CPU time, in the kernel
    double lobbyWaitSeconds = -1;   // ready to run, waiting for a core
    double setupSeconds = 0, wallSeconds = 0, lobbyCpuSeconds = -1, ownCpuSeconds = 0;
    int64_t lobbyPeakKb = -1, lobbyRssKb = -1;
    int64_t lobbySocketDrops = 0, seatSocketDrops = 0, lobbyDropped = -1, lobbyRelayed = -1;
    int64_t probeSocketDrops = 0;  // at either socket, after the run
    std::string loadBefore;
};

struct LoadRun {
    LoadOptions options;
    std::vector<LoadRoom> rooms;
    std::vector<LoadSeat> seats;  // room r's host is 2r, its guest 2r + 1
    int epoll = -1;
    bool relaying = false;
    // Counted so far as dropped at sockets: the lobby's (its port) and the
    // seats', since the relay started.
    int32_t lobbyPort = 0;
    int64_t dropsAtStart = 0;
    std::vector<uint32_t> fineUs = std::vector<uint32_t>(LoadFineUs);
    std::vector<uint32_t> coarseMs = std::vector<uint32_t>(LoadCoarseMs);
    LoadResult result;
};

// The realtime clock in nanoseconds: the kernel stamps arrivals by it.
int64_t LoadClockNs();
// Makes every room (the host asks, the guest joins by the code), asking
// again what is not answered; a room refused or unanswered after 30 s fails.
void OpenRooms(LoadRun& run);
// Every seat of an open room sends options.rate datagrams a second for
// options.seconds, the seats' sends spread evenly over each period; then
// until every datagram sent arrived or was counted as dropped (10 s at most).
void RelayFor(LoadRun& run);
// Whether each room still relays, after the run: every seat sends a probe
// every 200 ms until one from the other seat has arrived (10 s at most).
void ProbeRooms(LoadRun& run);
// Datagrams lost, and rooms lost: failed, refused while relaying, or one
// way of which no probe arrived after the run.
void CountLosses(LoadRun& run);
// The datagrams dropped at the lobby's socket and the seats' since the start.
int64_t SocketDrops(const LoadRun& run);
int64_t LobbySocketDrops(int32_t lobbyPort);
int64_t SeatSocketDrops();
void PrintLoadResult(const LoadRun& run);
// Every room relayed to the end, nothing arrived that was not sent or not
// as sent, and every datagram sent was delivered or counted as dropped (at
// the lobby's socket, by the lobby, at a seat's socket).
bool LoadChecksPass(const LoadRun& run);
