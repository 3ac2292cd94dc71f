// The pages' side of the lobby without sockets: their endpoints in 100::/64
// and the routing by them, which pages' origins are let in, and the limits
// of every page's connection counted against the address it came from.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "lobby/lobby_messages.h"
#include "programs/lobby/page_address.h"
#include "programs/lobby/rooms.h"
#include "programs/lobby/web_origin.h"
#include "tests/net/lobby_test_support.h"

namespace {

TEST(PageAddress, EachSerialIsItsOwnEndpointInTheDiscardPrefixThatPeerFoundCarries) {
    const host::NetAddress page = LobbyPageEndpoint(0x0102030405060708ull);
    EXPECT_EQ(page, At("100::102:304:506:708", LobbyPagePort));
    EXPECT_TRUE(LobbyPageAddress(page));
    EXPECT_EQ(LobbyPageSerial(page), 0x0102030405060708ull);
    EXPECT_EQ(LobbyPageSerial(LobbyPageEndpoint(1)), 1u);
    EXPECT_NE(LobbyPageEndpoint(1), LobbyPageEndpoint(2));
    // A program told of a page's seat reads its endpoint like any other.
    LobbyMessage found = RoomMessage(LobbyPeerFound, "ABCDEFGHJK", 7);
    found.peer = page;
    uint8_t bytes[host::NetDatagramMax];
    LobbyMessage read;
    ASSERT_TRUE(ReadLobbyMessage(bytes, WriteLobbyMessage(found, bytes), read));
    EXPECT_EQ(read.peer, page);
}

TEST(PageAddress, NoOtherAddressIsTakenForAPage) {
    for (const char* other : {"100:0:0:1::1", "101::1", "::1", "::100:0:0:1", "2001:db8::1"})
        EXPECT_FALSE(LobbyPageAddress(At(other, 1))) << other;
    EXPECT_FALSE(LobbyPageAddress(At("1.0.0.0", 1)));
    EXPECT_EQ(LobbyPageSerial(At("2001:db8::5", 1)), 0u);
    // In the prefix, as a forged UDP source would be, but not a page's form.
    EXPECT_TRUE(LobbyPageAddress(At("100::5", 4000)));
    EXPECT_EQ(LobbyPageSerial(At("100::5", 4000)), 0u);
}

TEST(PageOrigin, TheLobbysOwnPagesAndTheListedOnesOnly) {
    const std::vector<std::string> none;
    EXPECT_TRUE(WebOriginAllowed("http://127.0.0.1:8000", "127.0.0.1:8000", none));
    EXPECT_TRUE(WebOriginAllowed("https://Play.Example.org", "play.example.org", none));
    EXPECT_TRUE(WebOriginAllowed("https://play.example.org", "play.example.org:443", none));
    EXPECT_TRUE(WebOriginAllowed("http://play.example.org:80", "play.example.org", none));
    EXPECT_TRUE(WebOriginAllowed("http://[::1]:8000", "[::1]:8000", none));
    EXPECT_FALSE(WebOriginAllowed("http://127.0.0.1:8001", "127.0.0.1:8000", none));
    EXPECT_FALSE(WebOriginAllowed("https://play.example.org", "play.example.org:80", none));
    EXPECT_FALSE(WebOriginAllowed("http://evil.example", "play.example.org", none));
    EXPECT_FALSE(
        WebOriginAllowed("http://play.example.org.evil.example", "play.example.org", none));
    EXPECT_FALSE(WebOriginAllowed("null", "play.example.org", none));
    EXPECT_FALSE(WebOriginAllowed("", "play.example.org", none));
    EXPECT_FALSE(WebOriginAllowed("http://a.example", "", none));

    std::vector<std::string> listed(1);
    ASSERT_TRUE(WebOriginOfText("HTTPS://Friend.Example:443/", listed[0]));
    EXPECT_EQ(listed[0], "https://friend.example");
    EXPECT_TRUE(WebOriginAllowed("https://friend.example", "127.0.0.1:8000", listed));
    EXPECT_FALSE(WebOriginAllowed("http://friend.example", "127.0.0.1:8000", listed));
    EXPECT_FALSE(WebOriginAllowed("https://friend.example:8443", "127.0.0.1:8000", listed));
}

TEST(PageOrigin, TheOptionTakesOnlyAnOrigin) {
    std::string origin;
    EXPECT_TRUE(WebOriginOfText("http://localhost:8000", origin));
    EXPECT_EQ(origin, "http://localhost:8000");
    for (const char* bad : {"", "localhost", "ftp://a.example", "https://", "https://a.example/x",
                            "https://user@a.example", "https://a.example?x", "//a.example"})
        EXPECT_FALSE(WebOriginOfText(bad, origin)) << bad;
}

struct PageLimits : LobbyDriven {
    const host::NetAddress visitor = At("203.0.113.7", 50000);
    const host::NetAddress stranger = At("192.0.2.9", 50001);

    host::NetAddress Open(uint64_t serial, const host::NetAddress& peer) {
        LobbyPageOpened(lobby, LobbyPageEndpoint(serial), peer);
        return LobbyPageEndpoint(serial);
    }

    // What `from` is answered to `kind` (a room asked for, or a join with a
    // code no room has): the answer's kind and refusal.
    std::pair<int32_t, int32_t> Ask(const host::NetAddress& from, LobbyKind kind, uint32_t nonce) {
        Deliver(from, RoomMessage(kind, "ABCDEFGHJK", 0, nonce));
        const LobbyMessage answer = AnswerTo(from);
        if (out.size() != 1 || answer.kind == LobbyNone)
            return {-1, -1};
        return {answer.kind, answer.refusal};
    }
};

TEST_F(PageLimits, PagesShareTheirAddresssGuessesWithEachOtherAndItsDatagrams) {
    const LobbyRates rates;
    int32_t noRoom = 0;
    for (uint64_t serial = 1; serial <= 10; ++serial)
        noRoom += Ask(Open(serial, visitor), LobbyJoinRoom, 1).second == LobbyNoRoom;
    EXPECT_EQ(noRoom, rates.joinsBurst);
    EXPECT_EQ(Ask(Open(11, visitor), LobbyJoinRoom, 1).second, LobbyTooFast);
    EXPECT_EQ(Ask(visitor, LobbyJoinRoom, 1).second, LobbyTooFast);
    // Another address, over UDP or a page, guesses on its own account.
    EXPECT_EQ(Ask(stranger, LobbyJoinRoom, 1).second, LobbyNoRoom);
    EXPECT_EQ(Ask(Open(12, stranger), LobbyJoinRoom, 1).second, LobbyNoRoom);
    // Closing a connection gives nothing back: the next one is as limited.
    LobbyPageClosed(lobby, LobbyPageEndpoint(11));
    EXPECT_EQ(Ask(Open(13, visitor), LobbyJoinRoom, 1).second, LobbyTooFast);
}

TEST_F(PageLimits, RoomsHeldAreTheAddresssAndFreedWhenTheyCloseEvenAfterThePageLeft) {
    const LobbyRates rates;
    for (int32_t i = 0; i < rates.roomsPerAddress; ++i)
        EXPECT_EQ(Ask(Open(static_cast<uint64_t>(i + 1), visitor), LobbyHostRoom, 1).first,
                  LobbyRoomMade);
    EXPECT_EQ(Ask(Open(100, visitor), LobbyHostRoom, 1).second, LobbyTooFast);
    EXPECT_EQ(Ask(visitor, LobbyHostRoom, 1).second, LobbyTooFast);
    EXPECT_EQ(Ask(Open(101, stranger), LobbyHostRoom, 1).first, LobbyRoomMade);
    for (uint64_t serial = 1; serial <= 101; ++serial)
        LobbyPageClosed(lobby, LobbyPageEndpoint(serial));
    EXPECT_TRUE(lobby.pageKeys.empty());
    now += lobby.settings.roomIdleMs + 1;
    LobbySweep(lobby, now);
    EXPECT_TRUE(lobby.rooms.empty());
    EXPECT_EQ(Ask(Open(102, visitor), LobbyHostRoom, 1).first, LobbyRoomMade);
    // Once that room is gone too, nothing is kept for the address.
    LobbyPageClosed(lobby, LobbyPageEndpoint(102));
    now += lobby.settings.roomIdleMs + 1;
    LobbySweep(lobby, now);
    EXPECT_TRUE(lobby.rooms.empty());
    EXPECT_TRUE(lobby.limits.empty());
}

}  // namespace
