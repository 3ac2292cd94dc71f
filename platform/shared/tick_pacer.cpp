// When window timer ticks fall due and how the program waits for them.
#include "platform/shared/tick_pacer.h"

#include <fcntl.h>
#include <time.h>
#include <unistd.h>

#if defined(__linux__) && !defined(__EMSCRIPTEN__)
#include <sched.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#endif

#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace shared {

int64_t MonotonicNanoseconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return int64_t(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

TickSchedule StartSchedule(int64_t periodNs, int64_t nowNs) {
    return TickSchedule{.periodNs = periodNs, .dueNs = nowNs + periodNs};
}

bool TakeDueTick(TickSchedule& schedule, int64_t nowNs) {
    if (nowNs < schedule.dueNs)
        return false;
    int64_t missed = (nowNs - schedule.dueNs) / schedule.periodNs;
    schedule.dueNs += (missed + 1) * schedule.periodNs;
    return true;
}

void SleepUntil(int64_t deadlineNs) {
    timespec at{};
    at.tv_sec = time_t(deadlineNs / 1'000'000'000);
    at.tv_nsec = long(deadlineNs % 1'000'000'000);
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &at, nullptr) == EINTR) {
    }
}

#if defined(__linux__) && !defined(__EMSCRIPTEN__)
namespace {

// The kernel's sched_attr (its first version); the kernel's own header
// clashes with the C library's <sched.h>.
struct SchedulerAttributes {
    uint32_t size;
    uint32_t sched_policy;
    uint64_t sched_flags;
    int32_t sched_nice;
    uint32_t sched_priority;
    uint64_t sched_runtime;
    uint64_t sched_deadline;
    uint64_t sched_period;
};

// Asks the fair scheduler for a short slice for this thread. A thread that
// wakes with a shorter slice than the one running may take the core at once;
// otherwise a busy process keeps it until its own, longer slice is used up,
// and the tick comes milliseconds late. Kernels before 6.12 keep no slice of
// a fair thread and ignore it. The thread's policy and niceness stay.
void AskForShortSlice() {
    if (sched_getscheduler(0) != SCHED_OTHER)
        return;
    errno = 0;
    const int nice = getpriority(PRIO_PROCESS, 0);
    if (errno != 0)
        return;
    SchedulerAttributes attr{};
    attr.size = sizeof attr;
    attr.sched_policy = SCHED_OTHER;
    attr.sched_nice = nice;
    attr.sched_runtime = ShortSliceNs;
    syscall(SYS_sched_setattr, 0, &attr, 0u);
}

}  // namespace
#endif

uint64_t SchedulerSliceNs() {
#if defined(__linux__) && !defined(__EMSCRIPTEN__)
    SchedulerAttributes attr{};
    if (syscall(SYS_sched_getattr, 0, &attr, sizeof attr, 0u) != 0)
        return 0;
    return attr.sched_runtime;
#else
    return 0;
#endif
}

int64_t AskForPromptWakeUps() {
#if defined(__linux__) && !defined(__EMSCRIPTEN__)
    AskForShortSlice();
    // Timers of this thread may otherwise fire up to 50 us late, by design,
    // to be merged with others.
    prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
    return int64_t(prctl(PR_GET_TIMERSLACK, 0UL, 0UL, 0UL, 0UL));
#else
    return 0;
#endif
}

namespace {

struct Probe {
    bool checked = false;
    int file = -1;
};

Probe TickProbe;

void ProbeWrite(const char* line, int length) {
    if (!TickProbe.checked) {
        TickProbe.checked = true;
        if (const char* path = std::getenv("MORVASK_TICK_LOG"))
            TickProbe.file = ::open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    }
    if (TickProbe.file < 0 || length <= 0)
        return;
    // One write per line, nothing buffered: a process forked meanwhile (SDL
    // forks helpers) cannot write the same lines a second time.
    if (::write(TickProbe.file, line, size_t(length)) < 0) {
        ::close(TickProbe.file);
        TickProbe.file = -1;
    }
}

}  // namespace

void ProbeTick(int64_t nowNs) {
    char line[32];
    ProbeWrite(line,
               std::snprintf(line, sizeof line, "%lld\n", static_cast<long long>(nowNs / 1000)));
}

void ProbeTimerStart() {
    ProbeWrite("-\n", 2);
}

}  // namespace shared
