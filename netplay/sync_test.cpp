// Rolling back and running again each tick, checksums compared.
#include "netplay/sync_test.h"

#include <algorithm>

#include "state/program_state.h"

namespace {

size_t Slot(const SyncTest& test, int64_t tick) {
    return size_t(tick % int64_t(test.before.size()));
}

}  // namespace

void StartSyncTest(SyncTest& test, int32_t depth) {
    test = SyncTest{};
    test.depth = std::clamp(depth, 1, MaxSyncTestDepth);
    test.before.resize(size_t(test.depth));
    test.after.resize(size_t(test.depth));
}

bool SyncTestTick(SyncTest& test, const SyncTickRunner& run) {
    const int64_t tick = test.ticks++;
    SaveGameState(test.before[Slot(test, tick)]);
    run(tick, false);
    SaveGameState(test.scratch);
    test.after[Slot(test, tick)] = SnapshotChecksum(test.scratch);
    const int64_t from = std::max(test.base, tick - test.depth + 1);
    RestoreGameState(test.before[Slot(test, from)]);
    TickRunAgain = true;
    bool same = true;
    for (int64_t again = from; again <= tick; ++again) {
        run(again, true);
        test.ticksRunAgain += 1;
        SaveGameState(test.scratch);
        if (SnapshotChecksum(test.scratch) != test.after[Slot(test, again)]) {
            same = false;
            if (test.firstMismatch < 0)
                test.firstMismatch = again;
            break;
        }
    }
    TickRunAgain = false;
    return same;
}

void SyncTestBarrier(SyncTest& test) {
    test.base = test.ticks;
}
