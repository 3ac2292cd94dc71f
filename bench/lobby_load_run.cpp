// The load test's rooms opened through the lobby and its datagrams relayed:
// one thread, one epoll over every seat's socket, sends paced by the clock.
#include "bench/lobby_load_run.h"

#include <sys/epoll.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>

#include "bench/lobby_load_proc.h"
#include "lobby/lobby_messages.h"

namespace {

constexpr int32_t Window = 100;  // rooms being opened at once
constexpr int64_t AskAgainNs = 300 * 1000000LL;
constexpr int64_t OpenForNs = 30 * 1000000000LL;
constexpr int64_t DrainNs = 10 * 1000000000LL;
constexpr int64_t ProbeEveryNs = 200 * 1000000LL;
constexpr int64_t LateNs = 1000000;
constexpr int32_t Batch = 16;
constexpr uint32_t ProbesMax = 50;
// A relayed payload: room, side, sequence number, send time, then bytes
// that follow from the sequence number, so that a changed one shows.
constexpr int32_t PayloadHead = 4 + 1 + 4 + 8;

LobbyMessage scratch;  // one message written or read at a time
uint8_t outBytes[host::NetDatagramMax];

// The sends each seat makes while relaying; probes are numbered after them.
uint32_t Scheduled(const LoadRun& run) {
    return static_cast<uint32_t>(run.options.rate * run.options.seconds);
}

uint8_t Filler(uint32_t seq, int32_t at) {
    return static_cast<uint8_t>(seq * 7 + static_cast<uint32_t>(at));
}

void SendFrom(LoadRun& run, int32_t k, const LobbyMessage& m) {
    const int32_t size = WriteLobbyMessage(m, outBytes);
    if (size <= 0 || ::send(run.seats[static_cast<size_t>(k)].fd, outBytes,
                            static_cast<size_t>(size), MSG_DONTWAIT) != size)
        ++run.result.sendFailures;
}

void Ask(LoadRun& run, int32_t room, int64_t now) {
    LoadRoom& r = run.rooms[static_cast<size_t>(room)];
    scratch = LobbyMessage{};
    scratch.kind = r.made ? LobbyJoinRoom : LobbyHostRoom;
    scratch.nonce = static_cast<uint32_t>(room + 1);
    std::memcpy(scratch.code, r.code, LobbyCodeLength);
    const int32_t failuresBefore = static_cast<int32_t>(run.result.sendFailures);
    SendFrom(run, 2 * room + (r.made ? 1 : 0), scratch);
    // A send the kernel refused during opening is asked again, not lost.
    run.result.sendFailures = failuresBefore;
    r.askedNs = now;
    ++r.asks;
}

// An answer while the rooms are being opened.
void Opening(LoadRun& run, int32_t k, const LobbyMessage& m, int64_t now) {
    const int32_t room = k / 2;
    LoadRoom& r = run.rooms[static_cast<size_t>(room)];
    LoadSeat& seat = run.seats[static_cast<size_t>(k)];
    if (m.kind == LobbyRoomMade && k % 2 == 0 && !r.made) {
        std::memcpy(r.code, m.code, LobbyCodeLength);
        seat.token = m.token;
        r.made = true;
        Ask(run, room, now);
    } else if (m.kind == LobbyPeerFound && k % 2 == 1 && !r.joined) {
        seat.token = m.token;
        r.joined = true;
    } else if (m.kind == LobbyRefused && !r.joined) {
        r.failed = true;
    }
}

void Arrived(LoadRun& run, int32_t k, int64_t delayNs) {
    LoadResult& result = run.result;
    const int64_t us = std::max<int64_t>(0, delayNs / 1000);
    if (us < LoadFineUs)
        ++run.fineUs[static_cast<size_t>(us)];
    else
        ++run.coarseMs[static_cast<size_t>(std::min<int64_t>(us / 1000, LoadCoarseMs - 1))];
    result.maxDelayUs = std::max(result.maxDelayUs, us);
    ++result.delays;
    ++run.seats[static_cast<size_t>(k)].received;
}

// A relayed datagram at seat k: checked to be the other seat's, whole, and
// counted once.
void Relayed(LoadRun& run, int32_t k, const LobbyMessage& m, int64_t arrivedNs) {
    uint32_t room = 0, seq = 0;
    int64_t sentNs = 0;
    const uint8_t* p = m.payload;
    if (m.payloadSize != run.options.payload) {
        ++run.result.corrupt;
        return;
    }
    std::memcpy(&room, p, 4);
    std::memcpy(&seq, p + 5, 4);
    std::memcpy(&sentNs, p + 9, 8);
    if (room != static_cast<uint32_t>(k / 2) || p[4] != 1 - k % 2) {
        ++run.result.misdelivered;
        return;
    }
    LoadSeat& seat = run.seats[static_cast<size_t>(k)];
    bool whole = seq < seat.heard.size();
    for (int32_t at = PayloadHead; whole && at < m.payloadSize; ++at)
        whole = p[at] == Filler(seq, at);
    if (!whole) {
        ++run.result.corrupt;
        return;
    }
    if (seat.heard[seq] != 0) {
        ++seat.duplicates;
        return;
    }
    seat.heard[seq] = 1;
    if (seq >= Scheduled(run)) {
        seat.probeHeard = true;
        ++run.result.probesDelivered;
    } else {
        Arrived(run, k, arrivedNs - sentNs);
    }
}

int64_t StampOf(msghdr& header) {
    for (cmsghdr* c = CMSG_FIRSTHDR(&header); c; c = CMSG_NXTHDR(&header, c))
        if (c->cmsg_level == SOL_SOCKET && c->cmsg_type == SCM_TIMESTAMPNS) {
            timespec stamp{};
            std::memcpy(&stamp, CMSG_DATA(c), sizeof stamp);
            return stamp.tv_sec * 1000000000LL + stamp.tv_nsec;
        }
    return LoadClockNs();
}

void Handle(LoadRun& run, int32_t k, const uint8_t* bytes, int32_t size, int64_t stampNs) {
    if (!ReadLobbyMessage(bytes, size, scratch)) {
        ++run.result.corrupt;
        return;
    }
    LoadRoom& room = run.rooms[static_cast<size_t>(k / 2)];
    if (!run.relaying)
        Opening(run, k, scratch, LoadClockNs());
    else if (scratch.kind == LobbyRelayDown)
        Relayed(run, k, scratch, stampNs);
    else if (scratch.kind == LobbyRefused)
        room.refused = true;
    else
        ++run.result.otherAnswers;  // a late answer to a repeated request
}

// Reads what waits at seat k's socket, a batch per call.
void ReadSeat(LoadRun& run, int32_t k) {
    static uint8_t buffers[Batch][host::NetDatagramMax + 1];
    static char controls[Batch][CMSG_SPACE(sizeof(timespec)) + 64];
    static mmsghdr headers[Batch];
    static iovec vectors[Batch];
    for (int32_t i = 0; i < Batch; ++i) {
        vectors[i] = iovec{buffers[i], sizeof buffers[i]};
        headers[i] = mmsghdr{};
        headers[i].msg_hdr.msg_iov = &vectors[i];
        headers[i].msg_hdr.msg_iovlen = 1;
        headers[i].msg_hdr.msg_control = controls[i];
        headers[i].msg_hdr.msg_controllen = sizeof controls[i];
    }
    const int got =
        ::recvmmsg(run.seats[static_cast<size_t>(k)].fd, headers, Batch, MSG_DONTWAIT, nullptr);
    for (int i = 0; i < got; ++i)
        Handle(run, k, buffers[i], static_cast<int32_t>(headers[i].msg_len),
               StampOf(headers[i].msg_hdr));
}

// Waits up to `waitNs` for arrivals and reads them.
void Receive(LoadRun& run, int64_t waitNs) {
    static epoll_event events[256];
    const timespec wait{waitNs / 1000000000LL, waitNs % 1000000000LL};
    const int ready = ::epoll_pwait2(run.epoll, events, 256, &wait, nullptr);
    for (int i = 0; i < ready; ++i)
        ReadSeat(run, static_cast<int32_t>(events[i].data.u32));
}

bool RoomOpen(const LoadRoom& r) {
    return r.joined && !r.failed;
}

// Seat k's datagram `seq` to the other seat; false when the kernel refused it.
bool SendRelayed(LoadRun& run, int32_t k, uint32_t seq) {
    LoadSeat& seat = run.seats[static_cast<size_t>(k)];
    scratch.kind = LobbyRelayUp;
    std::memcpy(scratch.code, run.rooms[static_cast<size_t>(k / 2)].code, LobbyCodeLength);
    scratch.token = seat.token;
    scratch.payloadSize = run.options.payload;
    const uint32_t room = static_cast<uint32_t>(k / 2);
    std::memcpy(scratch.payload, &room, 4);
    scratch.payload[4] = static_cast<uint8_t>(k % 2);
    std::memcpy(scratch.payload + 5, &seq, 4);
    for (int32_t at = PayloadHead; at < run.options.payload; ++at)
        scratch.payload[at] = Filler(seq, at);
    const int64_t now = LoadClockNs();
    std::memcpy(scratch.payload + 9, &now, 8);
    const int64_t failures = run.result.sendFailures;
    SendFrom(run, k, scratch);
    return run.result.sendFailures == failures;
}

// A send more than LateNs late is skipped, and counted: a test that fell
// behind (its CPU taken by others) would otherwise catch up in one burst
// that the lobby's socket buffer (256 such datagrams by default) cannot
// hold, and blame the lobby; players' programs do not stall together.
void SendScheduled(LoadRun& run, int32_t k, bool late) {
    LoadSeat& seat = run.seats[static_cast<size_t>(k)];
    const uint32_t seq = seat.scheduled++;
    if (!RoomOpen(run.rooms[static_cast<size_t>(k / 2)]))
        return;
    if (late)
        ++run.result.skipped;
    else if (SendRelayed(run, k, seq))
        ++seat.sent;
}

int64_t Accounted(const LoadRun& run) {
    int64_t delivered = 0;
    for (const LoadSeat& seat : run.seats)
        delivered += seat.received;
    return delivered + SocketDrops(run);
}

int64_t SentSoFar(const LoadRun& run) {
    int64_t sent = 0;
    for (const LoadSeat& seat : run.seats)
        sent += seat.sent;
    return sent;
}

// After the last send: until every datagram arrived or was dropped where it
// is counted, so that a lobby that fell behind is waited for.
void Drain(LoadRun& run) {
    const int64_t sent = SentSoFar(run);
    const int64_t end = LoadClockNs() + DrainNs;
    int64_t checked = 0;
    while (LoadClockNs() < end) {
        Receive(run, 1000000);
        if (LoadClockNs() - checked < 100 * 1000000LL)
            continue;
        checked = LoadClockNs();
        if (Accounted(run) >= sent)
            break;
    }
    for (size_t k = 0; k < run.seats.size(); ++k)
        ReadSeat(run, static_cast<int32_t>(k));
}

}  // namespace

int64_t LoadClockNs() {
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    return now.tv_sec * 1000000000LL + now.tv_nsec;
}

void OpenRooms(LoadRun& run) {
    const int64_t start = LoadClockNs();
    const int32_t count = run.options.rooms;
    int32_t next = 0, done = 0;
    while (done < count && LoadClockNs() - start < OpenForNs) {
        const int64_t now = LoadClockNs();
        done = 0;
        int32_t pending = 0;
        for (int32_t room = 0; room < next; ++room) {
            const LoadRoom& r = run.rooms[static_cast<size_t>(room)];
            if (r.joined || r.failed)
                ++done;
            else if (++pending, now - r.askedNs > AskAgainNs)
                Ask(run, room, now);
        }
        for (; next < count && pending < Window; ++next, ++pending)
            Ask(run, next, now);
        Receive(run, 1000000);
    }
    for (LoadRoom& r : run.rooms) {
        r.failed = r.failed || !r.joined;
        run.result.roomsOpened += RoomOpen(r) ? 1 : 0;
    }
    run.result.setupSeconds = static_cast<double>(LoadClockNs() - start) / 1e9;
}

void RelayFor(LoadRun& run) {
    run.relaying = true;
    const int64_t seats = static_cast<int64_t>(run.seats.size());
    const int64_t periodNs = 1000000000LL / run.options.rate;
    const int64_t total = seats * run.options.rate * run.options.seconds;
    const int64_t start = LoadClockNs();
    int64_t next = 0;  // the next send of all, in the order they fall due
    while (next < total) {
        const int64_t now = LoadClockNs();
        const int64_t firstDue = start + next * periodNs / seats;
        if (firstDue <= now)
            run.result.maxLagUs = std::max(run.result.maxLagUs, (now - firstDue) / 1000);
        for (; next < total && start + next * periodNs / seats <= now; ++next)
            SendScheduled(run, static_cast<int32_t>(next % seats),
                          now - (start + next * periodNs / seats) > LateNs);
        // Woken at least every 200 us: bursts stay small however slow the arrivals.
        Receive(run, 200000);
    }
    Drain(run);
}

void ProbeRooms(LoadRun& run) {
    const int64_t end = LoadClockNs() + DrainNs;
    bool waiting = true;
    while (waiting && LoadClockNs() < end) {
        waiting = false;
        for (size_t k = 0; k < run.seats.size(); ++k) {
            LoadSeat& seat = run.seats[k];
            const bool open = RoomOpen(run.rooms[k / 2]) && !run.rooms[k / 2].refused;
            if (!open || run.seats[k ^ 1].probeHeard || seat.probesSent >= ProbesMax)
                continue;
            waiting = true;
            const uint32_t seq = Scheduled(run) + seat.probesSent;
            if (SendRelayed(run, static_cast<int32_t>(k), seq))
                ++run.result.probesSent;
            // A few at a time, so that the probes do not overflow the lobby's socket.
            if (++seat.probesSent, k % 64 == 63)
                Receive(run, 1000000);
        }
        const int64_t until = LoadClockNs() + ProbeEveryNs;
        while (LoadClockNs() < until)
            Receive(run, std::max<int64_t>(0, until - LoadClockNs()));
    }
}

int64_t LobbySocketDrops(int32_t lobbyPort) {
    const uint8_t loopback[4] = {127, 0, 0, 1}, all[4] = {255, 255, 255, 255};
    uint32_t address = 0, mask = 0;
    std::memcpy(&address, loopback, 4);
    std::memcpy(&mask, all, 4);
    return UdpSocketDrops(address, mask, lobbyPort);
}

int64_t SeatSocketDrops() {
    const uint8_t net[4] = {127, LoadSeatNet, 0, 0}, top[4] = {255, 255, 0, 0};
    uint32_t address = 0, mask = 0;
    std::memcpy(&address, net, 4);
    std::memcpy(&mask, top, 4);
    return UdpSocketDrops(address, mask, 0);
}

int64_t SocketDrops(const LoadRun& run) {
    return LobbySocketDrops(run.lobbyPort) + SeatSocketDrops() - run.dropsAtStart;
}

void CountLosses(LoadRun& run) {
    LoadResult& r = run.result;
    const uint32_t lastSecond = static_cast<uint32_t>(run.options.rate);
    for (size_t room = 0; room < run.rooms.size(); ++room) {
        const LoadRoom& lr = run.rooms[room];
        bool stopped = false;  // a way of which no probe arrived
        int64_t lost = 0;
        for (size_t side = 0; side < 2; ++side) {
            const LoadSeat& to = run.seats[2 * room + side];
            const LoadSeat& from = run.seats[2 * room + (1 - side)];
            r.sent += from.sent;
            r.delivered += to.received;
            r.duplicates += to.duplicates;
            lost += static_cast<int64_t>(from.sent) - to.received;
            const uint32_t end = std::min<uint32_t>(from.scheduled, to.heard.size());
            const uint32_t begin = end > lastSecond ? end - lastSecond : 0;
            const bool stalled = std::none_of(to.heard.begin() + begin, to.heard.begin() + end,
                                              [](uint8_t h) { return h != 0; });
            r.stalledWays += RoomOpen(lr) && stalled ? 1 : 0;
            stopped = stopped || !to.probeHeard;
        }
        r.lost += lost;
        r.roomsWithLoss += lost > 0 ? 1 : 0;
        r.roomsLost += (!RoomOpen(lr) || lr.refused || stopped) ? 1 : 0;
    }
}
