// The feeds viewers watch a game by, driven in one process: the host's feed
// reaches a viewer piece by piece unchanged; only the host's seat, with its
// token, from its endpoint, feeds; pieces out of order, repeated or past the
// end change nothing; feeds outlive their rooms for a while, then go; the
// caps hold; unknown codes cost a guess; no answer is longer than its
// request.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "lobby/lobby_messages.h"
#include "programs/lobby/rooms.h"
#include "tests/net/lobby_test_support.h"

namespace {

struct Feeds : LobbyDriven {
    const host::NetAddress hostAt = At("203.0.113.10", 5000);
    const host::NetAddress guestAt = At("192.0.2.20", 6000);
    const host::NetAddress viewerAt = At("198.51.100.30", 7000);
    char code[LobbyCodeLength] = {};
    uint64_t hostToken = 0, guestToken = 0;
    uint32_t nonces = 100;

    // A message of `kind` about the room, with `token` (a seat's) and `nonce`.
    LobbyMessage OfRoom(LobbyKind kind, uint64_t token = 0, uint32_t nonce = 0) const {
        return RoomMessage(kind, code, token, nonce);
    }

    // A room made by the host and, when asked, joined by the guest.
    void MakeRoom(bool joined) {
        LobbyMessage ask;
        ask.kind = LobbyHostRoom;
        ask.nonce = ++nonces;
        Deliver(hostAt, ask);
        const LobbyMessage made = AnswerTo(hostAt);
        ASSERT_EQ(made.kind, LobbyRoomMade);
        std::memcpy(code, made.code, LobbyCodeLength);
        hostToken = made.token;
        if (!joined)
            return;
        Deliver(guestAt, OfRoom(LobbyJoinRoom, 0, ++nonces));
        const LobbyMessage found = AnswerTo(guestAt);
        ASSERT_EQ(found.kind, LobbyPeerFound);
        guestToken = found.token;
    }

    // Sends `size` bytes of `feed` from `offset` as FeedUp; the answer to
    // `from`.
    LobbyMessage FeedUp(const std::vector<uint8_t>& feed, uint32_t offset, int32_t size, bool ended,
                        const host::NetAddress& from, uint64_t token) {
        LobbyMessage m = OfRoom(LobbyFeedUp, token);
        m.offset = offset;
        m.ended = ended;
        m.payloadSize = size;
        if (size > 0)
            std::memcpy(m.payload, feed.data() + offset, static_cast<size_t>(size));
        Deliver(from, m);
        return AnswerTo(from);
    }
    LobbyMessage FeedUp(const std::vector<uint8_t>& feed, uint32_t offset, int32_t size,
                        bool ended = false) {
        return FeedUp(feed, offset, size, ended, hostAt, hostToken);
    }

    // The whole of `feed` from `from`, in the largest pieces, as fast as the
    // message rate lets the host go on.
    void FeedAll(const std::vector<uint8_t>& feed, uint32_t from, bool ended) {
        for (uint32_t at = from; at < feed.size();) {
            const int32_t size =
                static_cast<int32_t>(std::min<size_t>(feed.size() - at, LobbyFeedPieceMax));
            const bool last = at + static_cast<uint32_t>(size) == feed.size();
            const LobbyMessage held = FeedUp(feed, at, size, ended && last);
            ASSERT_EQ(held.kind, LobbyFeedHeld);
            ASSERT_EQ(held.offset, at + static_cast<uint32_t>(size));
            at = held.offset;
            now += 50;
        }
    }

    LobbyMessage Watch(uint32_t offset, const host::NetAddress& from,
                       const char* watched = nullptr) {
        LobbyMessage m;
        m.kind = LobbyWatch;
        m.nonce = ++nonces;
        std::memcpy(m.code, watched ? watched : code, LobbyCodeLength);
        m.offset = offset;
        Deliver(from, m);
        const LobbyMessage answer = AnswerTo(from);
        if (answer.kind == LobbyFeed || answer.kind == LobbyRefused) {
            EXPECT_EQ(answer.nonce, m.nonce);
        }
        return answer;
    }
    LobbyMessage Watch(uint32_t offset) { return Watch(offset, viewerAt); }

    // What the viewer has of the feed from `from` on, asking again as each
    // answer tells it (its clock moving `stepMs` between asks); stops when
    // it holds what the lobby holds.
    void ReadAll(std::vector<uint8_t>& seen, int64_t stepMs = 50) {
        for (int ask = 0; ask < 10000; ++ask) {
            const LobbyMessage piece = Watch(static_cast<uint32_t>(seen.size()));
            now += stepMs;
            if (piece.kind == LobbyNone)
                continue;  // over the message rate: asked again later
            ASSERT_EQ(piece.kind, LobbyFeed);
            ASSERT_EQ(piece.offset, seen.size());
            seen.insert(seen.end(), piece.payload, piece.payload + piece.payloadSize);
            if (seen.size() == piece.feedSize)
                return;
        }
        FAIL() << "the viewer never caught up";
    }
};

std::vector<uint8_t> SomeFeed(size_t size) {
    std::vector<uint8_t> bytes(size);
    TestRandom(bytes.data(), size);
    return bytes;
}

TEST_F(Feeds, TheHostsFeedReachesAViewerPieceByPieceUnchanged) {
    MakeRoom(true);
    const std::vector<uint8_t> feed = SomeFeed(5 * LobbyFeedPieceMax + 321);
    // The viewer follows the game as it grows, then reads its end.
    std::vector<uint8_t> seen;
    const uint32_t half = 2 * LobbyFeedPieceMax + 17;
    FeedAll(std::vector<uint8_t>(feed.begin(), feed.begin() + half), 0, false);
    ReadAll(seen);
    EXPECT_EQ(seen.size(), half);
    EXPECT_FALSE(Watch(half).ended);
    FeedAll(feed, half, true);
    ReadAll(seen);
    EXPECT_EQ(seen, feed);
    const LobbyMessage end = Watch(static_cast<uint32_t>(feed.size()));
    EXPECT_TRUE(end.ended);
    EXPECT_EQ(end.payloadSize, 0);
    EXPECT_EQ(end.feedSize, feed.size());
    // Only the viewer is answered; the seats are told nothing of it.
    Watch(0);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].to, viewerAt);
    EXPECT_EQ(out[0].size, host::NetDatagramMax);
    EXPECT_GT(lobby.counts.fed, 0);
    EXPECT_GT(lobby.counts.watched, 0);
}

TEST_F(Feeds, OnlyTheHostsSeatWithItsTokenFromItsEndpointFeeds) {
    MakeRoom(true);
    const std::vector<uint8_t> feed = SomeFeed(100);
    const host::NetAddress stranger = At("192.0.2.99", 5000);
    EXPECT_EQ(FeedUp(feed, 0, 100, false, guestAt, guestToken).kind, LobbyNone);
    EXPECT_EQ(FeedUp(feed, 0, 100, false, guestAt, hostToken).kind, LobbyNone);
    EXPECT_EQ(FeedUp(feed, 0, 100, false, hostAt, guestToken).kind, LobbyNone);
    EXPECT_EQ(FeedUp(feed, 0, 100, false, hostAt, hostToken ^ 1).kind, LobbyNone);
    EXPECT_EQ(FeedUp(feed, 0, 100, false, stranger, hostToken).kind, LobbyNone);
    EXPECT_TRUE(out.empty());
    EXPECT_EQ(Watch(0).feedSize, 0u);
    // Wrong tokens cost guesses: after the burst, even the right code is
    // refused to that address.
    for (int i = 0; i < lobby.settings.rates.joinsBurst; ++i)
        FeedUp(feed, 0, 100, false, stranger, hostToken ^ 2);
    Deliver(stranger, OfRoom(LobbyJoinRoom, 0, 9));
    EXPECT_EQ(AnswerTo(stranger).refusal, LobbyTooFast);
    // A host whose router gave it another port feeds once a poll moved its seat.
    const host::NetAddress moved = At("203.0.113.10", 5001);
    EXPECT_EQ(FeedUp(feed, 0, 100, false, moved, hostToken).kind, LobbyNone);
    Deliver(moved, OfRoom(LobbyPoll, hostToken));
    EXPECT_EQ(FeedUp(feed, 0, 100, false, moved, hostToken).offset, 100u);
    EXPECT_EQ(Watch(0).feedSize, 100u);
}

TEST_F(Feeds, PiecesOutOfOrderOrRepeatedChangeNothingAndHeldSaysWhereToResume) {
    MakeRoom(false);  // a host may feed before its guest comes
    const std::vector<uint8_t> feed = SomeFeed(3000);
    EXPECT_EQ(FeedUp(feed, 0, 1000).offset, 1000u);
    EXPECT_EQ(FeedUp(feed, 0, 1000).offset, 1000u) << "repeated";
    EXPECT_EQ(FeedUp(feed, 2000, 1000).offset, 1000u) << "early";
    EXPECT_EQ(FeedUp(feed, 500, 1000).offset, 1000u) << "overlapping";
    EXPECT_EQ(FeedUp(feed, 2000, 1000, true).ended, false) << "an early end";
    const LobbyMessage asked = FeedUp(feed, 1000, 0);
    EXPECT_EQ(asked.kind, LobbyFeedHeld);
    EXPECT_EQ(asked.offset, 1000u) << "an empty piece asks where to resume";
    EXPECT_FALSE(asked.ended);
    EXPECT_EQ(FeedUp(feed, 1000, 1000).offset, 2000u);
    EXPECT_EQ(FeedUp(feed, 2000, 1000).offset, 3000u);
    std::vector<uint8_t> seen;
    ReadAll(seen);
    EXPECT_EQ(seen, feed);
}

TEST_F(Feeds, AnEndedFeedTakesNothingMore) {
    MakeRoom(true);
    const std::vector<uint8_t> feed = SomeFeed(2000);
    const LobbyMessage ended = FeedUp(feed, 0, 1000, true);
    EXPECT_TRUE(ended.ended);
    EXPECT_EQ(ended.offset, 1000u);
    const LobbyMessage more = FeedUp(feed, 1000, 1000);
    EXPECT_EQ(more.offset, 1000u);
    EXPECT_TRUE(more.ended);
    const LobbyMessage piece = Watch(0);
    EXPECT_EQ(piece.feedSize, 1000u);
    EXPECT_TRUE(piece.ended);
    EXPECT_EQ(std::vector<uint8_t>(piece.payload, piece.payload + piece.payloadSize),
              std::vector<uint8_t>(feed.begin(), feed.begin() + 1000));
}

TEST_F(Feeds, ARoomNotYetFedAnswersAnEmptyFeedAndAnOffsetPastTheEndTheSizeHeld) {
    MakeRoom(true);
    // However often: an open room's code costs no guess.
    for (int i = 0; i < 3 * lobby.settings.rates.joinsBurst; ++i) {
        const LobbyMessage empty = Watch(0);
        ASSERT_EQ(empty.kind, LobbyFeed);
        EXPECT_EQ(empty.feedSize, 0u);
        EXPECT_EQ(empty.payloadSize, 0);
        EXPECT_FALSE(empty.ended);
        now += 100;
    }
    FeedUp(SomeFeed(500), 0, 500);
    const LobbyMessage past = Watch(9000);
    EXPECT_EQ(past.kind, LobbyFeed);
    EXPECT_EQ(past.offset, 500u);
    EXPECT_EQ(past.feedSize, 500u);
    EXPECT_EQ(past.payloadSize, 0);
}

TEST_F(Feeds, WatchingAnUnknownCodeIsRefusedAndCostsAGuess) {
    MakeRoom(true);
    char unknown[LobbyCodeLength];
    std::memcpy(unknown, "2345678923", LobbyCodeLength);
    int32_t noRoom = 0, tooFast = 0;
    for (int i = 0; i < 20; ++i) {
        const LobbyMessage answer = Watch(0, viewerAt, unknown);
        ASSERT_EQ(answer.kind, LobbyRefused);
        noRoom += answer.refusal == LobbyNoRoom;
        tooFast += answer.refusal == LobbyTooFast;
        now += 10;
    }
    EXPECT_EQ(noRoom, lobby.settings.rates.joinsBurst);
    EXPECT_EQ(tooFast, 20 - lobby.settings.rates.joinsBurst);
    // The guesses are the address's: joining by code is refused as well.
    Deliver(At("198.51.100.30", 7001), OfRoom(LobbyJoinRoom, 0, 9));
    EXPECT_EQ(AnswerTo(At("198.51.100.30", 7001)).refusal, LobbyTooFast);
}

TEST_F(Feeds, AFeedOutlivesItsRoomForAWhileThenGoes) {
    MakeRoom(true);
    const std::vector<uint8_t> feed = SomeFeed(4000);
    FeedAll(feed, 0, false);
    // While its room is open, the feed stays however long ago it was fed.
    const LobbyMessage poll = OfRoom(LobbyPoll, guestToken);
    for (int64_t waited = 0; waited < 2 * lobby.settings.feedKeepMs; waited += 5000) {
        now += 5000;
        Deliver(guestAt, poll);
        LobbySweep(lobby, now);
    }
    EXPECT_EQ(Watch(0).feedSize, feed.size());
    EXPECT_TRUE(FeedUp(feed, 4000, 0, true).ended);
    Deliver(guestAt, OfRoom(LobbyLeave, guestToken));
    ASSERT_TRUE(lobby.rooms.empty());
    const int64_t closed = now;
    now = closed + lobby.settings.feedKeepMs;
    LobbySweep(lobby, now);
    std::vector<uint8_t> seen;
    ReadAll(seen);
    EXPECT_EQ(seen, feed);
    now = closed + lobby.settings.feedKeepMs + 1000;
    LobbySweep(lobby, now);
    EXPECT_TRUE(lobby.feeds.empty());
    EXPECT_EQ(lobby.feedBytes, 0);
    EXPECT_EQ(Watch(0).refusal, LobbyNoRoom);
}

// The guest may leave first, closing the room while the host still sends
// the game's end: the feeder's end is taken, nobody else's piece.
TEST_F(Feeds, TheEndIsTakenFromItsFeederAfterTheGuestClosedTheRoom) {
    MakeRoom(true);
    const std::vector<uint8_t> feed = SomeFeed(3000);
    FeedAll(feed, 0, false);
    Deliver(guestAt, OfRoom(LobbyLeave, guestToken));
    ASSERT_TRUE(lobby.rooms.empty());
    std::vector<uint8_t> whole = feed;
    whole.insert(whole.end(), {1, 2, 3});
    EXPECT_EQ(FeedUp(whole, 3000, 3, true, guestAt, guestToken).kind, LobbyNone);
    EXPECT_EQ(FeedUp(whole, 3000, 3, true, viewerAt, hostToken).kind, LobbyNone);
    EXPECT_EQ(FeedUp(whole, 3000, 3, true, hostAt, hostToken + 1).kind, LobbyNone);
    EXPECT_FALSE(Watch(0).ended);
    const LobbyMessage held = FeedUp(whole, 3000, 3, true);
    EXPECT_EQ(held.kind, LobbyFeedHeld);
    EXPECT_TRUE(held.ended);
    std::vector<uint8_t> seen;
    ReadAll(seen);
    EXPECT_EQ(seen, whole);
}

TEST_F(Feeds, AFeedPastItsCapIsCutAndEndedThere) {
    lobby.settings.feedMaxBytes = 3000;
    MakeRoom(true);
    const std::vector<uint8_t> feed = SomeFeed(5000);
    EXPECT_EQ(FeedUp(feed, 0, 1100).offset, 1100u);
    EXPECT_EQ(FeedUp(feed, 1100, 1100).offset, 2200u);
    const LobbyMessage cut = FeedUp(feed, 2200, 1100);
    EXPECT_EQ(cut.offset, 3000u);
    EXPECT_TRUE(cut.ended);
    EXPECT_EQ(FeedUp(feed, 3000, 1100).offset, 3000u);
    std::vector<uint8_t> seen;
    ReadAll(seen);
    EXPECT_EQ(seen, std::vector<uint8_t>(feed.begin(), feed.begin() + 3000));
    EXPECT_TRUE(Watch(3000).ended);
}

TEST_F(Feeds, AllFeedsTogetherStayUnderTheLobbysCap) {
    lobby.settings.feedMaxBytes = 64 * 1024;
    lobby.settings.feedsMaxBytes = 100 * 1024;
    // The second room stays open while the first one's feed runs out.
    lobby.settings.roomIdleMs = 2 * lobby.settings.feedKeepMs;
    const std::vector<uint8_t> feed = SomeFeed(64 * 1024);
    MakeRoom(true);
    const std::string first(code, LobbyCodeLength);
    const uint64_t firstToken = hostToken;
    FeedAll(feed, 0, true);
    // Another host's feed stops growing while the lobby holds as much as it
    // may; its uploader is told where it stands.
    MakeRoom(false);
    uint32_t held = 0;
    for (int i = 0; i < 200 && held < feed.size(); ++i) {
        const int32_t size =
            static_cast<int32_t>(std::min<size_t>(feed.size() - held, LobbyFeedPieceMax));
        const LobbyMessage answer = FeedUp(feed, held, size);
        ASSERT_EQ(answer.kind, LobbyFeedHeld);
        EXPECT_FALSE(answer.ended);
        if (answer.offset == held)
            break;
        held = answer.offset;
    }
    EXPECT_LT(held, feed.size());
    EXPECT_LE(lobby.feedBytes, lobby.settings.feedsMaxBytes);
    // The first feed goes once its room closed and its time ran out; the
    // second grows on from where it stopped.
    LobbyMessage leave;
    leave.kind = LobbyLeave;
    std::memcpy(leave.code, first.data(), LobbyCodeLength);
    leave.token = firstToken;
    Deliver(hostAt, leave);
    now += lobby.settings.feedKeepMs + 1000;
    LobbySweep(lobby, now);
    ASSERT_EQ(lobby.feeds.size(), 1u);
    FeedAll(feed, held, true);
    std::vector<uint8_t> seen;
    ReadAll(seen);
    EXPECT_EQ(seen, feed);
}

TEST_F(Feeds, AViewerCatchesUpAHalfHourGameWithinTheMessageRate) {
    MakeRoom(true);
    // Some 60 KB: a replay of half an hour.
    const std::vector<uint8_t> feed = SomeFeed(60 * 1024);
    FeedAll(feed, 0, false);
    // Asking every 10 ms, faster than the rate lets it: the asks past the
    // burst are dropped and asked again.
    const int64_t started = now;
    std::vector<uint8_t> seen;
    ReadAll(seen, 10);
    EXPECT_EQ(seen, feed);
    EXPECT_LE(now - started, 5000) << "on the lobby's clock";
}

}  // namespace
