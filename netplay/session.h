// The rollback session: each peer runs every tick at once with its own input
// and the other's last one as a guess; when the other's real input comes and
// differs, the state of that tick comes back and the ticks since run again.
#pragma once

#include <array>
#include <cstdint>

#include "netplay/state_snapshot.h"
#include "netplay/tick_input.h"

inline constexpr int32_t DefaultInputDelay = 2;
inline constexpr int32_t MaxInputDelay = 8;
// How far a peer runs ahead of the other's last real input before it waits.
inline constexpr int32_t PredictionLimit = 12;
// The ticks whose inputs are kept: more than the unacknowledged inputs of a
// peer can ever span (its delay, its lead and the other's lead).
inline constexpr int32_t InputRing = 128;
// The states kept: one more than the deepest rollback.
inline constexpr int32_t SnapshotRing = 32;
// A checksum of the state is exchanged at every tick that is a multiple of
// this, once both inputs before it are known.
inline constexpr int32_t ChecksumInterval = 64;
inline constexpr int32_t ChecksumsKept = 8;
// The tick's length at 100 ticks per second, and the most a tick is
// stretched by to let the other peer catch up.
inline constexpr int32_t TickLengthUs = 10000;
inline constexpr int32_t MaxTickStretchUs = 2000;

// Runs one tick of play with both sides' inputs: the program puts the keys
// where the rules poll them and steps the game.
using TickRunner = void (*)(const TickInput inputs[2]);

struct SessionStats {
    int64_t ticksRun = 0;
    int64_t rollbacks = 0;
    int64_t ticksRunAgain = 0;
    int32_t deepestRollback = 0;
    int64_t waits = 0;
};

struct TickChecksum {
    int32_t tick = -1;
    uint32_t value = 0;
};

struct RollbackSession {
    int32_t localSide = 0;
    int32_t inputDelay = DefaultInputDelay;
    TickRunner run = nullptr;
    // The next tick to run, and the first that never runs (the end of a
    // recorded or tested run).
    int32_t tick = 0;
    int32_t endTick = 0x7FFFFFFF;
    // The first of this peer's ticks whose input the other has not
    // acknowledged: what the next datagram carries from.
    int32_t remoteAcked = 0;
    // Ticks below these have the local input, the other's real input.
    int32_t localInputEnd = 0;
    int32_t remoteConfirmed = 0;
    // The earliest tick run with a guess that the real input proved wrong.
    int32_t firstWrong = -1;
    std::array<TickInput, InputRing> local{};
    std::array<TickInput, InputRing> remote{};
    std::array<TickInput, InputRing> remoteUsed{};
    std::array<StateSnapshot, SnapshotRing> snapshots;
    // True when the last advance waited for the other's input: the status
    // says so.
    bool waiting = false;
    // The other peer's progress as it last told it.
    int32_t remoteTick = 0;
    int32_t remoteAdvantage = 0;
    // Own checksums by tick, the next tick due, and the other's not yet
    // compared; the tick of the first that differs (-1 none).
    std::array<TickChecksum, ChecksumsKept> checksums{};
    int32_t nextChecksumTick = 0;
    std::array<TickChecksum, ChecksumsKept> remoteChecksums{};
    int32_t desyncTick = -1;
    SessionStats stats;
    // The tick being run (first run or again), for a program that must know
    // which tick a box opens in.
    int32_t runningTick = -1;
};

// A session from the state the game is in now, which both peers must share.
// The delay is held to 0..MaxInputDelay.
void StartSession(RollbackSession& session, int32_t localSide, int32_t inputDelay, TickRunner run);

// This peer's input for the next tick it has none for (the tick now run
// plus the delay); false when it has one for every tick up to there (the
// session waited), and the input is not taken.
bool AddLocalInput(RollbackSession& session, TickInput input);
// The other's real input of a tick. Inputs are taken in order: one already
// known, or one beyond the next expected, changes nothing (false).
bool AddRemoteInput(RollbackSession& session, int32_t tick, TickInput input);
// The local input of a tick kept in the ring (for sending); the tick must be
// below localInputEnd and within InputRing of it.
TickInput LocalInputAt(const RollbackSession& session, int32_t tick);

// Rolls back when a guess was wrong, then runs the next tick unless the
// other's input lags by the prediction limit or this peer has no input for
// it; true when a tick ran.
bool AdvanceSession(RollbackSession& session);

// How far this peer runs ahead of the other, as it sees it: its tick less the
// other's last told one. Both peers see the same latency, so half the
// difference of the two views is the lead, whatever the latency.
int32_t FrameAdvantage(const RollbackSession& session);
void NoteRemoteProgress(RollbackSession& session, int32_t remoteTick, int32_t remoteAdvantage);
// The length the next tick should take: a peer in the lead stretches its
// ticks slightly until the other catches up.
int32_t RecommendedTickLengthUs(const RollbackSession& session);

// The newest own checksum not yet known to be sent (tick -1 when none), and
// the other's checksum of a tick, compared with the own one as soon as both
// are known.
TickChecksum LatestChecksum(const RollbackSession& session);
void AddRemoteChecksum(RollbackSession& session, TickChecksum checksum);

// True when every tick up to the end has run with both real inputs.
bool SessionSettled(const RollbackSession& session);
