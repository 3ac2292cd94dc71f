// When window timer ticks fall due and how the program waits for them.
#include "platform/software/tick_pacer.h"

#include <fcntl.h>
#include <time.h>
#include <unistd.h>

#if defined(__linux__) && !defined(__EMSCRIPTEN__)
#include <sys/prctl.h>
#endif

#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace software {

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

int64_t AskForPromptWakeUps() {
#if defined(__linux__) && !defined(__EMSCRIPTEN__)
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

}  // namespace software
