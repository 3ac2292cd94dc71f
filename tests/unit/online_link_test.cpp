// One peer's side of an online game: the handshake both ways, a refusal that
// names both versions, and a silent or diverging peer stopping the game.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "hosting/online_link.h"
#include "netplay/wire.h"

namespace {

constexpr uint32_t Session = 77;

// Sends what the sender has now to the receiver; returns the receiver's reply.
size_t Deliver(OnlineLink& from, RollbackSession& fromSession, OnlineLink& to,
               RollbackSession& toSession, int64_t nowUs, uint8_t* reply) {
    uint8_t bytes[MaxDatagramBytes];
    const size_t size = OnlineDatagramToSend(from, fromSession, bytes);
    return size ? TakeOnlineDatagram(to, toSession, bytes, size, nowUs, reply) : 0;
}

TEST(OnlineLink, TheHelloIsWelcomedAndALostWelcomeIsSentAgain) {
    OnlineLink host, joiner;
    RollbackSession hostSession, joinerSession;
    StartOnlineLink(host, true, Session, 0);
    StartOnlineLink(joiner, false, Session, 0);
    uint8_t bytes[MaxDatagramBytes];
    EXPECT_EQ(OnlineDatagramToSend(host, hostSession, bytes), 0u);  // the host only answers

    uint8_t reply[MaxDatagramBytes];
    ASSERT_GT(Deliver(joiner, joinerSession, host, hostSession, 1000, reply), 0u);
    EXPECT_EQ(host.phase, OnlinePlaying);
    // The welcome is lost: the joiner greets again and is answered again.
    const size_t again = Deliver(joiner, joinerSession, host, hostSession, 2000, reply);
    ASSERT_GT(again, 0u);
    EXPECT_EQ(TakeOnlineDatagram(joiner, joinerSession, reply, again, 3000, bytes), 0u);
    EXPECT_EQ(joiner.phase, OnlinePlaying);
    EXPECT_EQ(host.phase, OnlinePlaying);
}

TEST(OnlineLink, TheWelcomeTellsTheJoinerTheHostsSeedAndAPunchingHostGreets) {
    OnlineLink host, joiner;
    RollbackSession session;
    StartOnlineLink(host, true, Session, 0);
    StartOnlineLink(joiner, false, Session, 0);
    host.seed = 0x5EED1234;
    host.punching = true;
    uint8_t bytes[MaxDatagramBytes], reply[MaxDatagramBytes];
    // The host's own greeting opens its router's way and changes nothing for
    // the joiner, who still waits for the welcome.
    ASSERT_GT(OnlineDatagramToSend(host, session, bytes), 0u);
    EXPECT_EQ(Deliver(host, session, joiner, session, 500, reply), 0u);
    EXPECT_EQ(joiner.phase, OnlineGreeting);
    const size_t welcome = Deliver(joiner, session, host, session, 1000, reply);
    ASSERT_GT(welcome, 0u);
    TakeOnlineDatagram(joiner, session, reply, welcome, 1500, bytes);
    EXPECT_EQ(joiner.phase, OnlinePlaying);
    EXPECT_EQ(joiner.seed, 0x5EED1234u);
}

TEST(OnlineLink, APeerOfAnotherVersionIsRefusedOnBothSidesNamingBoth) {
    OnlineLink host, joiner;
    RollbackSession session;
    StartOnlineLink(host, true, Session, 0);
    Datagram hello;
    hello.kind = HelloDatagram;
    hello.sessionId = Session;
    hello.side = 1;
    hello.protocol = ProtocolVersion + 1;
    hello.rulesHash = RulesHash() ^ 1;
    uint8_t bytes[MaxDatagramBytes], reply[MaxDatagramBytes];
    const size_t size = WriteDatagram(hello, bytes);
    const size_t answer = TakeOnlineDatagram(host, session, bytes, size, 10, reply);
    ASSERT_GT(answer, 0u);
    EXPECT_EQ(host.phase, OnlineStopped);
    char theirs[16];
    std::snprintf(theirs, sizeof theirs, "%08x", unsigned(RulesHash() ^ 1));
    EXPECT_NE(host.message.find(theirs), std::string::npos) << host.message;

    // The joiner reads the host's refusal: its own version is the other one.
    StartOnlineLink(joiner, false, Session, 0);
    Datagram refuse;
    refuse.kind = RefuseDatagram;
    refuse.sessionId = Session;
    refuse.side = 0;
    refuse.rulesHash = RulesHash() ^ 2;
    const size_t refused = WriteDatagram(refuse, bytes);
    EXPECT_EQ(TakeOnlineDatagram(joiner, session, bytes, refused, 20, reply), 0u);
    EXPECT_EQ(joiner.phase, OnlineStopped);
    std::snprintf(theirs, sizeof theirs, "%08x", unsigned(RulesHash() ^ 2));
    EXPECT_NE(joiner.message.find(theirs), std::string::npos) << joiner.message;
    EXPECT_FALSE(OnlineLinkAlive(joiner, session, 30));
}

TEST(OnlineLink, ASilentPeerStopsTheGameButAWaitingHostWaitsAndAStartingGameHasLonger) {
    OnlineLink host, joiner;
    RollbackSession hostSession, joinerSession;
    StartOnlineLink(host, true, Session, 0);
    StartOnlineLink(joiner, false, Session, 0);
    // Nobody has joined yet: the host waits as long as it takes.
    EXPECT_TRUE(OnlineLinkAlive(host, hostSession, 60 * SilentPeerUs));
    uint8_t reply[MaxDatagramBytes], bytes[MaxDatagramBytes];
    const size_t welcome = Deliver(joiner, joinerSession, host, hostSession, 100, reply);
    TakeOnlineDatagram(joiner, joinerSession, reply, welcome, 100, bytes);
    // Met, but the other's game has not sent its first inputs: its window
    // may still be opening, and it has longer than a running game.
    OnlineLink opening = host;
    EXPECT_TRUE(OnlineLinkAlive(opening, hostSession, 100 + FirstInputsPatienceUs - 1));
    EXPECT_FALSE(OnlineLinkAlive(opening, hostSession, 100 + FirstInputsPatienceUs));
    ASSERT_GT(FirstInputsPatienceUs, 2 * SilentPeerUs);
    joinerSession.localSide = 1;
    const size_t inputs = OnlineDatagramToSend(joiner, joinerSession, bytes);
    TakeOnlineDatagram(host, hostSession, bytes, inputs, 1000, reply);
    // Bytes of another session or garbage do not count as hearing the peer.
    Datagram stranger;
    stranger.sessionId = Session + 1;
    stranger.side = 1;
    const size_t strange = WriteDatagram(stranger, bytes);
    TakeOnlineDatagram(host, hostSession, bytes, strange, 1000 + SilentPeerUs - 10, reply);
    EXPECT_TRUE(OnlineLinkAlive(host, hostSession, 1000 + SilentPeerUs - 1));
    EXPECT_FALSE(OnlineLinkAlive(host, hostSession, 1000 + SilentPeerUs + 100));
    EXPECT_EQ(host.phase, OnlineStopped);
    EXPECT_NE(host.message.find("sent nothing for 3 s"), std::string::npos) << host.message;
    EXPECT_EQ(OnlineDatagramToSend(host, hostSession, bytes), 0u);
}

TEST(OnlineLink, ADesyncStopsTheGameNamingTheTick) {
    OnlineLink link;
    RollbackSession session;
    StartOnlineLink(link, false, Session, 0);
    EXPECT_TRUE(OnlineLinkAlive(link, session, 10));
    session.desyncTick = 128;
    EXPECT_FALSE(OnlineLinkAlive(link, session, 20));
    EXPECT_NE(link.message.find("tick 128"), std::string::npos) << link.message;
}

// Both peers met: the joiner's hello welcomed, both playing.
void Meet(OnlineLink& host, OnlineLink& joiner, RollbackSession& session) {
    StartOnlineLink(host, true, Session, 0);
    StartOnlineLink(joiner, false, Session, 0);
    uint8_t reply[MaxDatagramBytes], bytes[MaxDatagramBytes];
    const size_t welcome = Deliver(joiner, session, host, session, 10, reply);
    TakeOnlineDatagram(joiner, session, reply, welcome, 10, bytes);
}

TEST(OnlineLink, ABoxAnsweredOnOneSideClosesThatBoxOnlyOnTheOther) {
    OnlineLink host, joiner;
    RollbackSession session;
    Meet(host, joiner, session);
    uint8_t bytes[MaxDatagramBytes], reply[MaxDatagramBytes];
    EXPECT_EQ(BoxesDatagramToSend(host, 100, bytes), 0u);  // nothing answered yet
    const BoxKey pause{.tick = 700, .ordinal = 0};
    NoteBoxClosedHere(host, pause, 1000);
    const size_t size = BoxesDatagramToSend(host, 1000, bytes);
    ASSERT_GT(size, 0u);
    EXPECT_FALSE(BoxClosedThere(joiner, pause));
    TakeOnlineDatagram(joiner, session, bytes, size, 1000, reply);
    EXPECT_TRUE(BoxClosedThere(joiner, pause));
    // Another box of the same tick, or the same place in another tick, is
    // still the players' to answer; and the sender's own view is unchanged.
    EXPECT_FALSE(BoxClosedThere(joiner, {.tick = 700, .ordinal = 1}));
    EXPECT_FALSE(BoxClosedThere(joiner, {.tick = 701, .ordinal = 0}));
    EXPECT_FALSE(BoxClosedThere(host, pause));
    // Told for a while after the last answer (losses cost nothing), then not.
    EXPECT_GT(BoxesDatagramToSend(host, 1000 + SilentPeerUs - 1, bytes), 0u);
    EXPECT_EQ(BoxesDatagramToSend(host, 1000 + SilentPeerUs, bytes), 0u);
}

TEST(OnlineLink, TheNewestBoxesAreToldAndInputsWaitWhileABoxHolds) {
    OnlineLink host, joiner;
    RollbackSession hostSession, joinerSession;
    Meet(host, joiner, hostSession);
    for (int32_t tick = 1; tick <= MaxBoxesPerDatagram + 2; ++tick)
        NoteBoxClosedHere(host, {.tick = tick * 10}, tick);
    uint8_t bytes[MaxDatagramBytes], reply[MaxDatagramBytes];
    const size_t size = BoxesDatagramToSend(host, 100, bytes);
    TakeOnlineDatagram(joiner, joinerSession, bytes, size, 100, reply);
    EXPECT_FALSE(BoxClosedThere(joiner, {.tick = 10}));
    EXPECT_FALSE(BoxClosedThere(joiner, {.tick = 20}));
    for (int32_t tick = 3; tick <= MaxBoxesPerDatagram + 2; ++tick)
        EXPECT_TRUE(BoxClosedThere(joiner, {.tick = tick * 10})) << tick;

    // The host's inputs reach the joiner's session only when no box holds it,
    // yet either way the joiner has heard from the host.
    StartSession(hostSession, 0, 2, nullptr);
    StartSession(joinerSession, 1, 2, nullptr);
    const size_t inputs = OnlineDatagramToSend(host, hostSession, bytes);
    joiner.holdingInputs = true;
    TakeOnlineDatagram(joiner, joinerSession, bytes, inputs, 5000, reply);
    EXPECT_EQ(joinerSession.remoteConfirmed, 0);
    EXPECT_EQ(joiner.lastHeardUs, 5000);
    joiner.holdingInputs = false;
    TakeOnlineDatagram(joiner, joinerSession, bytes, inputs, 6000, reply);
    EXPECT_EQ(joinerSession.remoteConfirmed, 2);
}

}  // namespace
