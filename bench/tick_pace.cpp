// How steadily 10 ms ticks arrive: either plays the busy battle (drawing on)
// on the timer pacing of the desktop program for a number of seconds, or reads
// a tick log written by the program's probe (MORVASK_TICK_LOG), and prints the
// spread of the intervals between ticks.
//
//   morvask-tickpace play SECONDS [LOG]   pace the headless busy battle
//   morvask-tickpace stats LOG            the intervals of a tick log
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "battle/frame_step.h"
#include "platform/headless/headless.h"
#include "platform/shared/tick_pacer.h"
#include "render/draw.h"
#include "shell/main_window.h"
#include "state/program_state.h"

namespace {

// Tick times in microseconds; -1 marks a timer started anew, and the wait
// across it is not an interval.
int Report(const std::vector<long long>& ticksUs) {
    std::vector<long long> gaps;
    size_t ticks = 0;
    double seconds = 0;
    long long last = -1;
    for (long long at : ticksUs) {
        if (at >= 0) {
            ++ticks;
            if (last >= 0) {
                gaps.push_back(at - last);
                seconds += double(at - last) / 1e6;
            }
        }
        last = at;
    }
    if (gaps.size() < 2) {
        std::fprintf(stderr, "morvask-tickpace: too few ticks\n");
        return 1;
    }
    size_t within = 0, over20 = 0, backwards = 0;
    for (long long g : gaps) {
        within += g >= 9000 && g <= 11000;
        over20 += g > 20000;
        backwards += g < 0;
    }
    std::vector<long long> sorted = gaps;
    std::sort(sorted.begin(), sorted.end());
    std::printf("ticks %zu over %.2f s of running timers: %.2f ticks/s\n", ticks, seconds,
                double(gaps.size()) / seconds);
    std::printf("intervals within 10 +- 1 ms: %.2f %%\n", 100.0 * double(within) / gaps.size());
    std::printf("intervals over 20 ms: %zu\n", over20);
    if (backwards)
        std::printf("intervals going back in time: %zu\n", backwards);
    std::printf("interval min %.3f ms, median %.3f ms, p99 %.3f ms, max %.3f ms\n",
                sorted.front() / 1e3, sorted[sorted.size() / 2] / 1e3,
                sorted[sorted.size() * 99 / 100] / 1e3, sorted.back() / 1e3);
    return 0;
}

int Stats(const char* path) {
    FILE* file = std::fopen(path, "r");
    if (!file) {
        std::fprintf(stderr, "morvask-tickpace: cannot read %s\n", path);
        return 1;
    }
    std::vector<long long> ticks;
    char line[64];
    while (std::fgets(line, sizeof line, file)) {
        if (line[0] == '-')
            ticks.push_back(-1);
        else if (line[0] >= '0' && line[0] <= '9')
            ticks.push_back(std::atoll(line));
    }
    std::fclose(file);
    return Report(ticks);
}

int Play(double seconds) {
    // The game on the headless backend, its ticks driven by this loop's clock.
    headless::SetSeed(7);
    StartUp(platform::SW_SHOWNORMAL);
    SoundEnabled = false;
    DrawingEnabled = true;
    shared::AskForPromptWakeUps();
    const int64_t start = shared::MonotonicNanoseconds();
    shared::TickSchedule schedule = shared::StartSchedule(10'000'000, start);
    std::vector<long long> ticks;
    while (shared::MonotonicNanoseconds() - start < int64_t(seconds * 1e9)) {
        shared::SleepUntil(schedule.dueNs);
        int64_t now = shared::MonotonicNanoseconds();
        if (!shared::TakeDueTick(schedule, now))
            continue;
        shared::ProbeTick(now);
        ticks.push_back(now / 1000);
        headless::StepTick();
    }
    return Report(ticks);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 3 && std::strcmp(argv[1], "stats") == 0)
        return Stats(argv[2]);
    if (argc >= 3 && std::strcmp(argv[1], "play") == 0)
        return Play(std::atof(argv[2]));
    std::fprintf(stderr, "usage: morvask-tickpace play SECONDS | stats LOG\n");
    return 2;
}
