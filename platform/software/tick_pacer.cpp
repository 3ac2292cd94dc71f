// When window timer ticks fall due and how the program waits for them.
#include "platform/software/tick_pacer.h"

#include <time.h>

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

namespace {

struct Probe {
    bool checked = false;
    FILE* file = nullptr;
};

Probe TickProbe;

}  // namespace

void ProbeTick(int64_t nowNs) {
    if (!TickProbe.checked) {
        TickProbe.checked = true;
        if (const char* path = std::getenv("MORVASK_TICK_LOG"))
            TickProbe.file = std::fopen(path, "w");
    }
    if (TickProbe.file) {
        // Buffered by stdio; the file is complete when the program ends.
        std::fprintf(TickProbe.file, "%lld\n", static_cast<long long>(nowNs / 1000));
    }
}

}  // namespace software
