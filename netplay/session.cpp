// The rollback session's steps: inputs in, guesses, rollbacks, the wait at
// the prediction limit, the checksums and the tick's stretch.
#include "netplay/session.h"

#include <algorithm>

#include "state/program_state.h"

namespace {

int32_t Slot(int32_t tick, int32_t ring) {
    return tick % ring;
}

// The other's input for a tick: the real one when known, else its last real
// one's keys (a command such as the pause is never guessed).
TickInput RemoteGuess(const RollbackSession& s, int32_t tick) {
    if (tick < s.remoteConfirmed)
        return s.remote[Slot(tick, InputRing)];
    if (s.remoteConfirmed == 0)
        return {};
    return {.keys = s.remote[Slot(s.remoteConfirmed - 1, InputRing)].keys, .commands = 0};
}

// Saves the state before the tick, then runs it with both inputs.
void RunTick(RollbackSession& s, int32_t tick) {
    SaveGameState(s.snapshots[Slot(tick, SnapshotRing)]);
    const TickInput remote = RemoteGuess(s, tick);
    s.remoteUsed[Slot(tick, InputRing)] = remote;
    TickInput inputs[2];
    inputs[s.localSide] = s.local[Slot(tick, InputRing)];
    inputs[1 - s.localSide] = remote;
    ApplyTickCommands(inputs);
    s.runningTick = tick;
    s.run(inputs);
}

// Back to the state before the first wrongly guessed tick, and every tick
// since run again with what is now known, silently.
void RollBack(RollbackSession& s) {
    const int32_t from = s.firstWrong;
    s.firstWrong = -1;
    const int32_t depth = s.tick - from;
    RestoreGameState(s.snapshots[Slot(from, SnapshotRing)]);
    TickRunAgain = true;
    for (int32_t tick = from; tick < s.tick; ++tick)
        RunTick(s, tick);
    TickRunAgain = false;
    s.stats.rollbacks += 1;
    s.stats.ticksRunAgain += depth;
    s.stats.deepestRollback = std::max(s.stats.deepestRollback, depth);
}

void CompareChecksums(RollbackSession& s, int32_t tick) {
    const int32_t slot = Slot(tick / ChecksumInterval, ChecksumsKept);
    const TickChecksum& own = s.checksums[slot];
    const TickChecksum& other = s.remoteChecksums[slot];
    if (own.tick == tick && other.tick == tick && own.value != other.value && s.desyncTick < 0)
        s.desyncTick = tick;
}

// The checksum of the state before a tick that is due, once every input
// before it is real and no rollback below it waits.
void TakeDueChecksum(RollbackSession& s) {
    const int32_t due = s.nextChecksumTick;
    if (s.firstWrong >= 0 || s.remoteConfirmed < due || s.tick <= due)
        return;
    s.nextChecksumTick = due + ChecksumInterval;
    // Never so far behind while the other's inputs come in order; skipped
    // rather than taken from a state already overwritten.
    if (s.tick - due >= SnapshotRing)
        return;
    TickChecksum& own = s.checksums[Slot(due / ChecksumInterval, ChecksumsKept)];
    own = {.tick = due, .value = SnapshotChecksum(s.snapshots[Slot(due, SnapshotRing)])};
    CompareChecksums(s, due);
}

}  // namespace

void StartSession(RollbackSession& session, int32_t localSide, int32_t inputDelay, TickRunner run) {
    session = RollbackSession{};
    session.localSide = localSide == 1 ? 1 : 0;
    session.inputDelay = std::clamp(inputDelay, 0, MaxInputDelay);
    session.run = run;
    // The first ticks, before any input can arrive through the delay, are
    // played with none on either side.
    session.localInputEnd = session.inputDelay;
}

bool AddLocalInput(RollbackSession& session, TickInput input) {
    if (session.localInputEnd > session.tick + session.inputDelay)
        return false;
    session.local[Slot(session.localInputEnd, InputRing)] = input;
    session.localInputEnd += 1;
    return true;
}

bool AddRemoteInput(RollbackSession& session, int32_t tick, TickInput input) {
    if (tick != session.remoteConfirmed || tick - session.tick >= InputRing / 2)
        return false;
    session.remote[Slot(tick, InputRing)] = input;
    session.remoteConfirmed += 1;
    if (tick < session.tick && !(session.remoteUsed[Slot(tick, InputRing)] == input) &&
        (session.firstWrong < 0 || tick < session.firstWrong))
        session.firstWrong = tick;
    return true;
}

TickInput LocalInputAt(const RollbackSession& session, int32_t tick) {
    return session.local[Slot(tick, InputRing)];
}

bool AdvanceSession(RollbackSession& session) {
    if (session.firstWrong >= 0)
        RollBack(session);
    TakeDueChecksum(session);
    session.waiting =
        session.tick - session.remoteConfirmed >= PredictionLimit && session.tick < session.endTick;
    if (session.waiting) {
        session.stats.waits += 1;
        return false;
    }
    if (session.tick >= session.localInputEnd || session.tick >= session.endTick)
        return false;
    RunTick(session, session.tick);
    session.tick += 1;
    session.stats.ticksRun += 1;
    TakeDueChecksum(session);
    return true;
}

int32_t FrameAdvantage(const RollbackSession& session) {
    return session.tick - session.remoteTick;
}

void NoteRemoteProgress(RollbackSession& session, int32_t remoteTick, int32_t remoteAdvantage) {
    if (remoteTick < session.remoteTick)
        return;
    session.remoteTick = remoteTick;
    session.remoteAdvantage = remoteAdvantage;
}

int32_t RecommendedTickLengthUs(const RollbackSession& session) {
    const int32_t lead = (FrameAdvantage(session) - session.remoteAdvantage) / 2;
    if (lead < 1)
        return TickLengthUs;
    return TickLengthUs + std::min(MaxTickStretchUs, lead * MaxTickStretchUs / 4);
}

TickChecksum LatestChecksum(const RollbackSession& session) {
    const int32_t last = session.nextChecksumTick - ChecksumInterval;
    if (last < 0)
        return {};
    return session.checksums[Slot(last / ChecksumInterval, ChecksumsKept)];
}

void AddRemoteChecksum(RollbackSession& session, TickChecksum checksum) {
    if (checksum.tick < 0 || checksum.tick % ChecksumInterval != 0)
        return;
    session.remoteChecksums[Slot(checksum.tick / ChecksumInterval, ChecksumsKept)] = checksum;
    CompareChecksums(session, checksum.tick);
}

bool SessionSettled(const RollbackSession& session) {
    return session.tick >= session.endTick && session.remoteConfirmed >= session.endTick &&
           session.firstWrong < 0;
}
