// The pace of a window timer on a monotonic nanosecond clock: when its ticks
// fall due, how to wait for them to within a fraction of a millisecond, and a
// probe that logs when each tick was delivered.
#pragma once

#include <cstdint>

namespace shared {

// Nanoseconds of a clock that never jumps (CLOCK_MONOTONIC).
int64_t MonotonicNanoseconds();

struct TickSchedule {
    int64_t periodNs = 10'000'000;
    int64_t dueNs = 0;  // when the next tick falls due
};

// The first tick falls due one period after now.
TickSchedule StartSchedule(int64_t periodNs, int64_t nowNs);

// True when a tick is due at nowNs; the schedule then moves on. A tick that
// comes late is delivered once and the ticks missed meanwhile are dropped, but
// the ticks stay on their grid: the next falls due at the first multiple of
// the period after the late one's time that lies after now, so lateness never
// pushes later ticks back.
bool TakeDueTick(TickSchedule& schedule, int64_t nowNs);

// Sleeps until the clock reaches deadlineNs, to within tens of microseconds
// (an absolute sleep on the clock; nothing is left to a millisecond timer).
void SleepUntil(int64_t deadlineNs);

// Asks the system to wake this thread on time: a timer slack of 1 ns
// instead of the usual 50 us, and a scheduler slice of ShortSliceNs, so
// that the thread waking gets a core before a busy process's slice runs out.
// Returns the slack now in force in nanoseconds (0 where there is no such
// setting).
inline constexpr uint64_t ShortSliceNs = 100'000;
int64_t AskForPromptWakeUps();
// The scheduler slice of this thread in nanoseconds; 0 where the system
// keeps none for it (Linux before 6.12, other systems).
uint64_t SchedulerSliceNs();

// The tick probe: with MORVASK_TICK_LOG naming a file, the time of every
// delivered tick (microseconds of the monotonic clock, one a line) is written
// there; without it this costs one test. A timer (re)started writes a line
// "-": the wait before its first tick (a box was open, the game paused) is
// no interval of the pace.
void ProbeTick(int64_t nowNs);
void ProbeTimerStart();

}  // namespace shared
