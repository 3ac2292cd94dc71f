// The cost of one tick and of one frame, measured on the headless backend.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

static void BM_MemcpyFrame(benchmark::State& state) {
    std::vector<uint32_t> from(960 * 704, 0x123456), to(960 * 704);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), from.size() * 4);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_MemcpyFrame);

BENCHMARK_MAIN();
