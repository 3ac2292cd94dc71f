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

#include "app/main_window.h"
#include "battle/frame_step.h"
#include "platform/headless/headless.h"
#include "platform/software/tick_pacer.h"
#include "render/draw.h"
#include "state/program_state.h"

namespace {

int Report(const std::vector<long long>& ticksUs) {
    if (ticksUs.size() < 3) {
        std::fprintf(stderr, "morvask-tickpace: too few ticks\n");
        return 1;
    }
    std::vector<long long> gaps;
    for (size_t i = 1; i < ticksUs.size(); ++i)
        gaps.push_back(ticksUs[i] - ticksUs[i - 1]);
    size_t within = 0, over20 = 0;
    for (long long g : gaps) {
        within += g >= 9000 && g <= 11000;
        over20 += g > 20000;
    }
    std::vector<long long> sorted = gaps;
    std::sort(sorted.begin(), sorted.end());
    double seconds = double(ticksUs.back() - ticksUs.front()) / 1e6;
    std::printf("ticks %zu over %.2f s: %.2f ticks/s\n", ticksUs.size(), seconds,
                double(gaps.size()) / seconds);
    std::printf("intervals within 10 +- 1 ms: %.2f %%\n", 100.0 * double(within) / gaps.size());
    std::printf("intervals over 20 ms: %zu\n", over20);
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
    long long at = 0;
    while (std::fscanf(file, "%lld", &at) == 1)
        ticks.push_back(at);
    std::fclose(file);
    return Report(ticks);
}

int Play(double seconds) {
    // The game on the headless backend, its ticks driven by this loop's clock.
    headless::SetSeed(7);
    StartUp(platform::SW_SHOWNORMAL);
    SoundEnabled = false;
    DrawingEnabled = true;
    const int64_t start = software::MonotonicNanoseconds();
    software::TickSchedule schedule = software::StartSchedule(10'000'000, start);
    std::vector<long long> ticks;
    while (software::MonotonicNanoseconds() - start < int64_t(seconds * 1e9)) {
        software::SleepUntil(schedule.dueNs);
        int64_t now = software::MonotonicNanoseconds();
        if (!software::TakeDueTick(schedule, now))
            continue;
        software::ProbeTick(now);
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
