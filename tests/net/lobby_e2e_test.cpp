// morvask-lobby as a real process on loopback, with two programs' sides over
// real sockets: a room made and joined, datagrams passed directly and
// through the relay, also with one side behind the impairment relay (a
// router with delay, loss and duplicates); garbage, forged, oversized and
// wrong-room datagrams that change nothing; rapid guessing refused.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "lobby/lobby_client.h"
#include "platform/host.h"
#include "tests/net/child_process.h"

namespace {

int64_t NowMs() {
    return TestNowMs();
}

// A program's side: its socket and its lobby client.
struct Side {
    int32_t socket = -1;
    LobbyClient client;
    std::vector<std::string> direct, relayed;
    // Behind the impairment relay, datagrams come from the relay's port
    // (a router would keep the sender's address): taken from anyone.
    bool anySource = false;
};

host::NetAddress Loopback(int32_t port) {
    host::NetAddress address;
    host::NetNumericAddress("127.0.0.1", port, address);
    return address;
}

// One step of a side: its due request sent, and what arrived sorted into
// the lobby's answers, relayed datagrams and direct ones from its peer.
void Step(Side& side) {
    uint8_t bytes[host::NetDatagramMax];
    const int32_t size = LobbyDue(side.client, NowMs(), bytes);
    if (size > 0)
        host::NetSend(side.socket, side.client.lobby, bytes, size);
    host::NetDatagram datagram;
    while (host::NetReceive(side.socket, datagram)) {
        uint8_t payload[LobbyPayloadMax];
        int32_t payloadSize = 0;
        const LobbyTaken taken = LobbyTake(side.client, datagram, payload, payloadSize);
        if (taken == LobbyDelivered)
            side.relayed.emplace_back(reinterpret_cast<char*>(payload), payloadSize);
        else if (taken == LobbyNotOurs && side.client.stage == LobbyPaired &&
                 (side.anySource || datagram.from == side.client.peer))
            side.direct.emplace_back(reinterpret_cast<char*>(datagram.bytes), datagram.size);
    }
}

// Steps both sides until `done` or a generous deadline.
template <typename Done>
bool StepUntil(Side& a, Side& b, Done done, int64_t limitMs = 20000) {
    const int64_t deadline = NowMs() + limitMs;
    while (NowMs() < deadline) {
        Step(a);
        Step(b);
        if (done())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return false;
}

void SendText(const Side& from, const host::NetAddress& to, const std::string& text) {
    host::NetSend(from.socket, to, reinterpret_cast<const uint8_t*>(text.data()),
                  static_cast<int32_t>(text.size()));
}

void Relay(const Side& from, const std::string& text) {
    uint8_t bytes[host::NetDatagramMax];
    const int32_t size = LobbyWrap(from.client, reinterpret_cast<const uint8_t*>(text.data()),
                                   static_cast<int32_t>(text.size()), bytes);
    host::NetSend(from.socket, from.client.lobby, bytes, size);
}

struct LobbyProcess : testing::Test {
    Child lobby, impair;
    host::NetAddress lobbyAt;
    Side host, guest;

    void SetUp() override {
        lobby = Spawn({MORVASK_LOBBY_PATH, "--bind", "127.0.0.1", "--port", "0"});
        const std::string prefix = "morvask-lobby: listening on 127.0.0.1:";
        ASSERT_EQ(lobby.firstLine.rfind(prefix, 0), 0u) << lobby.firstLine;
        lobbyAt = Loopback(std::stoi(lobby.firstLine.substr(prefix.size())));
        std::string error;
        host.socket = host::NetOpen(Loopback(0), error);
        guest.socket = host::NetOpen(Loopback(0), error);
        ASSERT_GE(host.socket, 0) << error;
        ASSERT_GE(guest.socket, 0) << error;
    }

    void TearDown() override {
        host::NetClose(host.socket);
        host::NetClose(guest.socket);
        Stop(impair);
        Stop(lobby);
    }

    // The guest reaches the lobby (and is reached) through the impairment
    // relay, as through a home router on a poor line.
    host::NetAddress BehindImpairment(const std::vector<std::string>& faults) {
        std::vector<std::string> arguments = {"/usr/bin/env",
                                              "python3",
                                              MORVASK_IMPAIR_RELAY,
                                              "--target",
                                              host::NetAddressText(lobbyAt),
                                              "--seconds",
                                              "120"};
        arguments.insert(arguments.end(), faults.begin(), faults.end());
        impair = Spawn(arguments);
        int32_t listen = 0, upstream = 0;
        EXPECT_EQ(std::sscanf(impair.firstLine.c_str(), "impair_relay: listen=%d upstream=%d",
                              &listen, &upstream),
                  2)
            << impair.firstLine;
        return Loopback(listen);
    }

    void Pair(const host::NetAddress& guestsLobby) {
        LobbyStartHosting(host.client, lobbyAt, 1);
        ASSERT_TRUE(StepUntil(host, guest, [&] { return host.client.stage == LobbyHosting; }));
        ASSERT_TRUE(
            LobbyStartJoining(guest.client, guestsLobby, LobbyCodeText(host.client.code), 2));
        ASSERT_TRUE(StepUntil(
            host, guest,
            [&] { return host.client.stage == LobbyPaired && guest.client.stage == LobbyPaired; }))
            << "host " << host.client.stage << ", guest " << guest.client.stage << " refusal "
            << guest.client.refusal;
    }
};

TEST_F(LobbyProcess, TwoSidesPairAndPassDatagramsDirectlyAndThroughTheRelay) {
    Pair(lobbyAt);
    EXPECT_EQ(host.client.peer, host::NetBound(guest.socket));
    EXPECT_EQ(guest.client.peer, host::NetBound(host.socket));
    SendText(host, host.client.peer, "direct to guest");
    SendText(guest, guest.client.peer, "direct to host");
    Relay(host, "relayed to guest");
    Relay(guest, "relayed to host");
    ASSERT_TRUE(StepUntil(host, guest, [&] {
        return host.direct.size() == 1 && guest.direct.size() == 1 && host.relayed.size() == 1 &&
               guest.relayed.size() == 1;
    }));
    EXPECT_EQ(guest.direct[0], "direct to guest");
    EXPECT_EQ(host.direct[0], "direct to host");
    EXPECT_EQ(guest.relayed[0], "relayed to guest");
    EXPECT_EQ(host.relayed[0], "relayed to host");
}

TEST_F(LobbyProcess, GarbageForgedOversizedAndWrongRoomDatagramsChangeNothing) {
    Pair(lobbyAt);
    std::string error;
    const int32_t stranger = host::NetOpen(Loopback(0), error);
    ASSERT_GE(stranger, 0);
    std::vector<uint8_t> junk(host::NetDatagramMax, 0x5A);
    for (int32_t size : {1, 5, 48, host::NetDatagramMax})
        host::NetSend(stranger, lobbyAt, junk.data(), size);
    // A relay with the room's code and a guessed token, and a goodbye too.
    LobbyClient forged = host.client;
    forged.token ^= 0xFFFF;
    uint8_t bytes[host::NetDatagramMax];
    const std::string text = "forged";
    host::NetSend(stranger, lobbyAt, bytes,
                  LobbyWrap(forged, reinterpret_cast<const uint8_t*>(text.data()), 6, bytes));
    host::NetSend(stranger, lobbyAt, bytes, LobbyGoodbye(forged, bytes));
    host::NetSend(host.socket, lobbyAt, bytes, LobbyGoodbye(forged, bytes));
    // A second room, and the first room's token with its code.
    Side other;
    other.socket = stranger;
    LobbyStartHosting(other.client, lobbyAt, 9);
    ASSERT_TRUE(StepUntil(other, host, [&] { return other.client.stage == LobbyHosting; }));
    LobbyClient crossed = host.client;
    std::memcpy(crossed.code, other.client.code, LobbyCodeLength);
    host::NetSend(host.socket, lobbyAt, bytes,
                  LobbyWrap(crossed, reinterpret_cast<const uint8_t*>(text.data()), 6, bytes));
    // Still one room with both seats: a relay passes, nothing forged did.
    Relay(host, "after");
    ASSERT_TRUE(StepUntil(host, guest, [&] { return !guest.relayed.empty(); }));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    Step(guest);
    Step(other);
    ASSERT_EQ(guest.relayed.size(), 1u);
    EXPECT_EQ(guest.relayed[0], "after");
    EXPECT_TRUE(other.relayed.empty());
    EXPECT_EQ(guest.client.stage, LobbyPaired);
    host::NetClose(stranger);
}

TEST_F(LobbyProcess, RapidGuessingIsRefused) {
    std::string error;
    int32_t tooFast = 0, noRoom = 0;
    for (int i = 0; i < 15; ++i) {
        Side guesser;
        guesser.socket = host::NetOpen(Loopback(0), error);
        ASSERT_TRUE(
            LobbyStartJoining(guesser.client, lobbyAt, "ABCDEFGHJK", static_cast<uint32_t>(i)));
        Side idle;
        StepUntil(guesser, idle, [&] { return guesser.client.stage == LobbyFailed; });
        tooFast += guesser.client.refusal == LobbyTooFast;
        noRoom += guesser.client.refusal == LobbyNoRoom;
        host::NetClose(guesser.socket);
    }
    EXPECT_GE(tooFast, 9);
    EXPECT_LE(noRoom, 6);
}

TEST_F(LobbyProcess, PairingAndBothPathsHoldThroughAnImpairedLine) {
    const host::NetAddress viaRelay =
        BehindImpairment({"--delay", "60", "--jitter", "20", "--loss", "10", "--duplicate", "5",
                          "--reorder", "5", "--seed", "4"});
    Pair(viaRelay);
    // The lobby saw the guest at the impairment relay's upstream port, its
    // public endpoint, which the host reaches directly.
    EXPECT_NE(host.client.peer, host::NetBound(guest.socket));
    guest.anySource = true;
    for (int i = 0; i < 100; ++i) {
        const std::string number = std::to_string(i);
        SendText(host, host.client.peer, std::string(1, 'd').append(number));
        Relay(host, std::string(1, 'r').append(number));
    }
    StepUntil(
        host, guest, [&] { return guest.direct.size() >= 100 && guest.relayed.size() >= 100; },
        5000);
    // 10% lost, 5% twice: generous bounds.
    EXPECT_GE(guest.direct.size(), 60u);
    EXPECT_LE(guest.direct.size(), 130u);
    EXPECT_GE(guest.relayed.size(), 60u);
}

}  // namespace
