// Two lobbies sharing one directory of rooms, driven in one process with a
// directory in memory: a room made in one is claimed there, a joiner asking
// the other is sent on to it and pairs, a code another lobby holds is never
// drawn again, and a room closed or expired is let go.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "lobby/lobby_client.h"
#include "programs/lobby/rooms.h"
#include "tests/net/lobby_test_support.h"

namespace {

// The directory: each code's lobby by the lobby's number (1 or 2), and the
// lobby whose call it is now.
std::map<std::string, int32_t> Claims;
int32_t Caller = 0;
std::vector<std::string> Kept;
host::NetAddress LobbyOf(int32_t number) {
    return At(number == 1 ? "198.51.100.1" : "198.51.100.2", 41700);
}

bool Claim(const char code[LobbyCodeLength]) {
    return Claims.emplace(std::string(code, LobbyCodeLength), Caller).second;
}

bool Find(const char code[LobbyCodeLength], host::NetAddress& lobby, int32_t& webPort) {
    auto found = Claims.find(std::string(code, LobbyCodeLength));
    if (found == Claims.end() || found->second == Caller)
        return false;
    lobby = LobbyOf(found->second);
    webPort = 8000 + found->second;
    return true;
}

void Release(const char code[LobbyCodeLength]) {
    auto found = Claims.find(std::string(code, LobbyCodeLength));
    if (found != Claims.end() && found->second == Caller)
        Claims.erase(found);
}

void Keep(const std::vector<std::string>& codes) {
    Kept = codes;
}

struct Directory : testing::Test {
    LobbyServer lobbies[3];
    int64_t now = 1000000;
    const host::NetAddress hostAt = At("203.0.113.10", 5000);
    const host::NetAddress guestAt = At("192.0.2.20", 6000);

    void SetUp() override {
        Draws = 777;
        Claims.clear();
        Kept.clear();
        for (LobbyServer& lobby : lobbies) {
            lobby.randomBytes = TestRandom;
            lobby.directory = {.claim = Claim,
                               .find = Find,
                               .release = Release,
                               .keep = Keep,
                               .keepEveryMs = 30000};
        }
    }

    // What the client has due, sent to the lobby it names, and the answers
    // for `at` handed back to it.
    void Exchange(LobbyClient& client, const host::NetAddress& at) {
        const int32_t number = client.lobby == LobbyOf(1) ? 1 : 2;
        uint8_t bytes[host::NetDatagramMax];
        const int32_t size = LobbyDue(client, now, bytes);
        ASSERT_GT(size, 0);
        std::vector<LobbyOutgoing> out;
        Caller = number;
        LobbyReceive(lobbies[number], at, bytes, size, now, out);
        for (const LobbyOutgoing& o : out) {
            if (!(o.to == at))
                continue;
            host::NetDatagram datagram;
            datagram.from = LobbyOf(number);
            datagram.size = o.size;
            std::memcpy(datagram.bytes, o.bytes, static_cast<size_t>(o.size));
            uint8_t payload[LobbyPayloadMax];
            int32_t payloadSize = 0;
            LobbyTake(client, datagram, payload, payloadSize);
        }
    }
};

TEST_F(Directory, AJoinerAskingTheOtherLobbyIsSentOnToTheRoomsOwnAndPairs) {
    LobbyClient host, guest;
    LobbyStartHosting(host, LobbyOf(1), 11);
    Exchange(host, hostAt);
    ASSERT_EQ(host.stage, LobbyHosting);
    EXPECT_EQ(Claims.at(std::string(host.code, LobbyCodeLength)), 1);

    ASSERT_TRUE(LobbyStartJoining(guest, LobbyOf(2), LobbyCodeText(host.code), 22));
    Exchange(guest, guestAt);
    EXPECT_EQ(guest.stage, LobbyJoining);
    EXPECT_EQ(guest.lobby, LobbyOf(1));
    EXPECT_EQ(guest.webPort, 8001);
    EXPECT_EQ(lobbies[2].counts.sentOn, 1);
    EXPECT_TRUE(lobbies[2].rooms.empty());

    Exchange(guest, guestAt);
    EXPECT_EQ(guest.stage, LobbyPaired);
    EXPECT_EQ(guest.peer, hostAt);
    EXPECT_EQ(lobbies[1].counts.joined, 1);
}

TEST_F(Directory, ACodeNoLobbyHoldsIsRefusedAndACodeAnotherHoldsIsNeverDrawn) {
    LobbyClient guest;
    ASSERT_TRUE(LobbyStartJoining(guest, LobbyOf(2), "ABCDE-FGHJK", 5));
    Exchange(guest, guestAt);
    EXPECT_EQ(guest.stage, LobbyFailed);
    EXPECT_EQ(guest.refusal, LobbyNoRoom);

    // The first code lobby 2 would draw is taken by lobby 1 already.
    Draws = 99;
    LobbyClient first;
    LobbyStartHosting(first, LobbyOf(1), 1);
    Exchange(first, hostAt);
    Draws = 99;
    LobbyClient second;
    LobbyStartHosting(second, LobbyOf(2), 2);
    Exchange(second, guestAt);
    ASSERT_EQ(second.stage, LobbyHosting);
    EXPECT_NE(std::string(first.code, LobbyCodeLength), std::string(second.code, LobbyCodeLength));
    EXPECT_EQ(Claims.size(), 2u);
}

TEST_F(Directory, ARoomLetGoOrExpiredLeavesTheDirectoryAndTheOpenOnesAreKept) {
    LobbyClient host, idle;
    LobbyStartHosting(host, LobbyOf(1), 11);
    Exchange(host, hostAt);
    LobbyStartHosting(idle, LobbyOf(1), 12);
    Exchange(idle, guestAt);
    ASSERT_EQ(Claims.size(), 2u);

    uint8_t bytes[host::NetDatagramMax];
    const int32_t size = LobbyGoodbye(host, bytes);
    std::vector<LobbyOutgoing> out;
    Caller = 1;
    LobbyReceive(lobbies[1], hostAt, bytes, size, now, out);
    EXPECT_EQ(Claims.count(std::string(host.code, LobbyCodeLength)), 0u);

    LobbySweep(lobbies[1], now + 1000);
    ASSERT_EQ(Kept.size(), 1u);
    EXPECT_EQ(Kept[0], std::string(idle.code, LobbyCodeLength));
    LobbySweep(lobbies[1], now + lobbies[1].settings.roomIdleMs + 5000);
    EXPECT_TRUE(Claims.empty());
}

TEST_F(Directory, AJoinSentOnTooOftenOrElsewhereForAnotherRequestIsNotFollowed) {
    LobbyClient guest;
    ASSERT_TRUE(LobbyStartJoining(guest, LobbyOf(2), "ABCDE-FGHJK", 5));
    auto elsewhere = [&](uint32_t nonce, const char* code) {
        LobbyMessage m = RoomMessage(LobbyElsewhere, code, 0, nonce);
        m.peer = LobbyOf(1);
        host::NetDatagram datagram;
        datagram.from = guest.lobby;
        datagram.size = WriteLobbyMessage(m, datagram.bytes);
        uint8_t payload[LobbyPayloadMax];
        int32_t payloadSize = 0;
        return LobbyTake(guest, datagram, payload, payloadSize);
    };
    EXPECT_EQ(elsewhere(6, "ABCDEFGHJK"), LobbyNotOurs);
    EXPECT_EQ(elsewhere(5, "ABCDEFGHJM"), LobbyNotOurs);
    EXPECT_EQ(guest.lobby, LobbyOf(2));
    for (int32_t move = 0; move < LobbyMovesMax; ++move) {
        EXPECT_EQ(elsewhere(5, "ABCDEFGHJK"), LobbyUpdated);
        EXPECT_EQ(guest.stage, LobbyJoining);
    }
    EXPECT_EQ(elsewhere(5, "ABCDEFGHJK"), LobbyUpdated);
    EXPECT_EQ(guest.stage, LobbyFailed);
    EXPECT_EQ(guest.refusal, LobbyNoRoom);
}

// A room's feed, kept after the room closed, keeps the code claimed: a viewer
// asking the other lobby is sent to the feed's, until the feed goes.
TEST_F(Directory, AFeedKeptAfterItsRoomKeepsItsCodeClaimedUntilItGoes) {
    LobbyClient host;
    LobbyStartHosting(host, LobbyOf(1), 11);
    Exchange(host, hostAt);
    ASSERT_EQ(host.stage, LobbyHosting);
    const std::string code(host.code, LobbyCodeLength);
    std::vector<LobbyOutgoing> out;
    auto send = [&](int32_t number, const host::NetAddress& from, const LobbyMessage& m) {
        uint8_t bytes[host::NetDatagramMax];
        out.clear();
        Caller = number;
        LobbyReceive(lobbies[number], from, bytes, WriteLobbyMessage(m, bytes), now, out);
        LobbyMessage answer;
        answer.kind = LobbyNone;
        if (out.size() == 1) {
            EXPECT_TRUE(ReadLobbyMessage(out[0].bytes, out[0].size, answer));
        }
        return answer;
    };
    LobbyMessage up = RoomMessage(LobbyFeedUp, host.code, host.token);
    up.ended = true;
    up.payloadSize = 3;
    EXPECT_EQ(send(1, hostAt, up).offset, 3u);
    LobbyMessage leave = up;
    leave.kind = LobbyLeave;
    send(1, hostAt, leave);
    ASSERT_TRUE(lobbies[1].rooms.empty());
    EXPECT_EQ(Claims.count(code), 1u);
    LobbySweep(lobbies[1], now + 30000);
    EXPECT_EQ(Kept, std::vector<std::string>{code});

    const host::NetAddress viewerAt = At("198.51.100.30", 7000);
    const LobbyMessage watch = RoomMessage(LobbyWatch, host.code, 0, 7);
    const LobbyMessage there = send(2, viewerAt, watch);
    EXPECT_EQ(there.kind, LobbyElsewhere);
    EXPECT_EQ(there.peer, LobbyOf(1));
    const LobbyMessage feed = send(1, viewerAt, watch);
    EXPECT_EQ(feed.kind, LobbyFeed);
    EXPECT_EQ(feed.feedSize, 3u);
    EXPECT_TRUE(feed.ended);

    Caller = 1;
    LobbySweep(lobbies[1], now + lobbies[1].settings.feedKeepMs + 1000);
    EXPECT_TRUE(Claims.empty());
    EXPECT_EQ(send(2, viewerAt, watch).refusal, LobbyNoRoom);
}

}  // namespace
