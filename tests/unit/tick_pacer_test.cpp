// The pace of the window timer: ticks on their grid, late ones delivered once,
// missed ones dropped, and the wait that ends close to its deadline.
#include <gtest/gtest.h>

#if defined(__linux__) && !defined(__EMSCRIPTEN__)
#include <sched.h>
#include <sys/resource.h>
#endif

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/shared/tick_pacer.h"

namespace {

constexpr int64_t Ms = 1'000'000;

// The times (ms) at which ticks are delivered when the loop looks at the
// clock at each of the given times.
std::vector<int64_t> Delivered(const std::vector<int64_t>& looks) {
    shared::TickSchedule schedule = shared::StartSchedule(10 * Ms, 0);
    std::vector<int64_t> delivered;
    for (int64_t at : looks)
        if (shared::TakeDueTick(schedule, at * Ms))
            delivered.push_back(at);
    return delivered;
}

}  // namespace

TEST(TickSchedule, LateTicksComeOnceAndTheGridHolds) {
    // On time: every 10 ms.
    EXPECT_EQ(Delivered({5, 10, 15, 20, 29, 30}), (std::vector<int64_t>{10, 20, 30}));
    // 4 ms late: delivered then, and the next is still due at 20, not at 24.
    EXPECT_EQ(Delivered({14, 19, 20}), (std::vector<int64_t>{14, 20}));
    // 27 ms late: one tick for the three missed, the next at 40.
    EXPECT_EQ(Delivered({37, 39, 40, 50}), (std::vector<int64_t>{37, 40, 50}));
    // Exactly on a later grid point: that one counts as the late tick.
    EXPECT_EQ(Delivered({30, 35, 40}), (std::vector<int64_t>{30, 40}));
}

TEST(TickSchedule, TheFirstTickComesOnePeriodAfterTheStart) {
    shared::TickSchedule schedule = shared::StartSchedule(10 * Ms, 123 * Ms);
    EXPECT_FALSE(shared::TakeDueTick(schedule, 132 * Ms));
    EXPECT_TRUE(shared::TakeDueTick(schedule, 133 * Ms));
    EXPECT_EQ(schedule.dueNs, 143 * Ms);
}

TEST(SleepUntil, NeverWakesEarly) {
    for (int k = 0; k < 5; ++k) {
        int64_t deadline = shared::MonotonicNanoseconds() + 300'000;  // 0.3 ms
        shared::SleepUntil(deadline);
        EXPECT_GE(shared::MonotonicNanoseconds(), deadline);
    }
    // A deadline in the past returns at once.
    shared::SleepUntil(shared::MonotonicNanoseconds() - Ms);
}

TEST(TickProbe, WritesEachDeliveredTickInMicroseconds) {
    // The probe reads its variable on the first tick of the process; nothing
    // else in the tests delivers desktop ticks.
    std::string path = ::testing::TempDir() + "tick_probe.log";
    setenv("MORVASK_TICK_LOG", path.c_str(), 1);
    shared::ProbeTick(5 * Ms);
    shared::ProbeTick(15 * Ms + 400'000);
    unsetenv("MORVASK_TICK_LOG");
    std::FILE* file = std::fopen(path.c_str(), "r");
    ASSERT_NE(file, nullptr);
    long long first = 0, second = 0;
    EXPECT_EQ(std::fscanf(file, "%lld %lld", &first, &second), 2);
    std::fclose(file);
    std::remove(path.c_str());
    EXPECT_EQ(first, 5000);
    EXPECT_EQ(second, 15400);
}

TEST(PromptWakeUps, TheTimerSlackOfTheThreadBecomesOneNanosecond) {
#if defined(__linux__) && !defined(__EMSCRIPTEN__)
    EXPECT_EQ(shared::AskForPromptWakeUps(), 1);
#else
    EXPECT_EQ(shared::AskForPromptWakeUps(), 0);
#endif
}

#if defined(__linux__) && !defined(__EMSCRIPTEN__)
TEST(PromptWakeUps, TheThreadAsksForAShortSliceAndKeepsItsNiceness) {
    // A player who started the game with `nice` keeps it nice.
    const int before = getpriority(PRIO_PROCESS, 0);
    ASSERT_EQ(setpriority(PRIO_PROCESS, 0, before + 3), 0);
    shared::AskForPromptWakeUps();
    EXPECT_EQ(getpriority(PRIO_PROCESS, 0), before + 3);
    EXPECT_EQ(sched_getscheduler(0), SCHED_OTHER);
    const uint64_t slice = shared::SchedulerSliceNs();
    setpriority(PRIO_PROCESS, 0, before);  // only a privileged test run can go back
    if (slice == 0)
        GTEST_SKIP() << "this kernel keeps no slice of a fair thread (before Linux 6.12)";
    EXPECT_EQ(slice, shared::ShortSliceNs);
}
#endif
