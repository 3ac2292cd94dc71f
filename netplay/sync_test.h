// The sync test: every tick, once run, is rolled back a number of ticks and
// those ticks run again, and the state after each must be the state it was
// the first time. State the snapshot misses, or a rule that reads anything
// but the state and the tick's inputs, shows as a mismatch.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "netplay/state_snapshot.h"

inline constexpr int32_t MaxSyncTestDepth = 30;

// Runs the tick numbered `index` (counted from the test's start). The first
// time (again false) the program takes the tick's inputs and keeps them; run
// again it puts back the ones it kept, shows nothing and plays nothing.
using SyncTickRunner = std::function<void(int64_t index, bool again)>;

struct SyncTest {
    int32_t depth = 1;
    int64_t ticks = 0;
    // The first tick that may be rolled back to: after a barrier.
    int64_t base = 0;
    std::vector<StateSnapshot> before;
    std::vector<uint32_t> after;
    StateSnapshot scratch;
    int64_t ticksRunAgain = 0;
    // The first tick whose state differed when run again (-1 none).
    int64_t firstMismatch = -1;
};

// A test that rolls back `depth` ticks (1..MaxSyncTestDepth).
void StartSyncTest(SyncTest& test, int32_t depth);
// Runs one tick, then rolls back and runs the last `depth` again (fewer
// after the start or a barrier); false at the first mismatch.
bool SyncTestTick(SyncTest& test, const SyncTickRunner& run);
// Something other than a tick changed the state (a key command, the mouse,
// a load): no rollback reaches before it.
void SyncTestBarrier(SyncTest& test);
