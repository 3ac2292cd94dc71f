// The programs' ends of a game's feed: the host's pieces follow what the
// lobby says it holds, the feed breaks rather than send a start that
// changed, and a viewer takes only the piece that continues its bytes, from
// its lobby, for its ask; a refusal, a move too many or silence end it.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "lobby/game_feed.h"
#include "tests/net/lobby_test_support.h"

namespace {

LobbyClient HostOfRoom() {
    LobbyClient client;
    client.stage = LobbyPaired;
    client.seat = 0;
    client.token = 77;
    std::memcpy(client.code, "ABCDE23456", LobbyCodeLength);
    return client;
}

LobbyMessage Sent(const uint8_t* bytes, int32_t size) {
    LobbyMessage m;
    EXPECT_TRUE(ReadLobbyMessage(bytes, size, m));
    return m;
}

std::string PieceOf(const LobbyMessage& m) {
    return std::string(reinterpret_cast<const char*>(m.payload), size_t(m.payloadSize));
}

LobbyMessage Held(uint32_t offset, bool ended) {
    LobbyMessage m;
    m.kind = LobbyFeedHeld;
    std::memcpy(m.code, "ABCDE23456", LobbyCodeLength);
    m.offset = offset;
    m.ended = ended;
    return m;
}

TEST(FeedUpload, PiecesGoFromWhereTheLobbyStandsAtTheirPace) {
    const LobbyClient client = HostOfRoom();
    FeedUpload feed;
    uint8_t out[host::NetDatagramMax];
    EXPECT_EQ(FeedUpDue(feed, client, 0, out), 0);  // nothing to send yet
    const std::string bytes(3000, 'x');
    FeedGrow(feed, bytes.substr(0, 2500));
    int32_t size = FeedUpDue(feed, client, 1000, out);
    ASSERT_GT(size, 0);
    LobbyMessage m = Sent(out, size);
    EXPECT_EQ(m.kind, LobbyFeedUp);
    EXPECT_EQ(m.token, 77u);
    EXPECT_EQ(m.offset, 0u);
    EXPECT_EQ(m.payloadSize, LobbyFeedPieceMax);
    EXPECT_FALSE(m.ended);
    EXPECT_EQ(FeedUpDue(feed, client, 1000 + FeedUpEveryMs - 1, out), 0);
    // Unanswered, the same piece goes again.
    EXPECT_EQ(Sent(out, FeedUpDue(feed, client, 1000 + FeedUpEveryMs, out)).offset, 0u);
    ASSERT_TRUE(FeedTakeHeld(feed, client, Held(uint32_t(LobbyFeedPieceMax), false)));
    m = Sent(out, FeedUpDue(feed, client, 2000, out));
    EXPECT_EQ(m.offset, uint32_t(LobbyFeedPieceMax));
    EXPECT_EQ(PieceOf(m), bytes.substr(LobbyFeedPieceMax, LobbyFeedPieceMax));
    // The end goes with the last piece, and is sent until the lobby holds it.
    FeedEnd(feed, bytes);
    ASSERT_TRUE(FeedTakeHeld(feed, client, Held(2 * uint32_t(LobbyFeedPieceMax), false)));
    m = Sent(out, FeedUpDue(feed, client, 3000, out));
    EXPECT_TRUE(m.ended);
    EXPECT_EQ(PieceOf(m), bytes.substr(2 * LobbyFeedPieceMax));
    EXPECT_FALSE(FeedDelivered(feed));
    ASSERT_TRUE(FeedTakeHeld(feed, client, Held(3000, true)));
    EXPECT_TRUE(FeedDelivered(feed));
    EXPECT_EQ(FeedUpDue(feed, client, 9000, out), 0);
}

TEST(FeedUpload, OnlyTheHostOfARoomFeedsAndAStartThatChangedBreaksTheFeed) {
    uint8_t out[host::NetDatagramMax];
    LobbyClient guest = HostOfRoom();
    guest.seat = 1;
    FeedUpload feed;
    FeedGrow(feed, "MVRP-start");
    EXPECT_EQ(FeedUpDue(feed, guest, 0, out), 0);
    LobbyClient waiting = HostOfRoom();
    waiting.stage = LobbyAsking;
    EXPECT_EQ(FeedUpDue(feed, waiting, 0, out), 0);
    // An answer that claims more than was sent, or of another room, moves
    // nothing.
    const LobbyClient client = HostOfRoom();
    FeedTakeHeld(feed, client, Held(500, false));
    EXPECT_EQ(feed.held, 0u);
    LobbyMessage other = Held(4, false);
    other.code[0] = 'Z';
    EXPECT_FALSE(FeedTakeHeld(feed, client, other));
    // A feed the lobby ended short of this side's (its cap) goes no further.
    FeedUpload capped;
    FeedGrow(capped, "MVRP-long");
    FeedTakeHeld(capped, client, Held(4, true));
    EXPECT_EQ(FeedUpDue(capped, client, 0, out), 0);
    FeedGrow(feed, "MVRP-other-start and more");
    EXPECT_TRUE(feed.broken);
    EXPECT_EQ(feed.bytes, "MVRP-start");
    EXPECT_EQ(FeedUpDue(feed, client, 0, out), 0);
    FeedEnd(feed, "MVRP-start, whole");
    EXPECT_FALSE(feed.ended);
}

host::NetDatagram FromLobby(const host::NetAddress& lobby, const LobbyMessage& m) {
    host::NetDatagram datagram;
    datagram.from = lobby;
    datagram.size = WriteLobbyMessage(m, datagram.bytes);
    EXPECT_GT(datagram.size, 0);
    return datagram;
}

LobbyMessage FeedPiece(uint32_t nonce, uint32_t offset, const std::string& piece, uint32_t held,
                       bool ended) {
    LobbyMessage m;
    m.kind = LobbyFeed;
    m.nonce = nonce;
    std::memcpy(m.code, "ABCDE23456", LobbyCodeLength);
    m.offset = offset;
    m.feedSize = held;
    m.ended = ended;
    m.payloadSize = int32_t(piece.size());
    std::memcpy(m.payload, piece.data(), piece.size());
    return m;
}

TEST(FeedWatch, TakesOnlyThePieceThatContinuesItsBytes) {
    const host::NetAddress lobby = At("192.0.2.5", 41700);
    FeedWatch watch;
    ASSERT_FALSE(FeedStartWatching(watch, lobby, "not a code", 9));
    ASSERT_TRUE(FeedStartWatching(watch, lobby, "abcde-23456", 9));
    uint8_t out[host::NetDatagramMax];
    int32_t size = FeedAskDue(watch, 0, out);
    EXPECT_EQ(size, LobbyWatchRequestSize);
    EXPECT_EQ(Sent(out, size).offset, 0u);
    EXPECT_TRUE(FeedTake(watch, FromLobby(lobby, FeedPiece(9, 0, "MVRP", 10, false))));
    // Behind what the lobby holds, it asks at the faster pace.
    EXPECT_EQ(FeedAskDue(watch, FeedCatchUpEveryMs - 1, out), 0);
    size = FeedAskDue(watch, FeedCatchUpEveryMs, out);
    EXPECT_EQ(Sent(out, size).offset, 4u);
    // A late repeat of the first piece, a piece past its end, another ask's
    // answer, and one from elsewhere change nothing.
    FeedTake(watch, FromLobby(lobby, FeedPiece(9, 0, "MVRP", 10, false)));
    FeedTake(watch, FromLobby(lobby, FeedPiece(9, 6, "zzzz", 10, false)));
    EXPECT_FALSE(FeedTake(watch, FromLobby(lobby, FeedPiece(8, 4, "!!", 10, false))));
    EXPECT_FALSE(
        FeedTake(watch, FromLobby(At("192.0.2.6", 41700), FeedPiece(9, 4, "!!", 6, false))));
    EXPECT_EQ(watch.bytes, "MVRP");
    FeedTake(watch, FromLobby(lobby, FeedPiece(9, 4, "-whole", 10, true)));
    EXPECT_EQ(watch.bytes, "MVRP-whole");
    EXPECT_EQ(watch.stage, FeedWhole);
    EXPECT_EQ(FeedAskDue(watch, 100000, out), 0);
}

TEST(FeedWatch, ARefusalAMoveTooManyOrSilenceEndsIt) {
    const host::NetAddress lobby = At("192.0.2.5", 41700);
    uint8_t out[host::NetDatagramMax];
    FeedWatch watch;
    ASSERT_TRUE(FeedStartWatching(watch, lobby, "ABCDE23456", 3));
    LobbyMessage refused;
    refused.kind = LobbyRefused;
    refused.nonce = 3;
    refused.refusal = LobbyNoRoom;
    EXPECT_TRUE(FeedTake(watch, FromLobby(lobby, refused)));
    EXPECT_EQ(watch.stage, FeedFailed);
    EXPECT_EQ(watch.refusal, LobbyNoRoom);

    ASSERT_TRUE(FeedStartWatching(watch, lobby, "ABCDE23456", 3));
    host::NetAddress at = lobby;
    for (int32_t move = 1; move <= LobbyMovesMax + 1; ++move) {
        LobbyMessage elsewhere;
        elsewhere.kind = LobbyElsewhere;
        elsewhere.nonce = 3;
        std::memcpy(elsewhere.code, "ABCDE23456", LobbyCodeLength);
        elsewhere.peer = At("192.0.2.7", 41700 + move);
        EXPECT_TRUE(FeedTake(watch, FromLobby(at, elsewhere)));
        at = elsewhere.peer;
        if (move <= LobbyMovesMax) {
            EXPECT_EQ(watch.lobby, at);
        }
    }
    EXPECT_EQ(watch.stage, FeedFailed);

    ASSERT_TRUE(FeedStartWatching(watch, lobby, "ABCDE23456", 3));
    int64_t now = 0;
    for (int32_t ask = 0; ask < FeedTriesMax; ++ask, now += FeedAskEveryMs)
        EXPECT_GT(FeedAskDue(watch, now, out), 0);
    EXPECT_EQ(FeedAskDue(watch, now, out), 0);
    EXPECT_EQ(watch.stage, FeedFailed);
    EXPECT_EQ(watch.refusal, LobbyNoAnswer);
}

}  // namespace
