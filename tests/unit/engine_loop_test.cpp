// The channel's mixing rule with the generated waves: a tank that keeps
// driving hums without gaps, and on small speakers the explosion and the
// cannon open differently.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "platform/shared/engine_loop.h"
#include "tests/unit/asset_files.h"

using namespace asset_files;

namespace {

std::vector<int16_t> Samples16(const Wave& w) {
    std::vector<int16_t> out;
    for (int v : w.samples)
        out.push_back(int16_t(w.bits == 8 ? v * 256 : v));
    return out;
}

// Drives for ten seconds: the game asks for the engine (a yielding cue) at
// every move, one every movePeriodMs, and the channel mixes in 256-sample
// blocks as a device callback would.
std::vector<int16_t> Drive(const std::vector<int16_t>& engine, int rate, int movePeriodMs,
                           bool rings) {
    shared::ChannelPlay channel;
    std::vector<int16_t> out(size_t(rate) * 10);
    const size_t block = 64;
    const size_t movePeriod = size_t(rate) * size_t(movePeriodMs) / 1000;
    for (size_t at = 0; at < out.size(); at += block) {
        if (at / movePeriod != (at + block) / movePeriod || at == 0)
            shared::StartCue(channel, engine.data(), engine.size(), rings, true, rate);
        shared::MixCue(channel, out.data() + at, std::min(block, out.size() - at), 100);
    }
    return out;
}

// The longest run, in ms, of 20-ms windows (every 5 ms) whose RMS is more
// than 6 dB below the median window's, after the first second.
int LongestDipMs(const std::vector<int16_t>& x, int rate) {
    const size_t window = size_t(rate) / 50, hop = size_t(rate) / 200;
    std::vector<double> rms;
    for (size_t at = size_t(rate); at + window <= x.size(); at += hop) {
        double sum = 0;
        for (size_t k = 0; k < window; ++k)
            sum += double(x[at + k]) * x[at + k];
        rms.push_back(std::sqrt(sum / double(window)));
    }
    std::vector<double> sorted = rms;
    std::sort(sorted.begin(), sorted.end());
    const double floor = sorted[sorted.size() / 2] * 0.5;
    int run = 0, longest = 0;
    for (double r : rms) {
        run = r < floor ? run + 1 : 0;
        longest = std::max(longest, run);
    }
    return longest == 0 ? 0 : (longest - 1) * 5 + 20;
}

// Energy in dB of the first 30 ms above 200 Hz (a second-order high-pass).
double OpeningAbove200HzDb(const Wave& w) {
    const double pi = 3.14159265358979, q = 0.7071;
    const double omega = 2 * pi * 200.0 / w.rate, alpha = std::sin(omega) / (2 * q);
    const double c = std::cos(omega), a0 = 1 + alpha;
    const double b0 = (1 + c) / 2 / a0, b1 = -(1 + c) / a0, b2 = b0;
    const double a1 = -2 * c / a0, a2 = (1 - alpha) / a0;
    double x1 = 0, x2 = 0, y1 = 0, y2 = 0, energy = 1e-9;
    const size_t n = size_t(w.rate) * 30 / 1000;
    for (size_t i = 0; i < n && i < w.samples.size(); ++i) {
        double x = w.samples[i] / 128.0;
        double y = b0 * x + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
        x2 = x1, x1 = x, y2 = y1, y1 = y;
        energy += y * y;
    }
    return 10 * std::log10(energy);
}

}  // namespace

TEST(EngineLoop, DrivingOnHumsWithoutGaps) {
    const Wave wave = LoadWave("wave120.wav");
    ASSERT_FALSE(wave.samples.empty());
    const std::vector<int16_t> engine = Samples16(wave);
    // Moves on open ground and on sand, slow enough that the wave has
    // ended before the next move asks for it again.
    for (int period : {160, 200, 330, 450}) {
        EXPECT_LE(LongestDipMs(Drive(engine, wave.rate, period, true), wave.rate), 100)
            << "a move every " << period << " ms";
        // Without ringing on the same drive drops out: the check can fail.
        EXPECT_GT(LongestDipMs(Drive(engine, wave.rate, period, false), wave.rate), 100)
            << "a move every " << period << " ms, not ringing";
    }
}

TEST(EngineLoop, RingingFadesOutAndAnyCueCutsIt) {
    const std::vector<int16_t> engine = Samples16(LoadWave("wave120.wav"));
    const int rate = 8000;
    shared::ChannelPlay channel;
    shared::StartCue(channel, engine.data(), engine.size(), true, false, rate);
    std::vector<int16_t> out(engine.size() + shared::RingTailSamples(rate) + 100);
    shared::MixCue(channel, out.data(), out.size(), 100);
    EXPECT_EQ(channel.wave, nullptr);
    const size_t end = engine.size() + shared::RingTailSamples(rate);
    EXPECT_TRUE(std::all_of(out.begin() + long(end), out.end(), [](int16_t v) { return v == 0; }));
    // Still at level just before the fade starts, quiet at its end.
    int early = 0, late = 0;
    for (size_t k = engine.size() + 2000; k < engine.size() + 3000; ++k)
        early = std::max(early, std::abs(int(out[k])));
    for (size_t k = end - 120; k < end; ++k)
        late = std::max(late, std::abs(int(out[k])));
    EXPECT_GT(early, 8000);
    EXPECT_LT(late, early / 4);

    // While it rings on, a yielding cue plays (the wave itself has ended);
    // while the wave plays, it gives way.
    const int16_t other[4] = {100, 100, 100, 100};
    shared::StartCue(channel, engine.data(), engine.size(), true, false, rate);
    std::vector<int16_t> some(engine.size() + 10);
    shared::MixCue(channel, some.data(), some.size(), 100);
    shared::StartCue(channel, other, 4, false, true, rate);
    EXPECT_EQ(channel.wave, other);
    shared::StartCue(channel, engine.data(), engine.size(), true, false, rate);
    shared::StartCue(channel, other, 4, false, true, rate);
    EXPECT_EQ(channel.wave, engine.data());
}

TEST(EngineLoop, ExplosionOpensDullerThanTheCannonOnSmallSpeakers) {
    const double explosion = OpeningAbove200HzDb(LoadWave("wave118.wav"));
    const double cannon = OpeningAbove200HzDb(LoadWave("wave121.wav"));
    EXPECT_GE(cannon - explosion, 6.0) << "explosion " << explosion << " dB, cannon " << cannon;
}
