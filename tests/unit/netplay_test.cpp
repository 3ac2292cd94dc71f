// Online play's core: the snapshot restores every field a tick reads, the
// sync test catches state kept outside it, the session's rollbacks end in
// the state of the real inputs, and the datagram reader drops whatever is
// not a whole datagram of its session from its peer.
#include <gtest/gtest.h>

#include <vector>

#include "netplay/peer_datagrams.h"
#include "netplay/session.h"
#include "netplay/sync_test.h"
#include "netplay/wire.h"
#include "platform/headless/headless.h"
#include "state/program_state.h"
#include "tests/unit/test_support.h"

namespace {

void RunBothSides(const TickInput inputs[2]) {
    for (int32_t side = 0; side < 2; ++side)
        for (int32_t bit = 0; bit < TickKeyCount; ++bit)
            if (const int code = TickKeyCode(side, bit))
                headless::SetKeyDown(code, (inputs[side].keys >> bit) & 1);
    headless::StepTick();
}

uint32_t StateNow() {
    StateSnapshot now;
    SaveGameState(now);
    return SnapshotChecksum(now);
}

// Drives right and fires for a while, then turns: inputs that change.
TickInput Scripted(int32_t tick, int32_t side) {
    const uint16_t drive = uint16_t(1u << ((tick / 37 + side) % 4));
    const uint16_t fire = tick % 5 == 0 ? uint16_t(1u << 9) : 0;
    return {.keys = uint16_t(drive | fire), .commands = 0};
}

TEST(StateSnapshot, BringsBackTheStateOfItsTick) {
    StartGame(7);
    StateSnapshot start;
    SaveGameState(start);
    const uint32_t before = SnapshotChecksum(start);
    headless::SetKeyDown(platform::VK_SPACE, true);
    Ticks(150);
    EXPECT_NE(StateNow(), before);
    ASSERT_TRUE(RestoreGameState(start));
    EXPECT_EQ(StateNow(), before);
    // A snapshot cut short is refused.
    start.resize(start.size() / 2);
    EXPECT_FALSE(RestoreGameState(start));
}

TEST(SyncTest, PassesForTheGameAndCatchesStateKeptOutsideTheSnapshot) {
    StartGame(3);
    SyncTest test;
    StartSyncTest(test, 6);
    std::vector<bool> fire(400);
    for (size_t i = 0; i < fire.size(); ++i)
        fire[i] = i % 7 < 3;
    const SyncTickRunner honest = [&](int64_t index, bool) {
        headless::SetKeyDown(platform::VK_SPACE, fire[size_t(index)]);
        headless::SetKeyDown(platform::VK_LEFT, index % 90 < 40);
        headless::StepTick();
    };
    for (int i = 0; i < 300; ++i)
        ASSERT_TRUE(SyncTestTick(test, honest)) << "tick " << i;
    EXPECT_EQ(test.firstMismatch, -1);
    EXPECT_GT(test.ticksRunAgain, 300 * 5);

    // A counter the snapshot does not hold that feeds the state: running a
    // tick again gives another state, and the test names that tick.
    int32_t hidden = 0;
    const SyncTickRunner leaky = [&](int64_t, bool) {
        headless::StepTick();
        MouseX = hidden++;
    };
    EXPECT_FALSE(SyncTestTick(test, leaky));
    EXPECT_EQ(test.firstMismatch, 300 - 6 + 1);
}

// Both sides' inputs known late by the session: its rollbacks end where a
// plain run of the real inputs ends.
TEST(RollbackSession, LateInputsEndInTheStateOfThePlainRun) {
    StartGame(5);
    StateSnapshot start;
    SaveGameState(start);
    constexpr int32_t Ticks = 400;
    constexpr int32_t Delay = 2;
    for (int32_t tick = 0; tick < Ticks; ++tick) {
        TickInput inputs[2] = {tick < Delay ? TickInput{} : Scripted(tick - Delay, 0),
                               tick < Delay ? TickInput{} : Scripted(tick - Delay, 1)};
        RunBothSides(inputs);
    }
    const uint32_t plain = StateNow();

    ASSERT_TRUE(RestoreGameState(start));
    RollbackSession session;
    StartSession(session, 0, Delay, RunBothSides);
    session.endTick = Ticks;
    // The other's input arrives 7 ticks late: every change is a rollback.
    constexpr int32_t Late = 7;
    for (int32_t wall = 0; wall < Ticks + Late + 1; ++wall) {
        if (wall < Ticks) {
            ASSERT_TRUE(AddLocalInput(session, Scripted(wall, 0)));
        }
        const int32_t arrived = wall - Late;
        // The other's first ticks, before its delay, have no input.
        if (arrived == 0)
            for (int32_t t = 0; t < Delay; ++t)
                AddRemoteInput(session, t, {});
        if (arrived >= 0 && arrived < Ticks)
            AddRemoteInput(session, arrived + Delay, Scripted(arrived, 1));
        AdvanceSession(session);
    }
    EXPECT_TRUE(SessionSettled(session)) << session.tick << " " << session.remoteConfirmed;
    EXPECT_EQ(StateNow(), plain);
    EXPECT_GT(session.stats.rollbacks, 5);
    EXPECT_LE(session.stats.deepestRollback, PredictionLimit);
    EXPECT_EQ(session.stats.waits, 0);
}

TEST(RollbackSession, WaitsAtThePredictionLimitAndTakesInputsInOrder) {
    StartGame(1);
    RollbackSession session;
    StartSession(session, 1, 0, RunBothSides);
    for (int32_t wall = 0; wall < 20; ++wall) {
        AddLocalInput(session, {});
        AdvanceSession(session);
    }
    EXPECT_EQ(session.tick, PredictionLimit);
    EXPECT_TRUE(session.waiting);
    EXPECT_GT(session.stats.waits, 0);
    // A gap or a repeat is not taken; the next in order is, and play resumes.
    EXPECT_FALSE(AddRemoteInput(session, 3, {}));
    EXPECT_TRUE(AddRemoteInput(session, 0, {}));
    EXPECT_FALSE(AddRemoteInput(session, 0, {}));
    AddLocalInput(session, {});
    EXPECT_TRUE(AdvanceSession(session));
    EXPECT_FALSE(session.waiting);
}

TEST(RollbackSession, ADifferentChecksumOfTheOtherIsADesync) {
    StartGame(1);
    RollbackSession session;
    StartSession(session, 0, 0, RunBothSides);
    for (int32_t wall = 0; wall < 3; ++wall) {
        AddLocalInput(session, {});
        AddRemoteInput(session, wall, {});
        AdvanceSession(session);
    }
    const TickChecksum own = LatestChecksum(session);
    ASSERT_EQ(own.tick, 0);
    AddRemoteChecksum(session, own);
    EXPECT_EQ(session.desyncTick, -1);
    AddRemoteChecksum(session, {.tick = 0, .value = own.value + 1});
    EXPECT_EQ(session.desyncTick, 0);
}

TEST(RollbackSession, TheLeadingPeerStretchesItsTicks) {
    RollbackSession session;
    StartSession(session, 0, 2, RunBothSides);
    EXPECT_EQ(RecommendedTickLengthUs(session), TickLengthUs);
    session.tick = 40;
    NoteRemoteProgress(session, 34, -6);
    EXPECT_GT(RecommendedTickLengthUs(session), TickLengthUs);
    EXPECT_LE(RecommendedTickLengthUs(session), TickLengthUs + MaxTickStretchUs);
}

Datagram SomeInputs() {
    Datagram d;
    d.sessionId = 77;
    d.side = 1;
    d.tick = 1000;
    d.advantage = -3;
    d.ack = 990;
    d.firstTick = 995;
    d.inputCount = MaxInputsPerDatagram;
    for (int32_t i = 0; i < d.inputCount; ++i)
        d.inputs[size_t(i)] = {.keys = uint16_t(i * 61 % 4096), .commands = uint8_t(i % 2)};
    d.checksumTick = 960;
    d.checksum = 0xDEADBEEF;
    return d;
}

TEST(Wire, ADatagramReadsBackWholeAndNothingElseDoes) {
    const Datagram d = SomeInputs();
    uint8_t bytes[MaxDatagramBytes];
    const size_t size = WriteDatagram(d, bytes);
    ASSERT_GT(size, 0u);
    ASSERT_LE(size, MaxDatagramBytes);
    Datagram back;
    ASSERT_TRUE(ReadDatagram(bytes, size, 77, 1, back));
    EXPECT_EQ(back.tick, 1000);
    EXPECT_EQ(back.advantage, -3);
    EXPECT_EQ(back.inputs, d.inputs);
    EXPECT_EQ(back.checksum, 0xDEADBEEFu);
    // Another session, the receiver's own side, any shorter length, any
    // changed byte: dropped.
    EXPECT_FALSE(ReadDatagram(bytes, size, 78, 1, back));
    EXPECT_FALSE(ReadDatagram(bytes, size, 77, 0, back));
    for (size_t length = 0; length < size; ++length)
        EXPECT_FALSE(ReadDatagram(bytes, length, 77, 1, back)) << length;
    for (size_t at = 0; at < size; ++at) {
        bytes[at] ^= 0x10;
        EXPECT_FALSE(ReadDatagram(bytes, size, 77, 1, back)) << at;
        bytes[at] ^= 0x10;
    }
}

TEST(Wire, TheWriterRefusesWhatNoReaderTakes) {
    uint8_t bytes[MaxDatagramBytes];
    Datagram d = SomeInputs();
    d.inputCount = MaxInputsPerDatagram + 1;
    EXPECT_EQ(WriteDatagram(d, bytes), 0u);
    d = SomeInputs();
    d.inputs[3].keys = 0x8000;
    EXPECT_EQ(WriteDatagram(d, bytes), 0u);
    d = SomeInputs();
    d.side = 2;
    EXPECT_EQ(WriteDatagram(d, bytes), 0u);
}

TEST(Wire, ABoxesDatagramReadsBackAndHoldsOnlyBoxesThatCanBe) {
    Datagram d;
    d.kind = BoxesDatagram;
    d.sessionId = 77;
    d.side = 0;
    d.boxCount = 2;
    d.boxes[0] = {.tick = 0, .ordinal = 0};
    d.boxes[1] = {.tick = 123456, .ordinal = MaxBoxOrdinal};
    uint8_t bytes[MaxDatagramBytes];
    const size_t size = WriteDatagram(d, bytes);
    ASSERT_GT(size, 0u);
    Datagram back;
    ASSERT_TRUE(ReadDatagram(bytes, size, 77, 0, back));
    EXPECT_EQ(back.boxCount, 2);
    EXPECT_EQ(back.boxes[1], d.boxes[1]);
    for (size_t length = 0; length < size; ++length)
        EXPECT_FALSE(ReadDatagram(bytes, length, 77, 0, back)) << length;
    for (int32_t count : {0, MaxBoxesPerDatagram + 1}) {
        d.boxCount = count;
        EXPECT_EQ(WriteDatagram(d, bytes), 0u) << count;
    }
    d.boxCount = 1;
    for (BoxKey bad : {BoxKey{.tick = -1}, BoxKey{.tick = 5, .ordinal = MaxBoxOrdinal + 1},
                       BoxKey{.tick = 5, .ordinal = -1}}) {
        d.boxes[0] = bad;
        EXPECT_EQ(WriteDatagram(d, bytes), 0u) << bad.tick << " " << bad.ordinal;
    }
}

TEST(Wire, APeerOfAnotherVersionIsRefusedNamingBoth) {
    Datagram hello;
    hello.kind = HelloDatagram;
    hello.rulesHash = RulesHash();
    std::string message;
    EXPECT_TRUE(PeerAccepted(hello, message));
    hello.protocol = ProtocolVersion + 1;
    hello.rulesHash = RulesHash() ^ 1;
    EXPECT_FALSE(PeerAccepted(hello, message));
    char theirs[16];
    std::snprintf(theirs, sizeof theirs, "%08x", unsigned(RulesHash() ^ 1));
    EXPECT_NE(message.find(theirs), std::string::npos) << message;
    EXPECT_NE(message.find("protocol 2"), std::string::npos) << message;
}

TEST(PeerDatagrams, AForgedAcknowledgementIsHeldToWhatWasSent) {
    RollbackSession session;
    StartSession(session, 0, 2, RunBothSides);
    Datagram d;
    d.ack = 1000000;
    TakeInputs(session, d);
    EXPECT_EQ(session.remoteAcked, session.localInputEnd);
    const Datagram out = InputsOf(session, 5);
    EXPECT_EQ(out.inputCount, 0);
}

}  // namespace
