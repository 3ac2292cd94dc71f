// The cost of online play's rollback: saving the whole state, and bringing
// back the state of 12 ticks ago with those 12 ticks run again (the deepest
// rollback the session makes); and the bytes a peer sends per second at 100
// ticks per second for the inputs not yet acknowledged.
#include <benchmark/benchmark.h>

#include "netplay/session.h"
#include "netplay/state_snapshot.h"
#include "netplay/wire.h"
#include "platform/headless/headless.h"
#include "render/draw.h"
#include "shell/main_window.h"
#include "state/program_state.h"

namespace {

// Both tanks driving and firing, as in play.
void PlayTick(int32_t tick) {
    const int drive[4] = {platform::VK_UP, platform::VK_LEFT, platform::VK_DOWN,
                          platform::VK_RIGHT};
    const int drive2[4] = {platform::VK_P2_UP, platform::VK_P2_LEFT, platform::VK_P2_DOWN,
                           platform::VK_P2_RIGHT};
    for (int k = 0; k < 4; ++k) {
        headless::SetKeyDown(drive[k], (tick / 40) % 4 == k);
        headless::SetKeyDown(drive2[k], (tick / 30 + 1) % 4 == k);
    }
    headless::SetKeyDown(platform::VK_SPACE, tick % 3 == 0);
    headless::SetKeyDown(platform::VK_P2_FIRE, tick % 4 == 0);
    headless::StepTick();
}

// A two-player game of 300 ticks, drawing off as in a rollback.
void StartTwoPlayerGame() {
    static bool started = false;
    if (started)
        return;
    started = true;
    PlayersChosen = 2;
    headless::SetSeed(9);
    StartUp(platform::SW_SHOWNORMAL);
    DrawingEnabled = false;
    for (int32_t tick = 0; tick < 300; ++tick)
        PlayTick(tick);
}

void BM_SaveState(benchmark::State& state) {
    StartTwoPlayerGame();
    StateSnapshot snapshot;
    for (auto _ : state) {
        SaveGameState(snapshot);
        benchmark::DoNotOptimize(snapshot.data());
    }
    state.counters["words"] = double(snapshot.size());
}
BENCHMARK(BM_SaveState);

void BM_Rollback12Ticks(benchmark::State& state) {
    StartTwoPlayerGame();
    StateSnapshot before;
    SaveGameState(before);
    TickRunAgain = true;
    for (auto _ : state) {
        RestoreGameState(before);
        for (int32_t tick = 0; tick < PredictionLimit; ++tick)
            PlayTick(300 + tick);
    }
    TickRunAgain = false;
}
BENCHMARK(BM_Rollback12Ticks)->Unit(benchmark::kMicrosecond);

// One datagram a tick, carrying this many inputs not yet acknowledged: about
// the round trip in ticks plus the delay. The inputs all differ, the most a
// datagram of that many can take (play's equal runs take less).
void BM_DatagramBytes(benchmark::State& state) {
    Datagram d;
    d.tick = 1000;
    d.ack = d.firstTick = 990;
    d.inputCount = int32_t(state.range(0));
    for (int32_t i = 0; i < d.inputCount; ++i)
        d.inputs[size_t(i)].keys = uint16_t(1 + i);
    uint8_t bytes[MaxDatagramBytes];
    size_t size = 0;
    for (auto _ : state) {
        size = WriteDatagram(d, bytes);
        benchmark::DoNotOptimize(bytes);
    }
    state.counters["bytes"] = double(size);
    state.counters["bytes_per_s_at_100Hz"] = double(size * 100);
}
BENCHMARK(BM_DatagramBytes)->Arg(2)->Arg(17)->Arg(32);

}  // namespace

BENCHMARK_MAIN();
