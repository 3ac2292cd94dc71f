// The cost of the game's tick, measured the same way in the browser (built to
// WebAssembly) and natively: a seeded game on the headless backend, played
// with the fire key held and the arrows turning, first with drawing off (the
// logic alone), then with every frame drawn. Prints one JSON line.
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "platform/headless/headless.h"
#include "render/draw.h"
#include "shell/main_window.h"

namespace {

// Runs `ticks` steps, turning every 50 ticks; returns nanoseconds per tick.
double TimeTicks(int ticks) {
    const int arrows[] = {platform::VK_LEFT, platform::VK_UP, platform::VK_RIGHT,
                          platform::VK_DOWN};
    auto start = std::chrono::steady_clock::now();
    for (int t = 0; t < ticks; ++t) {
        if (t % 50 == 0) {
            for (int key : arrows)
                headless::SetKeyDown(key, false);
            headless::SetKeyDown(arrows[(t / 50) % 4], true);
        }
        headless::StepTick();
    }
    std::chrono::duration<double, std::nano> spent = std::chrono::steady_clock::now() - start;
    return spent.count() / ticks;
}

}  // namespace

int main(int argc, char** argv) {
    int logicTicks = argc > 1 ? std::atoi(argv[1]) : 30000;
    int drawnTicks = logicTicks / 10;
    headless::SetSeed(20261207);
    StartUp(platform::SW_SHOWNORMAL);
    headless::SetKeyDown(platform::VK_SPACE, true);
    // Warm up: the first frames, the caches, and in the browser the compiler's
    // second tier, which replaces the quickly made code after a while.
    DrawingEnabled = true;
    TimeTicks(200);
    DrawingEnabled = false;
    TimeTicks(logicTicks / 2);
    double logic = TimeTicks(logicTicks);
    DrawingEnabled = true;
    double drawn = TimeTicks(drawnTicks);
    std::printf("{\"logicTickNs\":%.0f,\"drawnTickNs\":%.0f,\"logicTicks\":%d,\"drawnTicks\":%d}\n",
                logic, drawn, logicTicks, drawnTicks);
    return 0;
}
