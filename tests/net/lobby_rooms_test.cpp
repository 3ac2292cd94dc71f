// The lobby's rooms driven in one process with the programs' side of it:
// a room made and joined, both seats told each other's endpoint, the relay
// between exactly those two, and everything else (garbage, forged tokens,
// wrong rooms, strangers, guessing) changing nothing.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "lobby/lobby_client.h"
#include "programs/lobby/rooms.h"
#include "tests/net/lobby_test_support.h"

namespace {

struct Lobby : LobbyDriven {
    const host::NetAddress lobbyAt = At("198.51.100.1", 41700);
    const host::NetAddress hostAt = At("203.0.113.10", 5000);
    const host::NetAddress guestAt = At("192.0.2.20", 6000);

    using LobbyDriven::Deliver;
    void Deliver(const host::NetAddress& from, const std::vector<uint8_t>& bytes) {
        Deliver(from, bytes.data(), static_cast<int32_t>(bytes.size()));
    }

    // Sends what the client has due and hands every answer addressed to
    // `at` back to it; the answers for others stay in `out`.
    void Exchange(LobbyClient& client, const host::NetAddress& at) {
        uint8_t bytes[host::NetDatagramMax];
        const int32_t size = LobbyDue(client, now, bytes);
        ASSERT_GT(size, 0);
        Deliver(at, bytes, size);
        for (const LobbyOutgoing& o : out)
            if (o.to == at)
                Hand(client, o);
    }

    LobbyTaken Hand(LobbyClient& client, const LobbyOutgoing& o) {
        host::NetDatagram datagram;
        datagram.from = lobbyAt;
        datagram.size = o.size;
        std::memcpy(datagram.bytes, o.bytes, static_cast<size_t>(o.size));
        uint8_t payload[LobbyPayloadMax];
        int32_t payloadSize = 0;
        return LobbyTake(client, datagram, payload, payloadSize);
    }

    // A hosted room joined: both clients paired.
    void Pair(LobbyClient& host, LobbyClient& guest) {
        LobbyStartHosting(host, lobbyAt, 11);
        Exchange(host, hostAt);
        ASSERT_EQ(host.stage, LobbyHosting);
        ASSERT_TRUE(LobbyStartJoining(guest, lobbyAt, LobbyCodeText(host.code), 22));
        Exchange(guest, guestAt);
        ASSERT_EQ(guest.stage, LobbyPaired);
        // The host is told at once (and would learn it at its next poll).
        for (const LobbyOutgoing& o : out)
            if (o.to == hostAt)
                Hand(host, o);
        ASSERT_EQ(host.stage, LobbyPaired);
    }

    std::vector<uint8_t> Wrapped(const LobbyClient& client, const char* text) {
        std::vector<uint8_t> bytes(host::NetDatagramMax);
        bytes.resize(
            static_cast<size_t>(LobbyWrap(client, reinterpret_cast<const uint8_t*>(text),
                                          static_cast<int32_t>(strlen(text)), bytes.data())));
        return bytes;
    }
};

TEST_F(Lobby, ARoomIsMadeJoinedAndBothSeatsLearnTheOthersPublicEndpoint) {
    LobbyClient host, guest;
    Pair(host, guest);
    EXPECT_EQ(host.peer, guestAt);
    EXPECT_EQ(guest.peer, hostAt);
    EXPECT_EQ(host.seat, 0);
    EXPECT_EQ(guest.seat, 1);
    EXPECT_NE(host.token, guest.token);
    EXPECT_EQ(std::memcmp(host.code, guest.code, LobbyCodeLength), 0);
    EXPECT_EQ(lobby.counts.roomsMade, 1);
    EXPECT_EQ(lobby.counts.joined, 1);
}

TEST_F(Lobby, CodesAreOfTheAlphabetAndDiffer) {
    LobbyClient a, b;
    LobbyStartHosting(a, lobbyAt, 1);
    Exchange(a, hostAt);
    LobbyStartHosting(b, lobbyAt, 2);
    Exchange(b, hostAt);
    ASSERT_EQ(a.stage, LobbyHosting);
    ASSERT_EQ(b.stage, LobbyHosting);
    EXPECT_NE(std::string(a.code, LobbyCodeLength), std::string(b.code, LobbyCodeLength));
    char read[LobbyCodeLength];
    EXPECT_TRUE(LobbyCodeOfText(std::string(a.code, LobbyCodeLength), read));
}

TEST_F(Lobby, RepeatedRequestsAreAnsweredWithTheSameRoomAndSeat) {
    LobbyClient host, guest;
    LobbyStartHosting(host, lobbyAt, 5);
    uint8_t bytes[host::NetDatagramMax];
    const int32_t size = LobbyDue(host, now, bytes);
    Deliver(hostAt, bytes, size);
    Deliver(hostAt, bytes, size);  // the first answer was lost
    ASSERT_EQ(out.size(), 1u);
    Hand(host, out[0]);
    EXPECT_EQ(lobby.rooms.size(), 1u);
    ASSERT_TRUE(LobbyStartJoining(guest, lobbyAt, std::string(host.code, LobbyCodeLength), 6));
    const int32_t join = LobbyDue(guest, now, bytes);
    Deliver(guestAt, bytes, join);
    // However often it comes again, past the attempts an address has.
    for (int i = 0; i < 10; ++i) {
        Deliver(guestAt, bytes, join);
        ASSERT_EQ(out.size(), 1u);
    }
    EXPECT_EQ(Hand(guest, out[0]), LobbyUpdated);
    EXPECT_EQ(guest.stage, LobbyPaired);
    EXPECT_EQ(lobby.counts.joined, 1);
}

TEST_F(Lobby, TheRelayCarriesBetweenTheTwoSeatsOfTheRoomOnly) {
    LobbyClient host, guest;
    Pair(host, guest);
    Deliver(hostAt, Wrapped(host, "tick 1"));
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].to, guestAt);
    host::NetDatagram datagram;
    datagram.from = lobbyAt;
    datagram.size = out[0].size;
    std::memcpy(datagram.bytes, out[0].bytes, static_cast<size_t>(out[0].size));
    uint8_t payload[LobbyPayloadMax];
    int32_t payloadSize = 0;
    ASSERT_EQ(LobbyTake(guest, datagram, payload, payloadSize), LobbyDelivered);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(payload), payloadSize), "tick 1");
    // From anyone but the lobby, the same bytes are not the peer's.
    datagram.from = At("192.0.2.99", 41700);
    EXPECT_EQ(LobbyTake(guest, datagram, payload, payloadSize), LobbyNotOurs);

    Deliver(guestAt, Wrapped(guest, "tick 2"));
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].to, hostAt);
    EXPECT_EQ(lobby.counts.relayed, 2);
}

TEST_F(Lobby, ForgedWrongRoomAndStrangersRelaysChangeNothing) {
    LobbyClient host, guest, other;
    Pair(host, guest);
    LobbyStartHosting(other, lobbyAt, 77);
    const host::NetAddress otherAt = At("203.0.113.50", 7000);
    Exchange(other, otherAt);
    const auto roomsBefore = lobby.rooms.size();

    LobbyClient forged = host;
    forged.token ^= 1;
    Deliver(hostAt, Wrapped(forged, "forged token"));
    EXPECT_TRUE(out.empty());
    // The right token with another room's code.
    LobbyClient crossed = host;
    std::memcpy(crossed.code, other.code, LobbyCodeLength);
    Deliver(hostAt, Wrapped(crossed, "wrong room"));
    EXPECT_TRUE(out.empty());
    // The right code and token from another endpoint (a copy seen on the way).
    Deliver(At("192.0.2.66", 5000), Wrapped(host, "stranger"));
    EXPECT_TRUE(out.empty());
    // A seat whose peer has not come yet relays to no one.
    other.stage = LobbyPaired;
    Deliver(otherAt, Wrapped(other, "alone"));
    EXPECT_TRUE(out.empty());
    EXPECT_EQ(lobby.rooms.size(), roomsBefore);
    EXPECT_EQ(lobby.counts.relayed, 0);
    // Still paired as before.
    now += LobbyKeepAliveMs;
    Exchange(host, hostAt);
    EXPECT_EQ(host.peer, guestAt);
}

TEST_F(Lobby, GarbageAndOversizedDatagramsChangeNothingAndDrawNoAnswer) {
    LobbyClient host, guest;
    Pair(host, guest);
    const auto rooms = lobby.rooms.size();
    std::vector<uint8_t> garbage(host::NetDatagramMax, 0xA5);
    for (int32_t size : {0, 1, 4, 5, 47, 48, 600, host::NetDatagramMax}) {
        Deliver(At("192.0.2.44", 1234), garbage.data(), size);
        EXPECT_TRUE(out.empty()) << size;
    }
    // The lobby's own answers sent back to it.
    LobbyMessage made = RoomMessage(LobbyRoomMade, host.code, host.token);
    uint8_t bytes[host::NetDatagramMax];
    Deliver(hostAt, bytes, WriteLobbyMessage(made, bytes));
    EXPECT_TRUE(out.empty());
    // A goodbye with a forged token keeps the room.
    LobbyClient forged = host;
    forged.token += 1;
    Deliver(hostAt, bytes, LobbyGoodbye(forged, bytes));
    EXPECT_EQ(lobby.rooms.size(), rooms);
    // The real one closes it.
    Deliver(hostAt, bytes, LobbyGoodbye(host, bytes));
    EXPECT_EQ(lobby.rooms.size(), rooms - 1);
}

TEST_F(Lobby, ARequestOfAnotherVersionIsToldTheLobbysOnly) {
    std::vector<uint8_t> request(LobbyRequestSize, 0);
    std::memcpy(request.data(), "MVL", 3);
    request[3] = 9;
    request[4] = LobbyHostRoom;
    Deliver(hostAt, request);
    ASSERT_EQ(out.size(), 1u);
    LobbyMessage m;
    ASSERT_TRUE(ReadLobbyMessage(out[0].bytes, out[0].size, m));
    EXPECT_EQ(m.kind, LobbyRefused);
    EXPECT_EQ(m.refusal, LobbyOldVersion);
    EXPECT_EQ(m.version, LobbyVersion);
    request.resize(20);  // too short to be answered: nothing to amplify
    Deliver(hostAt, request);
    EXPECT_TRUE(out.empty());
    EXPECT_TRUE(lobby.rooms.empty());
}

TEST_F(Lobby, GuessingCodesIsRefusedAfterAFewTriesFromOneAddress) {
    LobbyClient host;
    LobbyStartHosting(host, lobbyAt, 1);
    Exchange(host, hostAt);
    const host::NetAddress guesser = At("192.0.2.77", 9000);
    int32_t noRoom = 0, tooFast = 0;
    for (int i = 0; i < 40; ++i) {
        LobbyClient guess;
        // Every port of the address shares its attempts.
        ASSERT_TRUE(LobbyStartJoining(guess, lobbyAt, "2345678923", static_cast<uint32_t>(i)));
        Exchange(guess, At("192.0.2.77", 9000 + i));
        noRoom += guess.refusal == LobbyNoRoom;
        tooFast += guess.refusal == LobbyTooFast;
        now += 10;
    }
    EXPECT_EQ(noRoom, lobby.settings.rates.joinsBurst);
    EXPECT_GT(tooFast, 30);
    // Even the right code is refused while the address is too fast.
    LobbyClient right;
    ASSERT_TRUE(LobbyStartJoining(right, lobbyAt, std::string(host.code, LobbyCodeLength), 99));
    Exchange(right, guesser);
    EXPECT_EQ(right.refusal, LobbyTooFast);
    // Polls of made-up codes draw from the same attempts.
    LobbyClient poller;
    LobbyStartHosting(poller, lobbyAt, 1);
    poller.stage = LobbyHosting;
    std::memcpy(poller.code, "ZZZZZZZZZZ", LobbyCodeLength);
    poller.token = 5;
    uint8_t bytes[host::NetDatagramMax];
    Deliver(guesser, bytes, LobbyDue(poller, now, bytes));
    EXPECT_TRUE(out.empty());
    // A minute later the address may try again, and another address may at once.
    LobbyClient later;
    ASSERT_TRUE(LobbyStartJoining(later, lobbyAt, std::string(host.code, LobbyCodeLength), 100));
    Exchange(later, guestAt);
    EXPECT_EQ(later.stage, LobbyPaired);
    now += 60 * 1000;
    LobbyClient again;
    ASSERT_TRUE(LobbyStartJoining(again, lobbyAt, "2345678923", 101));
    Exchange(again, guesser);
    EXPECT_EQ(again.refusal, LobbyNoRoom);
}

TEST_F(Lobby, AFloodFromOneAddressIsDroppedPastItsBurst) {
    LobbyClient host;
    int answered = 0;
    for (int i = 0; i < 200; ++i) {
        LobbyStartHosting(host, lobbyAt, static_cast<uint32_t>(i % 3));
        uint8_t bytes[host::NetDatagramMax];
        Deliver(hostAt, bytes, LobbyDue(host, now, bytes));
        answered += !out.empty();
    }
    EXPECT_EQ(answered, lobby.settings.rates.messagesBurst);
    EXPECT_LE(static_cast<int32_t>(lobby.rooms.size()), lobby.settings.rates.roomsPerAddress);
}

TEST_F(Lobby, RoomsExpireWhenNoSeatSpeaksAndPollsKeepThemOpen) {
    LobbyClient quiet, polled;
    LobbyStartHosting(quiet, lobbyAt, 1);
    Exchange(quiet, hostAt);
    LobbyStartHosting(polled, lobbyAt, 2);
    Exchange(polled, guestAt);
    for (int i = 0; i < 30; ++i) {
        now += 5000;
        Exchange(polled, guestAt);
        LobbySweep(lobby, now);
    }
    EXPECT_EQ(lobby.rooms.size(), 1u);
    EXPECT_EQ(lobby.counts.expired, 1);
    EXPECT_EQ(polled.stage, LobbyHosting);
    // The expired room's host is told at its next poll.
    now += LobbyResendMs;
    Exchange(quiet, hostAt);
    EXPECT_EQ(quiet.stage, LobbyFailed);
    EXPECT_EQ(quiet.refusal, LobbyNoRoom);
    // Its address may make rooms again.
    EXPECT_EQ(lobby.limits[LobbyLimitKey(hostAt)].roomsHeld, 0);
}

TEST_F(Lobby, AFullLobbyRefusesNewRooms) {
    lobby.settings.maxRooms = 2;
    for (int i = 0; i < 3; ++i) {
        LobbyClient host;
        LobbyStartHosting(host, lobbyAt, 1);
        Exchange(host, At("203.0.113.1", 1000 + i));
        EXPECT_EQ(host.stage, i < 2 ? LobbyHosting : LobbyFailed);
        EXPECT_EQ(host.refusal, i < 2 ? 0 : LobbyFull);
    }
}

TEST(LobbyClient, RequestsGoAgainAtTheirPaceAndTheLobbyIsGivenUpAfterTheTries) {
    LobbyClient client;
    host::NetAddress lobby;
    ASSERT_TRUE(host::NetNumericAddress("127.0.0.1", 41700, lobby));
    LobbyStartHosting(client, lobby, 3);
    uint8_t bytes[host::NetDatagramMax];
    int64_t now = 0;
    EXPECT_GT(LobbyDue(client, now, bytes), 0) << "the first at once";
    EXPECT_EQ(LobbyDue(client, now + LobbyResendMs - 1, bytes), 0);
    int32_t sent = 1;
    for (now = LobbyResendMs; client.stage == LobbyAsking; now += LobbyResendMs)
        sent += LobbyDue(client, now, bytes) > 0;
    EXPECT_EQ(sent, LobbyTriesMax);
    EXPECT_EQ(client.refusal, LobbyNoAnswer);
    EXPECT_EQ(LobbyDue(client, now + 10000, bytes), 0);
    EXPECT_FALSE(LobbyStartJoining(client, lobby, "not a code", 4));
}

TEST_F(Lobby, AnAnswerToAnotherRequestOrStageIsNotTaken) {
    LobbyClient host;
    LobbyStartHosting(host, lobbyAt, 10);
    uint8_t bytes[host::NetDatagramMax];
    LobbyStartHosting(host, lobbyAt, 10);
    LobbyClient stale;
    LobbyStartHosting(stale, lobbyAt, 9);
    Deliver(hostAt, bytes, LobbyDue(stale, now, bytes));
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(Hand(host, out[0]), LobbyNotOurs) << "made for request 9, not 10";
    EXPECT_EQ(host.stage, LobbyAsking);
    LobbyClient idle;
    EXPECT_EQ(Hand(idle, out[0]), LobbyNotOurs);
    EXPECT_EQ(LobbyWrap(host, bytes, 1, bytes), 0) << "no relay before pairing";
}

}  // namespace
