// The lobby's message layout: every kind written is read back the same, and
// the reader takes nothing else: no cut or lengthened message, no other
// version, no stray padding, no code letter outside the alphabet, no empty
// token or impossible endpoint. No answer is longer than its request.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "lobby/lobby_messages.h"

namespace {

LobbyMessage Sample(LobbyKind kind) {
    LobbyMessage m;
    m.kind = kind;
    m.nonce = 0x01020304;
    std::memcpy(m.code, "ABCDE23456", LobbyCodeLength);
    m.token = 0x1122334455667788ULL;
    m.seat = 1;
    EXPECT_TRUE(host::NetNumericAddress("203.0.113.7", 50000, m.peer));
    m.refusal = LobbyRoomFull;
    m.webPort = 8000;
    m.payloadSize = 3;
    m.payload[0] = 'a';
    m.payload[1] = 0;
    m.payload[2] = 255;
    // A feed's piece lies within the bytes held.
    m.offset = 0x00010203;
    m.feedSize = 0x00020000;
    m.ended = true;
    return m;
}

const LobbyKind Kinds[] = {LobbyHostRoom,  LobbyJoinRoom, LobbyPoll,    LobbyLeave,
                           LobbyRelayUp,   LobbyFeedUp,   LobbyWatch,   LobbyRoomMade,
                           LobbyPeerFound, LobbyRefused,  LobbyWaiting, LobbyRelayDown,
                           LobbyElsewhere, LobbyFeedHeld, LobbyFeed};

std::vector<uint8_t> Written(const LobbyMessage& m) {
    std::vector<uint8_t> bytes(host::NetDatagramMax);
    bytes.resize(static_cast<size_t>(WriteLobbyMessage(m, bytes.data())));
    return bytes;
}

bool Reads(const std::vector<uint8_t>& bytes) {
    LobbyMessage m;
    return ReadLobbyMessage(bytes.data(), static_cast<int32_t>(bytes.size()), m);
}

TEST(LobbyMessages, EveryKindIsReadBackAsWritten) {
    for (LobbyKind kind : Kinds) {
        const std::vector<uint8_t> bytes = Written(Sample(kind));
        ASSERT_FALSE(bytes.empty()) << kind;
        LobbyMessage read;
        ASSERT_TRUE(ReadLobbyMessage(bytes.data(), static_cast<int32_t>(bytes.size()), read))
            << kind;
        EXPECT_EQ(Written(read), bytes) << kind;
        EXPECT_EQ(read.kind, kind);
    }
    LobbyMessage found;
    const std::vector<uint8_t> bytes = Written(Sample(LobbyPeerFound));
    ASSERT_TRUE(ReadLobbyMessage(bytes.data(), static_cast<int32_t>(bytes.size()), found));
    EXPECT_EQ(found.peer, Sample(LobbyPeerFound).peer);
    EXPECT_EQ(found.token, 0x1122334455667788ULL);
    EXPECT_EQ(found.seat, 1);
    EXPECT_EQ(found.nonce, 0x01020304u);
}

TEST(LobbyMessages, TheLayoutIsFixedAndBigEndian) {
    const std::vector<uint8_t> made = Written(Sample(LobbyRoomMade));
    const std::vector<uint8_t> expected = {'M', 'V',  'L',  3,    16,   1,    2,    3,    4,
                                           'A', 'B',  'C',  'D',  'E',  '2',  '3',  '4',  '5',
                                           '6', 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88};
    EXPECT_EQ(made, expected);
}

TEST(LobbyMessages, NoAnswerIsLongerThanTheRequestThatDrawsIt) {
    for (LobbyKind request : {LobbyHostRoom, LobbyJoinRoom, LobbyPoll})
        EXPECT_EQ(Written(Sample(request)).size(), static_cast<size_t>(LobbyRequestSize));
    for (LobbyKind answer :
         {LobbyRoomMade, LobbyPeerFound, LobbyRefused, LobbyWaiting, LobbyElsewhere})
        EXPECT_LE(Written(Sample(answer)).size(), static_cast<size_t>(LobbyRequestSize)) << answer;
    LobbyMessage six = Sample(LobbyPeerFound);
    ASSERT_TRUE(host::NetNumericAddress("2001:db8::1", 9, six.peer));
    EXPECT_LE(Written(six).size(), static_cast<size_t>(LobbyRequestSize));
}

TEST(LobbyMessages, CutLengthenedOrAlteredMessagesAreRefused) {
    for (LobbyKind kind : Kinds) {
        const std::vector<uint8_t> bytes = Written(Sample(kind));
        const bool carries = kind == LobbyRelayUp || kind == LobbyRelayDown ||
                             kind == LobbyFeedUp || kind == LobbyFeed;
        // A relayed datagram's length is its payload's, down to one byte; a
        // feed's piece may be empty.
        const size_t shortest = !carries                                         ? bytes.size()
                                : kind == LobbyRelayUp || kind == LobbyRelayDown ? bytes.size() - 2
                                                                                 : bytes.size() - 3;
        for (size_t cut = 0; cut < shortest; ++cut)
            EXPECT_FALSE(Reads(std::vector<uint8_t>(bytes.begin(), bytes.begin() + cut)))
                << kind << " cut to " << cut;
        if (!carries) {
            std::vector<uint8_t> longer = bytes;
            longer.push_back(0);
            EXPECT_FALSE(Reads(longer)) << kind;
        }
        std::vector<uint8_t> other = bytes;
        other[3] = 1;
        EXPECT_FALSE(Reads(other)) << kind << ": another version";
        EXPECT_EQ(LobbyVersionOf(other.data(), static_cast<int32_t>(other.size())), 1);
        other = bytes;
        other[0] = 'X';
        EXPECT_FALSE(Reads(other)) << kind << ": no magic";
        EXPECT_EQ(LobbyVersionOf(other.data(), static_cast<int32_t>(other.size())), -1);
    }
    for (int kind = 0; kind < 256; ++kind) {
        bool known = false;
        for (LobbyKind k : Kinds)
            known = known || k == kind;
        if (known)
            continue;
        std::vector<uint8_t> bytes = Written(Sample(LobbyHostRoom));
        bytes[4] = static_cast<uint8_t>(kind);
        EXPECT_FALSE(Reads(bytes)) << "kind " << kind;
    }
}

TEST(LobbyMessages, FieldsOutOfRangeAreRefused) {
    std::vector<uint8_t> bytes = Written(Sample(LobbyHostRoom));
    bytes[LobbyRequestSize - 1] = 1;
    EXPECT_FALSE(Reads(bytes)) << "padding not zero";
    bytes = Written(Sample(LobbyJoinRoom));
    for (char letter : {'0', '1', 'I', 'L', 'O', 'a', ' ', '\0'}) {
        bytes[9] = static_cast<uint8_t>(letter);
        EXPECT_FALSE(Reads(bytes)) << "code letter " << int(letter);
    }
    const std::vector<uint8_t> found = Written(Sample(LobbyPeerFound));
    // Seat at 19, token 20-27, family 28, address 29-44, port 45-46.
    std::vector<uint8_t> bad = found;
    bad[19] = 2;
    EXPECT_FALSE(Reads(bad)) << "seat 2";
    bad = found;
    std::memset(bad.data() + 20, 0, 8);
    EXPECT_FALSE(Reads(bad)) << "token 0";
    bad = found;
    bad[28] = 5;
    EXPECT_FALSE(Reads(bad)) << "family 5";
    bad = found;
    bad[40] = 1;
    EXPECT_FALSE(Reads(bad)) << "IPv4 with bytes past its four";
    bad = found;
    bad[45] = bad[46] = 0;
    EXPECT_FALSE(Reads(bad)) << "port 0";
    bad = Written(Sample(LobbyRefused));
    bad[9] = 0;
    EXPECT_FALSE(Reads(bad)) << "refusal 0";
    bad[9] = LobbyRefusalLast + 1;
    EXPECT_FALSE(Reads(bad)) << "refusal past the last";
}

TEST(LobbyMessages, FeedsAreLaidOutAndBoundedAsTheViewersRequestsAre) {
    // A viewer's Watch fills a datagram with zeros after its offset, so that
    // the largest piece answering it is no longer.
    const std::vector<uint8_t> watch = Written(Sample(LobbyWatch));
    ASSERT_EQ(watch.size(), static_cast<size_t>(LobbyWatchRequestSize));
    const std::vector<uint8_t> head = {'M', 'V', 'L', 3,   7,   1,   2,   3, 4, 'A', 'B', 'C',
                                       'D', 'E', '2', '3', '4', '5', '6', 0, 1, 2,   3};
    EXPECT_TRUE(std::equal(head.begin(), head.end(), watch.begin()));
    for (size_t at = head.size(); at < watch.size(); ++at)
        ASSERT_EQ(watch[at], 0) << at;
    std::vector<uint8_t> bad = watch;
    bad.back() = 1;
    EXPECT_FALSE(Reads(bad)) << "padding not zero";
    LobbyMessage feed = Sample(LobbyFeed);
    feed.offset = 0;
    feed.feedSize = LobbyFeedPieceMax;
    feed.payloadSize = LobbyFeedPieceMax;
    EXPECT_EQ(Written(feed).size(), watch.size()) << "the largest piece";
    EXPECT_LE(Written(Sample(LobbyFeedHeld)).size(), Written(Sample(LobbyFeedUp)).size());
    feed.payloadSize = LobbyFeedPieceMax + 1;
    feed.feedSize = LobbyFeedPieceMax + 1;
    EXPECT_EQ(Written(feed).size(), 0u) << "a piece past the largest";
    // Feed: nonce 5-8, code 9-18, offset 19-22, feedSize 23-26, ended 27.
    const std::vector<uint8_t> sample = Written(Sample(LobbyFeed));
    bad = sample;
    bad[23] = 0;
    bad[24] = 1;
    bad[25] = 2;
    bad[26] = 5;
    EXPECT_FALSE(Reads(bad)) << "the piece ends a byte past the bytes held";
    bad[26] = 6;
    EXPECT_TRUE(Reads(bad)) << "the piece ends where the bytes held do";
    // FeedUp: code 5-14, token 15-22, offset 23-26, ended 27.
    bad = Written(Sample(LobbyFeedUp));
    std::memset(bad.data() + 23, 0xff, 4);
    EXPECT_FALSE(Reads(bad)) << "a piece past 4 GiB";
    bad.resize(28);
    EXPECT_TRUE(Reads(bad)) << "no piece at the last offset";
    // FeedUp's ended at 27, FeedHeld's at 19.
    for (auto [kind, at] : {std::pair{LobbyFeed, 27}, {LobbyFeedUp, 27}, {LobbyFeedHeld, 19}}) {
        bad = Written(Sample(kind));
        ASSERT_EQ(bad[static_cast<size_t>(at)], 1) << kind;
        bad[static_cast<size_t>(at)] = 0;
        EXPECT_TRUE(Reads(bad)) << kind;
        bad[static_cast<size_t>(at)] = 2;
        EXPECT_FALSE(Reads(bad)) << kind << ": ended 2";
    }
    LobbyMessage up = Sample(LobbyFeedUp);
    up.token = 0;
    EXPECT_EQ(Written(up).size(), 0u) << "FeedUp without a token";
}

TEST(LobbyMessages, TheWriterWritesNothingTheReaderWouldRefuse) {
    LobbyMessage m = Sample(LobbyPoll);
    m.token = 0;
    EXPECT_EQ(Written(m).size(), 0u);
    m = Sample(LobbyRelayUp);
    m.payloadSize = LobbyPayloadMax + 1;
    EXPECT_EQ(Written(m).size(), 0u);
    m.payloadSize = LobbyPayloadMax;
    EXPECT_EQ(Written(m).size(), static_cast<size_t>(host::NetDatagramMax));
    m = Sample(LobbyJoinRoom);
    m.code[0] = 'O';
    EXPECT_EQ(Written(m).size(), 0u);
    m = Sample(LobbyNone);
    EXPECT_EQ(Written(m).size(), 0u);
}

TEST(LobbyMessages, ARefusedReadLeavesTheMessageAsItWas) {
    LobbyMessage m = Sample(LobbyPeerFound);
    std::vector<uint8_t> bytes = Written(Sample(LobbyJoinRoom));
    bytes[10] = 'O';
    EXPECT_FALSE(ReadLobbyMessage(bytes.data(), static_cast<int32_t>(bytes.size()), m));
    EXPECT_EQ(m.kind, LobbyPeerFound);
    EXPECT_EQ(m.token, 0x1122334455667788ULL);
}

TEST(LobbyCodes, TypedCodesAreTakenInAnyCaseWithDashesAndSpaces) {
    char code[LobbyCodeLength];
    ASSERT_TRUE(LobbyCodeOfText("abcde-23456", code));
    EXPECT_EQ(std::string(code, LobbyCodeLength), "ABCDE23456");
    EXPECT_EQ(LobbyCodeText(code), "ABCDE-23456");
    EXPECT_TRUE(LobbyCodeOfText(" AB CDE 2345 6 ", code));
    for (const char* bad : {"ABCDE-2345", "ABCDE-234567", "ABCDO-23456", "ABCDE_23456", ""})
        EXPECT_FALSE(LobbyCodeOfText(bad, code)) << bad;
}

}  // namespace
